// Where effect files are looked for: the executable's folder, cut at its last separator of either
// kind, joined with a backslash and then written with forward slashes only.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "effects/EffectPaths.h"

namespace {

TEST(EffectPaths, DirectoryIsCutAtTheLastSeparatorOfEitherKind)
{
    const struct {
        const char* path;
        const char* directory;
    } cases[] = {
        {"C:\\a\\b\\show.exe", "C:\\a\\b"},
        {"/opt/show/bin/show", "/opt/show/bin"},
        {"C:/a\\b/show.exe", "C:/a\\b"},
        {"C:\\a/b\\show.exe", "C:\\a/b"},
        {"show", "show"},
        {"/show", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.directory, DirectoryOfPath(c.path)) << c.path;
}

TEST(EffectPaths, FilePathUsesForwardSlashesOnly)
{
    const struct {
        const char* directory;
        const char* file;
        const char* path;
    } cases[] = {
        {"C:\\a\\b", "Res/Sky.fx", "C:/a/b/Res/Sky.fx"},
        {"C:/a\\b", "Res\\Sky.fx", "C:/a/b/Res/Sky.fx"},
        {"/opt/show/bin", "Res/Basic.fx", "/opt/show/bin/Res/Basic.fx"},
        {"show", "Res/color.fx", "show/Res/color.fx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.path, EffectFilePath(c.directory, c.file)) << c.directory;
}

std::wstring LongWindowsPath()
{
    return L"C:\\" + std::wstring(300, L'd') + L"\\sub\\show.exe";
}

TEST(EffectPaths, ExecutableDirectoryComesFromTheWholeExecutablePath)
{
    EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").parent_path().string(), ExecutableDirectory());

    // A path past 260 characters keeps its folder whole rather than being cut short.
    SetExecutablePathSource(LongWindowsPath);
    const std::string directory = ExecutableDirectory();
    SetExecutablePathSource(nullptr);
    EXPECT_EQ("C:\\" + std::string(300, 'd') + "\\sub", directory);
    EXPECT_EQ("C:/" + std::string(300, 'd') + "/sub/Res/Sky.fx", EffectFilePath(directory, "Res/Sky.fx"));
}

TEST(EffectPaths, EffectFilesBesideTheProgramComeBeforeTheInstalledOnes)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("vexa-fx-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const std::string bin = (root / "bin").string();
    fs::create_directories(root / "bin/Res");
    fs::create_directories(root / "share/vexa-rhino/Res");

    EXPECT_EQ(bin + "/Res/Sky.fx", FindEffectFile(bin, "Res/Sky.fx"))
        << "neither: the failure names the program's folder";
    std::ofstream(root / "share/vexa-rhino/Res/Sky.fx") << "\n";
    EXPECT_EQ(bin + "/../share/vexa-rhino/Res/Sky.fx", FindEffectFile(bin, "Res/Sky.fx"));
    std::ofstream(root / "bin/Res/Sky.fx") << "\n";
    EXPECT_EQ(bin + "/Res/Sky.fx", FindEffectFile(bin, "Res\\Sky.fx"));
    fs::remove_all(root);
}

}  // namespace
