#pragma once
// Finds and reads the files an effect names: the effect file itself and its #include files,
// relative to the including file. Only regular files are read (a device or a pipe could be read
// forever), and include chains are kept finite.
#include <map>
#include <string>
#include <vector>

#include "fxruntime/EffectLexer.h"

constexpr int kMaxIncludeDepth = 32;

// The effect file itself; false when it is missing, not a regular file or too large, with the reason
// ("No such file or directory", "not a regular file", "larger than 16 MiB") in `reason` when given.
bool ReadEffectFileText(const std::string& path, std::string& text, std::string* reason = nullptr);

// The path an include resolves to; the HLSL compiler's include callback names it the same way.
std::string ResolveIncludePath(const std::string& includingPath, const std::string& name);

enum class IncludeOutcome {
    Read,     // `text` holds the file
    Skipped,  // read before, or missing or not a regular file: a missing one is left to
              // the preprocessor, which knows whether the line is compiled at all
    Refused,  // recursive or nested too deeply; `error` says which
};

// Reads the include `directive`, resolved to `path`. `chain` lists the files being read, the
// outermost first; `alreadyRead` whether `path` was read from another place. With `readFrom`, the
// files are taken from there (by resolved path) instead of the disk, and one it lacks is missing.
IncludeOutcome ReadIncludedFile(const std::string& path, const IncludeDirective& directive,
                                const std::vector<std::string>& chain, bool alreadyRead, std::string& text,
                                std::string& error, const std::map<std::string, std::string>* readFrom = nullptr);
