#include "effects/EffectPaths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/win32/Win32Platform.h"

namespace {
ExecutablePathSource g_pathSource = nullptr;
}

void SetExecutablePathSource(ExecutablePathSource source)
{
    g_pathSource = source;
}

std::string DirectoryOfPath(const std::string& path)
{
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(0, cut);
}

std::string ExecutableDirectory()
{
    // The platform reports the whole path however long it is, so a deep install folder is not cut
    // short at 260 characters and then searched in the wrong place.
    const std::wstring path = g_pathSource != nullptr ? g_pathSource() : Win32ExecutablePath();
    return DirectoryOfPath(NarrowFromWide(path));
}

std::string EffectFilePath(const std::string& directory, const std::string& file)
{
    std::string path = directory + "/" + file;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string FindEffectFile(const std::string& directory, const std::string& file)
{
    const std::string besideTheProgram = EffectFilePath(directory, file);
    std::error_code ec;
    if (std::filesystem::exists(besideTheProgram, ec)) {
        return besideTheProgram;
    }
    const std::string installed = EffectFilePath(directory + "/" + kInstalledDataFolder, file);
    return std::filesystem::exists(installed, ec) ? installed : besideTheProgram;
}
