// The order in which headless EGL displays are tried, and the refusal of choices that name nothing
// the EGL library has: pure logic, tried on made-up EGL libraries.
#include "platform/d3d11/EglDisplays.h"

#include <gtest/gtest.h>

namespace d3dgl {
namespace {

EglClient FullClient()
{
    EglClient client;
    client.platformDisplays = true;
    client.devicePlatform = true;
    client.surfacelessPlatform = true;
    // As an NVIDIA server with Mesa installed beside its driver enumerates them: software first.
    client.devices = {{true, ""}, {false, "/dev/dri/renderD128"}, {false, "/dev/dri/renderD129"}};
    return client;
}

std::vector<std::string> Labels(const std::vector<EglCandidate>& candidates)
{
    std::vector<std::string> labels;
    for (const EglCandidate& c : candidates) {
        labels.push_back(c.label);
    }
    return labels;
}

TEST(EglDisplays, GpusComeFirstThenSoftwareDevicesThenSurfacelessThenTheDefaultDisplay)
{
    std::vector<std::string> skipped;
    std::string error;
    const auto candidates = EglCandidates(FullClient(), nullptr, "", skipped, error);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(skipped.empty());
    EXPECT_EQ(Labels(candidates),
              (std::vector<std::string>{"EGL device 1 (/dev/dri/renderD128)", "EGL device 2 (/dev/dri/renderD129)",
                                        "EGL device 0 (software)", "EGL surfaceless platform", "EGL default display"}));
    EXPECT_EQ(candidates[0].device, 1);
    EXPECT_EQ(candidates[2].device, 0);
    EXPECT_EQ(candidates[3].platform, EglPlatform::Surfaceless);
}

TEST(EglDisplays, PlatformsTheLibraryLacksAreSkippedWithTheirReason)
{
    EglClient client = FullClient();
    client.devicePlatform = false;
    client.surfacelessPlatform = false;
    std::vector<std::string> skipped;
    std::string error;
    EXPECT_EQ(Labels(EglCandidates(client, nullptr, nullptr, skipped, error)),
              std::vector<std::string>{"EGL default display"});
    ASSERT_EQ(skipped.size(), 2u);
    EXPECT_NE(skipped[0].find("EGL_EXT_platform_device"), std::string::npos) << skipped[0];
    EXPECT_NE(skipped[1].find("EGL_MESA_platform_surfaceless"), std::string::npos) << skipped[1];

    // Without eglGetPlatformDisplayEXT neither platform can be reached, whatever else is there.
    client = FullClient();
    client.platformDisplays = false;
    skipped.clear();
    EXPECT_EQ(EglCandidates(client, nullptr, nullptr, skipped, error).size(), 1u);
    EXPECT_EQ(skipped.size(), 2u);

    client = FullClient();
    client.devices.clear();
    skipped.clear();
    EXPECT_EQ(EglCandidates(client, nullptr, nullptr, skipped, error).size(), 2u);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_NE(skipped[0].find("no device"), std::string::npos) << skipped[0];
}

TEST(EglDisplays, ChoicesNarrowTheListToOnePlatformOrOneDevice)
{
    std::vector<std::string> skipped;
    std::string error;
    EXPECT_EQ(Labels(EglCandidates(FullClient(), "surfaceless", nullptr, skipped, error)),
              std::vector<std::string>{"EGL surfaceless platform"});
    EXPECT_EQ(Labels(EglCandidates(FullClient(), "default", nullptr, skipped, error)),
              std::vector<std::string>{"EGL default display"});
    EXPECT_EQ(EglCandidates(FullClient(), "device", nullptr, skipped, error).size(), 3u);
    EXPECT_EQ(Labels(EglCandidates(FullClient(), nullptr, "0", skipped, error)),
              std::vector<std::string>{"EGL device 0 (software)"});
    EXPECT_EQ(Labels(EglCandidates(FullClient(), "device", "2", skipped, error)),
              std::vector<std::string>{"EGL device 2 (/dev/dri/renderD129)"});
    EXPECT_EQ(error, "");

    // A platform chosen that the library lacks leaves nothing to try, and says why.
    EglClient client = FullClient();
    client.surfacelessPlatform = false;
    skipped.clear();
    EXPECT_TRUE(EglCandidates(client, "surfaceless", nullptr, skipped, error).empty());
    EXPECT_EQ(skipped.size(), 1u);
}

TEST(EglDisplays, ChoicesThatNameNothingAreRefusedWithWhatIsWrong)
{
    struct Case {
        const char* platform;
        const char* device;
        const char* message;
    };
    for (const Case& c :
         {Case{"wayland", nullptr, "SHOW_EGL_PLATFORM=wayland is none of device, surfaceless, default"},
          Case{nullptr, "3", "SHOW_EGL_DEVICE=3, but EGL has devices 0 to 2"},
          Case{nullptr, "-1", "SHOW_EGL_DEVICE=-1 is not a device number (0, 1, ...)"},
          Case{nullptr, "1x", "SHOW_EGL_DEVICE=1x is not a device number (0, 1, ...)"},
          Case{nullptr, "99999999999", "SHOW_EGL_DEVICE=99999999999 is not a device number (0, 1, ...)"},
          Case{"surfaceless", "0",
               "SHOW_EGL_DEVICE chooses a device of the device platform, but SHOW_EGL_PLATFORM=surfaceless"}}) {
        std::vector<std::string> skipped;
        std::string error;
        EXPECT_TRUE(EglCandidates(FullClient(), c.platform, c.device, skipped, error).empty());
        EXPECT_EQ(error, c.message);
    }
    EglClient client = FullClient();
    client.devicePlatform = false;
    std::vector<std::string> skipped;
    std::string error;
    EXPECT_TRUE(EglCandidates(client, nullptr, "0", skipped, error).empty());
    EXPECT_EQ(error, "SHOW_EGL_DEVICE=0, but EGL has no devices");
}

TEST(EglDisplays, ErrorCodesAreNamed)
{
    EXPECT_EQ(EglErrorName(0x3001), "EGL_NOT_INITIALIZED (0x3001)");
    EXPECT_EQ(EglErrorName(0x300C), "EGL_BAD_PARAMETER (0x300c)");
    EXPECT_EQ(EglErrorName(0x1234), "EGL error 0x1234");
}

}  // namespace
}  // namespace d3dgl
