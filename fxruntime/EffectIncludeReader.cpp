#include "fxruntime/EffectIncludeReader.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "assets/WholeFile.h"

namespace fs = std::filesystem;

namespace {

// Effect files are text of some kilobytes; anything past this is not one.
constexpr std::uint64_t kMaxEffectFileBytes = 16u << 20;

bool ReadRegularFile(const std::string& path, std::string& text, std::string* reason = nullptr)
{
    // A directory, a device or a pipe is not an effect file: one could be read forever.
    std::string why;
    const bool read = ReadWholeFile(path, kMaxEffectFileBytes, text, why);
    if (reason != nullptr) {
        *reason = why;
    }
    return read;
}

}  // namespace

bool ReadEffectFileText(const std::string& path, std::string& text, std::string* reason)
{
    return ReadRegularFile(path, text, reason);
}

std::string ResolveIncludePath(const std::string& includingPath, const std::string& name)
{
    return (fs::path(includingPath).parent_path() / name).lexically_normal().string();
}

IncludeOutcome ReadIncludedFile(const std::string& path, const IncludeDirective& directive,
                                const std::vector<std::string>& chain, bool alreadyRead, std::string& text,
                                std::string& error, const std::map<std::string, std::string>* readFrom)
{
    if (std::find(chain.begin(), chain.end(), path) != chain.end()) {
        error = "recursive #include of '" + directive.name + "'";
        return IncludeOutcome::Refused;
    }
    // The chain holds the main file too: its length less one is the depth of the including file.
    if (static_cast<int>(chain.size()) - 1 >= kMaxIncludeDepth) {
        error = "#include nested too deeply";
        return IncludeOutcome::Refused;
    }
    if (alreadyRead) {
        return IncludeOutcome::Skipped;
    }
    if (readFrom != nullptr) {
        const auto file = readFrom->find(path);
        if (file == readFrom->end()) {
            return IncludeOutcome::Skipped;
        }
        text = file->second;
        return IncludeOutcome::Read;
    }
    return ReadRegularFile(path, text) ? IncludeOutcome::Read : IncludeOutcome::Skipped;
}
