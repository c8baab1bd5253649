#include <gtest/gtest.h>

#include "passes/BlurPass.h"

namespace {

TEST(BlurGroupCountTest, CoversEveryPixelWith256PerGroup)
{
    struct Case {
        UINT pixels;
        UINT groups;
    };
    const Case cases[] = {
        {0, 0},   {1, 1},    {255, 1},  {256, 1},  {257, 2},  {720, 3},
        {800, 4}, {1024, 4}, {1025, 5}, {1280, 5}, {1920, 8}, {16384, 64},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BlurGroupCount(c.pixels), c.groups) << c.pixels << " pixels";
    }
}

TEST(BlurGroupCountTest, NeverLeavesPixelsUncoveredUpToTheLargestTexture)
{
    // The count goes through a float; it must still reach ceil(n / 256) for every size a texture
    // can have.
    for (UINT pixels = 1; pixels <= 16384; ++pixels) {
        const UINT groups = BlurGroupCount(pixels);
        ASSERT_GE(groups * 256, pixels) << pixels;
        ASSERT_LT((groups - 1) * 256, pixels) << pixels;
    }
}

TEST(BlurPassTest, StartsWithoutViewsAndResizeWithoutDeviceKeepsNone)
{
    BlurPass blur;
    EXPECT_EQ(blur.ScratchSrv(), nullptr);
    EXPECT_EQ(blur.ScratchUav(), nullptr);
    blur.Resize(nullptr, 640, 480);
    EXPECT_EQ(blur.Width(), 640u);
    EXPECT_EQ(blur.Height(), 480u);
    EXPECT_EQ(blur.ScratchSrv(), nullptr);
    // Blurring with nothing created (no effect, no views) does nothing and does not fail.
    blur.BlurInPlace(nullptr, nullptr, nullptr);
}

}  // namespace
