// Reference frames: the show rendered headless at 1280x720 at seven beats across both scenes,
// compared downscaled with the approved images in tests/show/golden. A frame that differs is
// written with a difference image next to the test binary; approve-golden.sh replaces references.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/d3d11/Diagnostics.h"
#include "tests/show/ShowTestSupport.h"
#include "tools/capture/FrameImage.h"
#include "tools/capture/ShowCapture.h"

#ifndef SHOW_GOLDEN_DIR
#error "SHOW_GOLDEN_DIR must name the folder of the reference frames"
#endif
#ifndef SHOW_GOLDEN_OUT
#error "SHOW_GOLDEN_OUT must name where failing frames are written"
#endif

namespace {

constexpr int kReferenceWidth = 320;
constexpr int kReferenceHeight = 180;
// A colour channel may differ by this much (rasteriser and filtering differences between drivers).
constexpr int kChannelTolerance = 24;
// and this share of the pixels may differ by more.
constexpr double kMaxPercentOver = 1.5;

const std::vector<int> kBeats = {8, 24, 40, 56, 72, 88, 104};

std::string BeatName(int beat)
{
    char name[32];
    std::snprintf(name, sizeof name, "beat-%03d", beat);
    return name;
}

TEST(GoldenFrameTest, FramesAtSevenBeatsMatchTheApprovedReferences)
{
    ASSERT_TRUE(EnterShowFolder());
    CaptureRequest request;
    for (int beat : kBeats) {
        request.times.push_back(BeatTime(beat));
    }

    std::vector<std::string> failures;
    const std::filesystem::path outDir = SHOW_GOLDEN_OUT;
    std::filesystem::create_directories(outDir);

    const CaptureResult result = CaptureShow(request, [&](const CapturedFrame& frame) {
        const int beat = kBeats.at(static_cast<size_t>(frame.index));
        EXPECT_EQ(frame.image->width, 1280);
        EXPECT_EQ(frame.image->height, 720);
        EXPECT_NEAR(frame.beat, beat, 1e-3);
        const RgbaImage actual = Downscale(*frame.image, kReferenceWidth, kReferenceHeight);

        const std::string name = BeatName(beat);
        const std::string referencePath = std::string(SHOW_GOLDEN_DIR) + "/" + name + ".png";
        const std::string actualPath = (outDir / (name + "-actual.png")).string();
        RgbaImage expected;
        std::string error;
        if (!ReadPng(referencePath, expected, &error)) {
            WritePng(actualPath, actual);
            failures.push_back(name + ": no reference (" + error + "); the frame is in " + actualPath +
                               ", approve it with tests/show/approve-golden.sh");
            return true;
        }
        const ImageDifference difference = CompareImages(expected, actual, kChannelTolerance);
        if (!difference.sameSize || difference.percentOverTolerance > kMaxPercentOver) {
            const std::string diffPath = (outDir / (name + "-diff.png")).string();
            WritePng(actualPath, actual);
            WritePng(diffPath, DifferenceImage(expected, actual, kChannelTolerance));
            failures.push_back(name + ": " + std::to_string(difference.percentOverTolerance) +
                               "% of the pixels differ by more than " + std::to_string(kChannelTolerance) +
                               " (largest " + std::to_string(difference.maxChannelDelta) + "); see " + actualPath +
                               " and " + diffPath);
        }
        return true;
    });

    ASSERT_TRUE(result.started) << result.error;
    EXPECT_EQ(result.framesDelivered, static_cast<int>(kBeats.size()));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.liveObjectsAfter, 0);
    for (const std::string& failure : failures) {
        ADD_FAILURE() << failure;
    }
}

}  // namespace
