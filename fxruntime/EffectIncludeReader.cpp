#include "fxruntime/EffectIncludeReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool ReadRegularFile(const std::string& path, std::string& text)
{
    // A directory opens as a stream and reads as empty text; a device or a pipe could be read
    // forever. Neither is an effect file.
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    std::stringstream ss;
    ss << f.rdbuf();
    text = ss.str();
    return true;
}

}  // namespace

bool ReadEffectFileText(const std::string& path, std::string& text)
{
    return ReadRegularFile(path, text);
}

std::string ResolveIncludePath(const std::string& includingPath, const std::string& name)
{
    return (fs::path(includingPath).parent_path() / name).lexically_normal().string();
}

IncludeOutcome ReadIncludedFile(const std::string& path, const IncludeDirective& directive,
                                const std::vector<std::string>& chain, bool alreadyRead, std::string& text,
                                std::string& error)
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
    if (alreadyRead)
        return IncludeOutcome::Skipped;
    return ReadRegularFile(path, text) ? IncludeOutcome::Read : IncludeOutcome::Skipped;
}
