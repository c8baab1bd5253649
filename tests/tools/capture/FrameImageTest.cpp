#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/capture/FrameImage.h"

namespace {

RgbaImage Filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255)
{
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        image.pixels[i] = r;
        image.pixels[i + 1] = g;
        image.pixels[i + 2] = b;
        image.pixels[i + 3] = a;
    }
    return image;
}

void SetPixel(RgbaImage& image, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    std::uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

TEST(FrameImageTest, DownscaleAveragesBlocksAndKeepsRowOrder)
{
    RgbaImage source = Filled(4, 4, 0, 0, 0);
    // Top-left 2x2 block white, bottom-right block has one red pixel.
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            SetPixel(source, x, y, 255, 255, 255);
        }
    }
    SetPixel(source, 3, 3, 200, 0, 0);
    const RgbaImage small = Downscale(source, 2, 2);
    ASSERT_EQ(small.width, 2);
    ASSERT_EQ(small.height, 2);
    EXPECT_EQ(small.pixels[0], 255);                   // top-left stays white
    EXPECT_EQ(small.pixels[(1 * 2 + 1) * 4 + 0], 50);  // 200 / 4
    EXPECT_EQ(small.pixels[(1 * 2 + 0) * 4 + 0], 0);   // bottom-left black
}

TEST(FrameImageTest, DownscaleOfNonDivisibleSizeCoversTheWholeSource)
{
    const RgbaImage source = Filled(1280, 720, 10, 20, 30);
    const RgbaImage small = Downscale(source, 320, 180);
    ASSERT_EQ(small.pixels.size(), 320u * 180u * 4u);
    const RgbaImage odd = Downscale(Filled(7, 5, 9, 9, 9), 3, 2);
    ASSERT_EQ(odd.pixels.size(), 3u * 2u * 4u);
    EXPECT_EQ(odd.pixels[0], 9);
    EXPECT_TRUE(Downscale(RgbaImage{}, 3, 2).Empty());
}

TEST(FrameImageTest, CompareCountsPixelsBeyondTheChannelTolerance)
{
    const RgbaImage expected = Filled(10, 10, 100, 100, 100);
    RgbaImage actual = expected;
    SetPixel(actual, 0, 0, 104, 100, 100);  // within a tolerance of 4
    SetPixel(actual, 1, 0, 100, 110, 100);  // beyond it
    SetPixel(actual, 2, 0, 100, 100, 90);   // beyond it
    actual.pixels[3 * 4 + 3] = 0;           // alpha differences are not colour differences

    const ImageDifference difference = CompareImages(expected, actual, 4);
    EXPECT_TRUE(difference.sameSize);
    EXPECT_EQ(difference.pixelsOverTolerance, 2u);
    EXPECT_DOUBLE_EQ(difference.percentOverTolerance, 2.0);
    EXPECT_EQ(difference.maxChannelDelta, 10);

    const RgbaImage diff = DifferenceImage(expected, actual, 4);
    ASSERT_EQ(diff.width, 10);
    EXPECT_EQ(diff.pixels[0], 0);           // within tolerance: black
    EXPECT_EQ(diff.pixels[1 * 4 + 1], 40);  // 10 amplified four times
}

TEST(FrameImageTest, AnEdgeOnePixelOverIsExplainedWhatIsDrawnOrLostIsNot)
{
    // Dark left, bright right; the other rasteriser puts the edge one column further right.
    RgbaImage expected = Filled(12, 10, 20, 20, 20);
    RgbaImage shifted = expected;
    for (int y = 0; y < 10; ++y) {
        for (int x = 5; x < 12; ++x)
            SetPixel(expected, x, y, 200, 180, 160);
        for (int x = 6; x < 12; ++x)
            SetPixel(shifted, x, y, 200, 180, 160);
    }
    ImageDifference difference = CompareImages(expected, shifted, 3);
    EXPECT_EQ(difference.pixelsOverTolerance, 10u);  // the column the edge moved across
    EXPECT_EQ(difference.pixelsUnexplained, 0u);
    EXPECT_EQ(difference.maxUnexplainedDelta, 0);

    // A partly covered edge pixel takes a value between its neighbours: explained as well.
    RgbaImage blended = expected;
    for (int y = 0; y < 10; ++y)
        SetPixel(blended, 5, y, 110, 100, 90);
    EXPECT_EQ(CompareImages(expected, blended, 3).pixelsUnexplained, 0u);

    // A one-pixel line lost, or one drawn where there was none, is not explained, either way round.
    RgbaImage lined = expected;
    for (int x = 0; x < 5; ++x)
        SetPixel(lined, x, 4, 250, 250, 250);
    difference = CompareImages(lined, expected, 3);
    EXPECT_EQ(difference.pixelsUnexplained, 5u);
    EXPECT_EQ(difference.maxUnexplainedDelta, 230);
    EXPECT_EQ(CompareImages(expected, lined, 3).pixelsUnexplained, 5u);

    // Nor is a change of shade over an area, such as different lighting.
    RgbaImage darker = expected;
    for (int y = 0; y < 10; ++y) {
        for (int x = 8; x < 12; ++x)
            SetPixel(darker, x, y, 190, 170, 150);
    }
    difference = CompareImages(expected, darker, 3);
    EXPECT_EQ(difference.pixelsOverTolerance, 40u);
    EXPECT_EQ(difference.pixelsUnexplained, 40u);
}

TEST(FrameImageTest, DifferentSizesNeverCompareEqual)
{
    const ImageDifference difference = CompareImages(Filled(4, 4, 0, 0, 0), Filled(4, 5, 0, 0, 0), 255);
    EXPECT_FALSE(difference.sameSize);
    EXPECT_DOUBLE_EQ(difference.percentOverTolerance, 100.0);
    EXPECT_FALSE(CompareImages(RgbaImage{}, RgbaImage{}, 0).sameSize);
    EXPECT_TRUE(DifferenceImage(Filled(4, 4, 0, 0, 0), Filled(2, 2, 0, 0, 0), 0).Empty());
}

TEST(FrameImageTest, PngRoundTripAndReadErrorsNameTheFile)
{
    const std::string path = (std::filesystem::temp_directory_path() / "frame_image_test.png").string();
    RgbaImage image = Filled(3, 2, 1, 2, 3);
    SetPixel(image, 2, 1, 250, 128, 7);
    std::string error;
    ASSERT_TRUE(WritePng(path, image, &error)) << error;
    RgbaImage back;
    ASSERT_TRUE(ReadPng(path, back, &error)) << error;
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.pixels, image.pixels);
    std::remove(path.c_str());

    EXPECT_FALSE(ReadPng(path, back, &error));
    EXPECT_NE(error.find(path), std::string::npos) << error;

    RgbaImage broken = Filled(2, 2, 0, 0, 0);
    broken.pixels.pop_back();
    EXPECT_FALSE(WritePng(path, broken, &error));
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
