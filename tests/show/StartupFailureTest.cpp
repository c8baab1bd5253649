// Start-up with broken model files: a malformed one stops the show with a message naming the file
// and line and a failure status; a missing one is drawn as nothing and the show starts.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/d3d11/Diagnostics.h"
#include "platform/media/Mci.h"
#include "show/BoxApp.h"
#include "tests/show/ShowTestSupport.h"

namespace fs = std::filesystem;

namespace {

// A private working folder whose Res/ links to the generated assets, except the files replaced.
class ScratchShowFolder {
public:
    ScratchShowFolder()
    {
        root = fs::temp_directory_path() / ("show-startup-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "Res");
        for (const auto& entry : fs::directory_iterator(fs::path(SHOW_BIN_DIR) / "Res")) {
            fs::create_symlink(entry.path(), root / "Res" / entry.path().filename());
        }
    }
    ~ScratchShowFolder()
    {
        // Never leave the process inside a folder that is gone.
        if (::chdir(SHOW_BIN_DIR) != 0) {
            ADD_FAILURE() << "cannot return to " << SHOW_BIN_DIR;
        }
        fs::remove_all(root);
    }

    void Replace(const std::string& name, const std::string& content)
    {
        fs::remove(root / "Res" / name);
        std::ofstream(root / "Res" / name) << content;
    }
    void Remove(const std::string& name) { fs::remove(root / "Res" / name); }

    fs::path root;
};

struct ProcessResult {
    int status = -1;
    std::string output;
};

// Runs the program from the folder, without a display, and collects its standard error.
ProcessResult RunProgramIn(const fs::path& folder)
{
    const std::string command = "cd '" + folder.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                                "SDL_AUDIODRIVER=dummy LP_NUM_THREADS=2 '" SHOW_BIN_DIR "/vexa-rhino' 2>&1";
    ProcessResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return result;
    }
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) {
        result.output += buffer.data();
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

const char* const kBadNumberSheep = "# sheep with a broken coordinate\n"
                                    "v 0 0 0\n"
                                    "v 1 x 0\n"
                                    "v 0 1 0\n"
                                    "vn 0 0 1\n"
                                    "f 1//1 2//1 3//1\n";

TEST(StartupFailureTest, MalformedModelStopsTheStartNamingFileAndLine)
{
    ScratchShowFolder folder;
    folder.Replace("sheep.obj", kBadNumberSheep);
    ASSERT_TRUE(EnterShowFolder());
    ASSERT_EQ(::chdir(folder.root.c_str()), 0);
    Win32SetHeadless(true);
    {
        BoxApp app(nullptr);
        EXPECT_FALSE(app.Initialize());
        EXPECT_NE(app.StartupError().find("Res/sheep.obj:3"), std::string::npos) << app.StartupError();
    }
    MciShutdown();
    Win32Shutdown();
    // Everything made before the failure is released with the application.
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST(StartupFailureTest, ProgramReportsAMalformedModelWithAFailureStatus)
{
    ScratchShowFolder folder;
    folder.Replace("cryoRoom2.obj", "o Floor_FloorMesh\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                                    "f 1/1/1 2/1/1 3/1/7\n");
    const ProcessResult result = RunProgramIn(folder.root);
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("Res/cryoRoom2.obj:7"), std::string::npos) << result.output;
}

TEST(StartupFailureTest, MissingModelIsWarnedAboutAndTheShowStillStarts)
{
    ScratchShowFolder folder;
    folder.Remove("Text1.obj");
    ASSERT_TRUE(EnterShowFolder());
    ASSERT_EQ(::chdir(folder.root.c_str()), 0);
    Win32SetHeadless(true);
    testing::internal::CaptureStderr();
    {
        BoxApp app(nullptr);
        EXPECT_TRUE(app.Initialize());
        EXPECT_TRUE(app.StartupError().empty());
        EXPECT_GT(app.SheepIndexCount(), 0u);
        // A frame draws without the missing text.
        app.UpdateAt(1.0f);
        app.RenderFrame();
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Res/Text1.obj"), std::string::npos) << errors;
    MciShutdown();
    Win32Shutdown();
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

}  // namespace
