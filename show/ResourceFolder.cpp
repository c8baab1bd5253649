#include "show/ResourceFolder.h"

#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

#include "assets/SceneContent.h"
#include "effects/EffectPaths.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string_view> ShowAssetFiles()
{
    std::vector<std::string_view> files(kSceneTextureFiles.begin(), kSceneTextureFiles.end());
    files.insert(files.end(), kTextModelFiles.begin(), kTextModelFiles.end());
    files.insert(files.end(), {kSkyCubeMapFile, kSheepModelFile, kPodModelFile, kRoomModelFile, kMusicFile});
    return files;
}

}  // namespace

bool HoldsShowAssets(const fs::path& folder)
{
    // One file is enough: a Res/ that lost some assets is still the show's, and says so file by file.
    static const std::vector<std::string_view> files = ShowAssetFiles();
    for (std::string_view file : files) {
        std::error_code ec;
        if (fs::exists(folder / file, ec)) {
            return true;
        }
    }
    return false;
}

std::vector<fs::path> ResourceFolderCandidates(const fs::path& workingDirectory, const fs::path& executableFolder)
{
    std::vector<fs::path> folders{workingDirectory};
    if (!executableFolder.empty()) {
        folders.push_back(executableFolder);
        folders.push_back((executableFolder / kInstalledDataFolder).lexically_normal());
    }
    return folders;
}

std::string UnusableResourceFolder(const fs::path& folder)
{
    const fs::path res = folder / "Res";
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(res, ec))) {
        return {};
    }
    const fs::file_status status = fs::status(res, ec);
    if (ec) {
        return ec == std::errc::no_such_file_or_directory ? "a symbolic link to nothing" : ec.message();
    }
    if (!fs::is_directory(status)) {
        return "not a folder";
    }
    const fs::directory_iterator entries(res, ec);
    if (ec) {
        return "cannot be read (" + ec.message() + ")";
    }
    return {};
}

std::optional<fs::path> FindResourceFolder(const fs::path& workingDirectory, const fs::path& executableFolder)
{
    for (const fs::path& folder : ResourceFolderCandidates(workingDirectory, executableFolder)) {
        if (HoldsShowAssets(folder)) {
            return folder;
        }
    }
    return std::nullopt;
}

bool EnterResourceFolder(std::string& error)
{
    std::error_code ec;
    const fs::path workingDirectory = fs::current_path(ec);
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    const fs::path executableFolder = ec ? fs::path() : executable.parent_path();
    const std::optional<fs::path> folder = FindResourceFolder(workingDirectory, executableFolder);
    const std::vector<fs::path> candidates = ResourceFolderCandidates(workingDirectory, executableFolder);
    if (!folder) {
        std::string tried;
        for (const fs::path& candidate : candidates) {
            const std::string why = UnusableResourceFolder(candidate);
            tried += (tried.empty() ? "" : ", ") + candidate.string() + (why.empty() ? "" : " (its Res: " + why + ")");
        }
        error = "no Res/ folder with the show's assets in any of " + tried +
                "; run it from the folder that holds them, such as build/release/bin, or install it";
        return false;
    }
    for (const fs::path& candidate : candidates) {
        if (candidate == *folder) {
            break;
        }
        if (const std::string why = UnusableResourceFolder(candidate); !why.empty()) {
            std::fprintf(stderr, "warning: %s: %s; the show's assets are taken from %s instead\n",
                         (candidate / "Res").c_str(), why.c_str(), (*folder / "Res").c_str());
        }
    }
    if (*folder != workingDirectory) {
        fs::current_path(*folder, ec);
        if (ec) {
            error = "cannot change to " + folder->string() + ", which holds Res/: " + ec.message();
            return false;
        }
    }
    return true;
}
