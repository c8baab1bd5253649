// Reference frames: the show rendered headless at 1280x720 at nine beats across both scenes (the
// sheep from the front and from above among them), compared downscaled with the approved images in
// tests/show/golden. A frame that differs is written with a difference image next to the test
// binary; approve-golden.sh replaces references.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
// Measured on these frames at this size: two llvmpipe runs are identical; llvmpipe and zink on
// lavapipe differ by at most 1 level, except along two edges that run exactly through pixel
// centres, which the two place on either side (one full-size row each: up to 74 pixels here more
// than 3 levels apart, up to 29), and one star that lands on the other side of a pixel (16 levels).
// So: a colour channel may differ by a few levels,
constexpr int kChannelTolerance = 3;
// an edge may sit one pixel over on at most this share of the pixels,
constexpr double kMaxPercentOver = 0.3;
// and beyond that only a handful of pixels may differ (a star, a sparkle).
constexpr std::size_t kMaxUnexplainedPixels = 4;

// Another kind of driver (a GPU's, against these llvmpipe references) rounds and filters otherwise:
// SHOW_GOLDEN_TOLERANCE=CHANNEL,PERCENT,PIXELS widens the three limits (scripts/gpu-check.sh).
struct Tolerance {
    int channel = kChannelTolerance;
    double percentOver = kMaxPercentOver;
    std::size_t unexplained = kMaxUnexplainedPixels;
};

Tolerance ToleranceFromEnvironment()
{
    Tolerance tolerance;
    const char* text = std::getenv("SHOW_GOLDEN_TOLERANCE");
    if (text == nullptr || *text == '\0') {
        return tolerance;
    }
    int channel = 0;
    double percent = 0;
    unsigned long pixels = 0;
    if (std::sscanf(text, "%d,%lf,%lu", &channel, &percent, &pixels) == 3 && channel >= 0 && percent >= 0) {
        tolerance = {channel, percent, pixels};
    } else {
        ADD_FAILURE() << "SHOW_GOLDEN_TOLERANCE=" << text << " is not CHANNEL,PERCENT,PIXELS";
    }
    return tolerance;
}

// Ascending; 12 is the sheep walking at the camera, 46 the sheep from above.
const std::vector<int> kBeats = {8, 12, 24, 40, 46, 56, 72, 88, 104};

std::string BeatName(int beat)
{
    char name[32];
    std::snprintf(name, sizeof name, "beat-%03d", beat);
    return name;
}

// Whether a library whose file name contains `part` is mapped into this process.
bool LibraryLoaded(const std::string& part)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.rfind('/');
        if (slash != std::string::npos && line.find(part, slash) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Empty when actual is within the tolerance of expected; otherwise by how much it is not.
std::string Mismatch(const RgbaImage& expected, const RgbaImage& actual, const Tolerance& tolerance)
{
    const ImageDifference difference = CompareImages(expected, actual, tolerance.channel);
    if (!difference.sameSize) {
        return "the sizes differ";
    }
    if (difference.percentOverTolerance <= tolerance.percentOver &&
        difference.pixelsUnexplained <= tolerance.unexplained) {
        return "";
    }
    return std::to_string(difference.percentOverTolerance) + "% of the pixels differ by more than " +
           std::to_string(tolerance.channel) + " (largest " + std::to_string(difference.maxChannelDelta) + "), " +
           std::to_string(difference.pixelsUnexplained) + " of them not by an edge one pixel over (largest " +
           std::to_string(difference.maxUnexplainedDelta) + ")";
}

TEST(GoldenFrameTest, FramesAcrossTheShowMatchTheApprovedReferences)
{
    ASSERT_TRUE(EnterShowFolder());
    // Against another GL driver (MESA_LOADER_DRIVER_OVERRIDE=zink) the comparison only means something
    // if that driver is the one drawing: Mesa falls back to its default one when it cannot load it.
    const char* driverOverride = std::getenv("MESA_LOADER_DRIVER_OVERRIDE");
    const std::string driver = driverOverride != nullptr ? driverOverride : "";
    bool driverChecked = false;
    const Tolerance tolerance = ToleranceFromEnvironment();
    CaptureRequest request;
    for (int beat : kBeats) {
        request.times.push_back(BeatTime(beat));
    }

    std::vector<std::string> failures;
    const std::filesystem::path outDir = SHOW_GOLDEN_OUT;
    std::filesystem::create_directories(outDir);

    const CaptureResult result = CaptureShow(request, [&](const CapturedFrame& frame) {
        const int beat = kBeats.at(static_cast<size_t>(frame.index));
        if (!driver.empty() && !driverChecked) {
            EXPECT_TRUE(LibraryLoaded(driver + "_dri")) << "the GL driver drawing is not " << driver;
            driverChecked = true;
        }
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
        if (const std::string problem = Mismatch(expected, actual, tolerance); !problem.empty()) {
            const std::string diffPath = (outDir / (name + "-diff.png")).string();
            WritePng(actualPath, actual);
            WritePng(diffPath, DifferenceImage(expected, actual, tolerance.channel));
            failures.push_back(name + ": " + problem + "; see " + actualPath + " and " + diffPath);
        }
        return true;
    });

    ASSERT_TRUE(result.started) << result.error;
    // Likewise the EGL platform asked for (SHOW_EGL_PLATFORM=device): no other may have drawn.
    if (const char* platform = std::getenv("SHOW_EGL_PLATFORM"); platform != nullptr && *platform != '\0') {
        EXPECT_EQ(result.platform.rfind(std::string("EGL ") + platform, 0), 0u) << result.platform;
    }
    EXPECT_EQ(result.framesDelivered, static_cast<int>(kBeats.size()));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.liveObjectsAfter, 0);
    for (const std::string& failure : failures) {
        ADD_FAILURE() << failure;
    }
}

// Frames another program wrote, such as an installed vexa-rhino-capture with --size 320x180 (the
// package test): each beat-NNN.png in the folder SHOW_GOLDEN_CANDIDATES names matches its reference.
TEST(GoldenFrameTest, FramesInAFolderMatchTheirReferences)
{
    const char* folder = std::getenv("SHOW_GOLDEN_CANDIDATES");
    if (folder == nullptr || *folder == '\0') {
        GTEST_SKIP() << "SHOW_GOLDEN_CANDIDATES names no folder of frames";
    }
    const Tolerance tolerance = ToleranceFromEnvironment();
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string file = entry.path().filename().string();
        RgbaImage expected, actual;
        std::string error;
        if (!ReadPng(std::string(SHOW_GOLDEN_DIR) + "/" + file, expected, &error)) {
            ADD_FAILURE() << file << ": no reference (" << error << ")";
            continue;
        }
        ASSERT_TRUE(ReadPng(entry.path().string(), actual, &error)) << error;
        const std::string problem = Mismatch(expected, actual, tolerance);
        EXPECT_EQ(problem, "") << entry.path().string();
        ++compared;
    }
    EXPECT_GT(compared, 0) << "no frames in " << folder;
}

TEST(GoldenFrameTest, EveryReferenceIsOneTheTestRenders)
{
    // A reference the list does not name (or approve-golden.sh approving other beats) would sit
    // there unchecked.
    for (const auto& entry : std::filesystem::directory_iterator(SHOW_GOLDEN_DIR)) {
        const std::string file = entry.path().filename().string();
        const bool listed = std::any_of(kBeats.begin(), kBeats.end(),
                                        [&](int beat) { return file == BeatName(beat) + ".png"; });
        EXPECT_TRUE(listed) << file;
    }
}

}  // namespace
