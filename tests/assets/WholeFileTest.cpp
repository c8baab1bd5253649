// Files read whole only when they are regular and within their limit, and written whole or not at
// all. (A disk that fills during a write is covered where a test may mount a small tmpfs:
// capture_writes.)
#include "assets/WholeFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class WholeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wholefile-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string At(const std::string& name) const { return (folder / name).string(); }

    fs::path folder;
};

TEST_F(WholeFileTest, OnlyARegularFileWithinTheLimitIsRead)
{
    std::ofstream(At("small")) << "twelve bytes";
    std::string bytes;
    std::string reason;
    EXPECT_TRUE(ReadWholeFile(At("small"), 12, bytes, reason));
    EXPECT_EQ(bytes, "twelve bytes");
    EXPECT_TRUE(ReadWholeFile(At("small"), 11, bytes, reason) == false && bytes.empty());
    EXPECT_EQ(reason, "larger than 0 MiB");

    std::vector<std::uint8_t> binary;
    EXPECT_TRUE(ReadWholeFile(At("small"), 1 << 20, binary, reason));
    EXPECT_EQ(binary.size(), 12u);

    std::ofstream(At("empty")).flush();
    EXPECT_TRUE(ReadWholeFile(At("empty"), 1, bytes, reason));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(WholeFileTest, FifosDevicesFoldersSparseGiantsAndMissingFilesAreRefusedUnread)
{
    ASSERT_EQ(mkfifo(At("pipe").c_str(), 0600), 0);  // no writer: an ordinary open would block
    fs::create_symlink("/dev/zero", At("zero"));
    fs::create_directory(At("folder"));
    {
        const int fd = ::open(At("sparse").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(4) << 30), 0);  // 4 GiB that take no disk
        ::close(fd);
    }
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"pipe", "not a regular file"},   {"zero", "not a regular file"},           {"folder", "not a regular file"},
        {"sparse", "larger than 64 MiB"}, {"missing", "No such file or directory"},
    };
    for (const auto& c : cases) {
        std::string bytes = "left over";
        std::string reason;
        EXPECT_FALSE(ReadWholeFile(At(c.name), 64u << 20, bytes, reason)) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
        EXPECT_TRUE(bytes.empty()) << c.name;
    }
}

TEST_F(WholeFileTest, AWriteReplacesTheFileWholeAndAFailedOneLeavesNothing)
{
    std::string error;
    ASSERT_TRUE(WriteWholeFile(At("out"), std::vector<std::uint8_t>{'o', 'l', 'd'}, error));
    ASSERT_TRUE(WriteWholeFile(At("out"), "new text", 8, error));
    std::string bytes;
    std::string reason;
    ASSERT_TRUE(ReadWholeFile(At("out"), 100, bytes, reason));
    EXPECT_EQ(bytes, "new text");

    EXPECT_FALSE(WriteWholeFile(At("no-such-folder/out"), "x", 1, error));
    EXPECT_NE(error.find(At("no-such-folder/out") + ": cannot create"), std::string::npos) << error;

    // A folder that holds the name is refused, and nothing is left beside it.
    fs::create_directories(At("taken/inside"));
    EXPECT_FALSE(WriteWholeFile(At("taken"), "x", 1, error));
    EXPECT_EQ(error.rfind(At("taken") + ": cannot write: ", 0), 0u) << error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"out", "taken"}));
}

TEST_F(WholeFileTest, OnlyAFreeNameOrARegularFileIsReplaced)
{
    ASSERT_EQ(mkfifo(At("pipe").c_str(), 0600), 0);
    std::string error;
    EXPECT_FALSE(WriteWholeFile(At("pipe"), "x", 1, error));
    EXPECT_EQ(error, At("pipe") + ": cannot write: a FIFO is not replaced; only a regular file or a new name is");
    EXPECT_TRUE(fs::is_fifo(At("pipe")));

    // Asked only: a write that went wrong here would turn the machine's /dev/null into a file.
    std::string reason;
    EXPECT_FALSE(MayReplaceWhole("/dev/null", reason));
    EXPECT_EQ(reason, "a character device is not replaced; only a regular file or a new name is");
    EXPECT_FALSE(MayReplaceWhole(folder.string(), reason));
    EXPECT_EQ(reason, "a folder is not replaced; only a regular file or a new name is");

    // A link is neither replaced nor written through, wherever it points.
    std::ofstream(At("target")) << "kept";
    fs::create_symlink(At("target"), At("link"));
    EXPECT_FALSE(WriteWholeFile(At("link"), "new", 3, error));
    EXPECT_EQ(error,
              At("link") + ": cannot write: a symbolic link is not replaced; only a regular file or a new name is");
    EXPECT_TRUE(fs::is_symlink(At("link")));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(At("target"), 100, bytes, reason));
    EXPECT_EQ(bytes, "kept");
}

}  // namespace
