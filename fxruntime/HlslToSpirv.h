#pragma once
// The one place that knows which HLSL compiler we use (glslang's HLSL front end, through shaderc),
// so that it can be replaced without touching the rest of the effect compiler.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fxruntime/EffectSource.h"

struct HlslCompileInput {
    std::string fileName;  // names the source in messages
    std::string source;
    std::string entryPoint;
    StageKind stage = StageKind::Vertex;
    // Text for #include, by normalized path (the effect front end's stripped files). Files not in
    // the map (one that appeared after the front end looked) are read from disk as they are, if
    // they are regular files.
    const std::map<std::string, std::string>* files = nullptr;
};

struct HlslCompileOutput {
    bool succeeded = false;
    std::vector<std::uint32_t> words;  // SPIR-V
    std::vector<EffectDiagnostic> diagnostics;
    bool readOtherFiles = false;  // an include came from disk rather than from `files`
};

HlslCompileOutput CompileHlslToSpirv(const HlslCompileInput& input);

// Turns the compiler's message text ("file:line: error: text" lines) into diagnostics; `files`
// supplies the source lines used to find a column for the quoted token.
std::vector<EffectDiagnostic> ParseHlslMessages(const std::string& text,
                                                const std::map<std::string, std::string>& files);
