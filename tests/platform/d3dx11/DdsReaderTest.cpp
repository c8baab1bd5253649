#include "platform/d3dx11/DdsReader.h"

#include <gtest/gtest.h>

#include "tests/platform/d3dx11/DdsTestFiles.h"

namespace {

using ddstest::DdsHeader;
using ddstest::DdsSpec;

std::vector<std::uint8_t> WithPixels(std::vector<std::uint8_t> header, std::size_t bytes, std::uint8_t fill = 0x40)
{
    header.resize(header.size() + bytes, fill);
    return header;
}

TEST(DdsReader, ReadsBgraCubeMapWithMipsAsRgbaFaceMajor)
{
    DdsSpec s;
    s.width = s.height = 4;
    s.mips = 3;  // 4, 2, 1
    s.cube = true;
    std::vector<std::uint8_t> file = DdsHeader(s);
    for (int face = 0; face < 6; ++face)
        for (std::uint32_t size : {4u, 2u, 1u})
            for (std::uint32_t i = 0; i < size * size; ++i) {
                // BGRA in memory: blue = face, green = size, red = 200, alpha = 100.
                file.insert(file.end(), {std::uint8_t(face), std::uint8_t(size), 200, 100});
            }
    DdsImage image;
    std::string error;
    ASSERT_TRUE(ReadDds(file.data(), file.size(), image, error)) << error;
    EXPECT_EQ(image.faces, 6u);
    EXPECT_EQ(image.mipLevels, 3u);
    EXPECT_EQ(image.format, DXGI_FORMAT_R8G8B8A8_UNORM);
    ASSERT_EQ(image.subresources.size(), 18u);
    const DdsSubresource& face3level1 = image.subresources[3 * 3 + 1];
    EXPECT_EQ(face3level1.width, 2u);
    EXPECT_EQ(face3level1.rowPitch, 8u);
    const std::uint8_t* px = image.data.data() + face3level1.offset;
    EXPECT_EQ(px[0], 200);  // red
    EXPECT_EQ(px[1], 2);    // green
    EXPECT_EQ(px[2], 3);    // blue
    EXPECT_EQ(px[3], 100);  // alpha
}

TEST(DdsReader, ReadsCompressedBlocksAndOpaqueRgb)
{
    struct Case {
        const char* fourCC;
        DXGI_FORMAT format;
        std::size_t bytes;  // 8x4 texture: two blocks
    };
    for (const Case& c : {Case{"DXT1", DXGI_FORMAT_BC1_UNORM, 16}, Case{"DXT3", DXGI_FORMAT_BC2_UNORM, 32},
                          Case{"DXT5", DXGI_FORMAT_BC3_UNORM, 32}}) {
        DdsSpec s;
        s.width = 8;
        s.fourCC = ddstest::FourCC({c.fourCC[0], c.fourCC[1], c.fourCC[2], c.fourCC[3], 0});
        const auto file = WithPixels(DdsHeader(s), c.bytes);
        DdsImage image;
        std::string error;
        ASSERT_TRUE(ReadDds(file.data(), file.size(), image, error)) << c.fourCC << ": " << error;
        EXPECT_EQ(image.format, c.format);
        EXPECT_EQ(image.data.size(), c.bytes);
    }
    // 32-bit RGB without alpha: alpha comes out opaque.
    DdsSpec s;
    s.alpha = false;
    s.masks[0] = 0xFF;
    s.masks[1] = 0xFF00;
    s.masks[2] = 0xFF0000;
    s.masks[3] = 0;
    const auto file = WithPixels(DdsHeader(s), 64, 7);
    DdsImage image;
    std::string error;
    ASSERT_TRUE(ReadDds(file.data(), file.size(), image, error)) << error;
    EXPECT_EQ(image.data[0], 7);
    EXPECT_EQ(image.data[3], 255);
}

TEST(DdsReader, RejectsMalformedFilesWithAReason)
{
    const auto good = WithPixels(DdsHeader(DdsSpec{}), 64);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    auto patched = [&](std::size_t at, std::uint32_t v) {
        auto b = good;
        ddstest::Put(b, at, v);
        return b;
    };
    auto variant = [](auto change) {
        DdsSpec s;
        change(s);
        return s;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"short header", std::vector<std::uint8_t>(good.begin(), good.begin() + 100)},
        {"bad magic", patched(0, 0x12345678)},
        {"header size", patched(4, 120)},
        {"pixel format size", patched(76, 0)},
        {"zero width", patched(16, 0)},
        {"huge height", patched(12, 16385)},
        {"truncated pixels", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
        {"volume", patched(24, 4)},
        {"mip count beyond chain", WithPixels(DdsHeader(variant([](DdsSpec& s) { s.mips = 4; })), 4096)},
        {"partial cube", WithPixels(DdsHeader(variant([](DdsSpec& s) {
                                        s.cube = true;
                                        s.caps2Faces = 0x0C00;
                                    })),
                                    4096)},
        {"non-square cube", WithPixels(DdsHeader(variant([](DdsSpec& s) {
                                           s.cube = true;
                                           s.width = 8;
                                       })),
                                       4096)},
        {"unknown FourCC",
         WithPixels(DdsHeader(variant([](DdsSpec& s) { s.fourCC = ddstest::FourCC("ATI2"); })), 4096)},
        {"odd masks", WithPixels(DdsHeader(variant([](DdsSpec& s) { s.masks[0] = 0x0FF0; })), 4096)},
        {"24-bit", patched(88, 24)},
        {"DX10 header missing",
         WithPixels(DdsHeader(variant([](DdsSpec& s) { s.fourCC = ddstest::FourCC("DX10"); })), 8)},
        // Dimensions whose data size would overflow 32 bits with the mip count claimed.
        {"huge claimed size", patched(12, 16384)},
    };
    for (const Case& c : cases) {
        DdsImage image;
        image.width = 77;
        std::string error;
        EXPECT_FALSE(ReadDds(c.bytes.data(), c.bytes.size(), image, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(image.width, 77u) << c.what;  // untouched on failure
    }
}

TEST(DdsReader, SurvivesEverySingleByteCorruptionOfTheHeader)
{
    DdsSpec s;
    s.mips = 3;
    s.cube = true;
    const auto good = WithPixels(DdsHeader(s), 6 * (64 + 16 + 4));
    DdsImage image;
    std::string error;
    ASSERT_TRUE(ReadDds(good.data(), good.size(), image, error)) << error;
    for (std::size_t i = 0; i < 128; ++i)
        for (std::uint8_t v : {std::uint8_t(0), std::uint8_t(0xFF), std::uint8_t(0x80)}) {
            auto bad = good;
            bad[i] = v;
            (void)ReadDds(bad.data(), bad.size(), image, error);
        }
}

}  // namespace
