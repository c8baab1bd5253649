// Where the show's assets are looked for: a build tree, an unpacked folder, an installed tree that
// was moved, and the message that names every folder tried.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "show/ResourceFolder.h"

namespace fs = std::filesystem;

namespace {

class ResourceFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("vexa-res-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "work");
        fs::create_directories(root / "tree/bin");
    }
    void TearDown() override { fs::remove_all(root); }

    // One asset is enough to make a Res/ the show's.
    void PutAssets(const fs::path& folder)
    {
        fs::create_directories(folder / "Res");
        std::ofstream(folder / "Res/sheep.obj") << "v 0 0 0\n";
    }

    fs::path root;
};

TEST_F(ResourceFolderTest, TheWorkingDirectoryThenTheProgramsFolderThenTheInstalledDataFolder)
{
    const fs::path work = root / "work";
    const fs::path bin = root / "tree/bin";
    EXPECT_FALSE(FindResourceFolder(work, bin));

    PutAssets(root / "tree/share/vexa-rhino");
    EXPECT_EQ(FindResourceFolder(work, bin), root / "tree/share/vexa-rhino")
        << "an installed tree, wherever it was moved";

    PutAssets(bin);
    EXPECT_EQ(FindResourceFolder(work, bin), bin) << "beside the program comes before the installed folder";

    PutAssets(work);
    EXPECT_EQ(FindResourceFolder(work, bin), work) << "the working directory comes first";
}

TEST_F(ResourceFolderTest, EffectSourcesAloneAreNotTheShowsAssets)
{
    fs::create_directories(root / "work/Res");
    std::ofstream(root / "work/Res/Sky.fx") << "technique11 T {}\n";
    EXPECT_FALSE(HoldsShowAssets(root / "work"));
    EXPECT_FALSE(FindResourceFolder(root / "work", fs::path()));
}

TEST_F(ResourceFolderTest, WithoutAssetsTheMessageNamesEveryFolderTried)
{
    const fs::path saved = fs::current_path();
    fs::current_path(root / "work");
    std::string error;
    EXPECT_FALSE(EnterResourceFolder(error));
    fs::current_path(saved);
    EXPECT_NE(error.find((root / "work").string()), std::string::npos) << error;
    const fs::path executableFolder = fs::read_symlink("/proc/self/exe").parent_path();
    EXPECT_NE(error.find(executableFolder.string() + ","), std::string::npos) << error;
    EXPECT_NE(error.find((executableFolder.parent_path() / "share/vexa-rhino").string()), std::string::npos) << error;
}

TEST_F(ResourceFolderTest, AResThatCannotBeLookedIntoIsNamedWithTheReason)
{
    const fs::path work = root / "work";
    EXPECT_EQ(UnusableResourceFolder(work), "") << "no Res at all is no fault of one";
    fs::create_directories(work / "Res");
    EXPECT_EQ(UnusableResourceFolder(work), "") << "an empty folder can be looked into";
    fs::remove(work / "Res");
    std::ofstream(work / "Res") << "a file";
    EXPECT_EQ(UnusableResourceFolder(work), "not a folder");
    fs::remove(work / "Res");
    fs::create_symlink(root / "nowhere", work / "Res");
    EXPECT_EQ(UnusableResourceFolder(work), "a symbolic link to nothing");
    fs::remove(work / "Res");
    if (geteuid() != 0) {  // root reads any folder
        fs::create_directories(work / "Res");
        fs::permissions(work / "Res", fs::perms::none);
        EXPECT_EQ(UnusableResourceFolder(work), "cannot be read (Permission denied)");
        fs::permissions(work / "Res", fs::perms::owner_all);
    }

    // Passed over for the next folder, and named in the message when no folder holds the assets.
    fs::remove_all(work / "Res");
    std::ofstream(work / "Res") << "a file";
    const fs::path saved = fs::current_path();
    fs::current_path(work);
    std::string error;
    EXPECT_FALSE(EnterResourceFolder(error));
    fs::current_path(saved);
    EXPECT_NE(error.find(work.string() + " (its Res: not a folder)"), std::string::npos) << error;
}

}  // namespace
