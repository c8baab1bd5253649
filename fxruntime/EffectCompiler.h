#pragma once
// Compiles an effect file (HLSL with technique, pass and state blocks) into an effect blob
// (fxruntime/EffectBlob.h). This is what the "fx_5_0" profile of the compile entry runs.
#include <cstdint>
#include <string>
#include <vector>

#include "fxruntime/EffectSource.h"

struct EffectCompileResult {
    bool succeeded = false;
    std::vector<std::uint8_t> code;             // the effect blob; empty on failure
    std::vector<EffectDiagnostic> diagnostics;  // errors and warnings, in the order found
    // Whether the result depends only on the files the front end read (EffectSource::originalFiles);
    // false when the compiler also read an include the front end could not see.
    bool selfContained = true;
    // The diagnostics as text, one "file(line,col): error X3000: text" per line; empty when there
    // were none.
    std::string Messages() const;
};

EffectCompileResult CompileEffectFile(const std::string& path);

// The same for a source already read (ReadEffectSource).
EffectCompileResult CompileEffectSource(const EffectSource& source);

// The same for text already in memory; `path` names it in messages and anchors its includes.
EffectCompileResult CompileEffectText(const std::string& path, const std::string& text);

// CompileEffectFile without the compile server: a compiler fault ends this process. For measuring
// what the server costs.
EffectCompileResult CompileEffectFileInThisProcess(const std::string& path);
