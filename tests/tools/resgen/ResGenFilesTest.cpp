// Every generated file exists after the build, decodes, and comes out the same on another run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stb_image.h>
#include <tiffio.h>

#include "assets/SceneContent.h"
#include "tools/resgen/Music.h"

namespace {

std::string BinPath(std::string_view rel)
{
    return std::string(RESGEN_BIN_DIR) + "/" + std::string(rel);
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool EndsWith(std::string_view s, std::string_view e)
{
    return s.size() >= e.size() && s.substr(s.size() - e.size()) == e;
}

struct Decoded {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> rgba;  // always 4 channels
};

Decoded Decode(const std::string& path)
{
    Decoded d;
    if (EndsWith(path, ".tif")) {
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        if (!tif)
            return d;
        uint32_t w = 0, h = 0;
        uint16_t spp = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
        std::vector<uint32_t> raster(size_t(w) * h);
        if (TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            d.width = int(w), d.height = int(h), d.channels = spp;
            d.rgba.resize(raster.size() * 4);
            for (size_t i = 0; i < raster.size(); ++i) {
                d.rgba[i * 4 + 0] = uint8_t(TIFFGetR(raster[i]));
                d.rgba[i * 4 + 1] = uint8_t(TIFFGetG(raster[i]));
                d.rgba[i * 4 + 2] = uint8_t(TIFFGetB(raster[i]));
                d.rgba[i * 4 + 3] = uint8_t(TIFFGetA(raster[i]));
            }
        }
        TIFFClose(tif);
        return d;
    }
    unsigned char* p = stbi_load(path.c_str(), &d.width, &d.height, &d.channels, 4);
    if (p) {
        d.rgba.assign(p, p + size_t(d.width) * d.height * 4);
        stbi_image_free(p);
    }
    return d;
}

std::vector<std::string> AllFiles()
{
    std::vector<std::string> files;
    for (auto f : kSceneTextureFiles)
        files.emplace_back(f);
    files.emplace_back(kSkyCubeMapFile);
    files.emplace_back(kSheepModelFile);
    for (auto f : kTextModelFiles)
        files.emplace_back(f);
    files.emplace_back(kPodModelFile);
    files.emplace_back(kRoomModelFile);
    for (const char* m : {"Res/sheep.mtl", "Res/Text1.mtl", "Res/Text2.mtl", "Res/Text3.mtl", "Res/cryo8.mtl",
                          "Res/cryoRoom2.mtl", "Res/vexa-rhino.mp3"})
        files.emplace_back(m);
    return files;
}

TEST(ResGenFiles, EveryAssetExistsAndIsNotEmpty)
{
    for (const std::string& f : AllFiles()) {
        std::error_code ec;
        EXPECT_GT(std::filesystem::file_size(BinPath(f), ec), 0u) << f;
        EXPECT_FALSE(ec) << f << ": " << ec.message();
    }
}

TEST(ResGenFiles, TexturesDecodeAsSquareMapsWithPlausibleContent)
{
    for (auto name : kSceneTextureFiles) {
        SCOPED_TRACE(std::string(name));
        Decoded d = Decode(BinPath(name));
        ASSERT_FALSE(d.rgba.empty());
        EXPECT_EQ(d.width, d.height);
        EXPECT_TRUE(d.width == 512 || d.width == 1024);
        const bool masked = name.find("masked") != std::string_view::npos;
        EXPECT_EQ(d.channels, masked ? 4 : 3);
        const bool normal = name.find("normal") != std::string_view::npos || masked;
        double sum[4] = {}, sumSq = 0;
        const size_t n = size_t(d.width) * d.height;
        for (size_t i = 0; i < n; ++i) {
            for (int c = 0; c < 4; ++c)
                sum[c] += d.rgba[i * 4 + c];
            double lum = (d.rgba[i * 4] + d.rgba[i * 4 + 1] + d.rgba[i * 4 + 2]) / 3.0;
            sumSq += lum * lum;
        }
        double mean[4];
        for (int c = 0; c < 4; ++c)
            mean[c] = sum[c] / n;
        if (normal) {
            // Tangent-space normals lean little on average and point out of the surface.
            EXPECT_NEAR(mean[0], 128, 16);
            EXPECT_NEAR(mean[1], 128, 16);
            EXPECT_GT(mean[2], 200);
        } else {
            double lumMean = (mean[0] + mean[1] + mean[2]) / 3;
            EXPECT_GT(std::sqrt(sumSq / n - lumMean * lumMean), 4.0) << "colour map is flat";
        }
        if (masked) {
            // The decal mask covers part of the image, not none and not all of it.
            EXPECT_GT(mean[3], 10);
            EXPECT_LT(mean[3], 200);
        }
    }
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(ResGenFiles, SkyIsAnUncompressedRgbaCubeMap)
{
    const std::vector<uint8_t> b = ReadAll(BinPath(kSkyCubeMapFile));
    const size_t face = 512 * 512 * 4;
    ASSERT_EQ(b.size(), 128 + 6 * face);
    EXPECT_EQ(std::memcmp(b.data(), "DDS ", 4), 0);
    EXPECT_EQ(Le32(b, 4), 124u);
    EXPECT_EQ(Le32(b, 12), 512u);                // height
    EXPECT_EQ(Le32(b, 16), 512u);                // width
    EXPECT_EQ(Le32(b, 76), 32u);                 // pixel format size
    EXPECT_EQ(Le32(b, 80), 0x41u);               // RGB with alpha
    EXPECT_EQ(Le32(b, 88), 32u);                 // bits per pixel
    EXPECT_EQ(Le32(b, 92), 0x000000ffu);         // red mask
    EXPECT_EQ(Le32(b, 104), 0xff000000u);        // alpha mask
    EXPECT_EQ(Le32(b, 108) & 0x1008u, 0x1008u);  // texture, complex
    EXPECT_EQ(Le32(b, 112), 0xFE00u);            // cube map with all six faces
    // The sky is darker straight up than at the horizon, and the ground darker still near the bottom.
    auto lum = [&](int f, int x, int y) {
        const uint8_t* p = &b[128 + f * face + (size_t(y) * 512 + x) * 4];
        return (p[0] + p[1] + p[2]) / 3.0;
    };
    double zenith = lum(2, 256, 256), horizon = lum(4, 256, 255), nadir = lum(3, 256, 256);
    EXPECT_LT(zenith + 5, horizon);
    EXPECT_LT(nadir, horizon);
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(b[128 + f * face + 3], 255);
}

// Parses MPEG audio frame headers; returns frames, with the encoder delay and padding from the info
// frame. Fails the test on anything but MPEG-1 layer III at 44.1 kHz, 192 kb/s, stereo.
struct Mp3Info {
    size_t frames = 0;
    int delay = -1, padding = -1;
};

Mp3Info ParseMp3(const std::vector<uint8_t>& b)
{
    Mp3Info info;
    size_t pos = 0;
    if (b.size() > 10 && std::memcmp(b.data(), "ID3", 3) == 0)
        pos = 10 + ((b[6] & 0x7f) << 21 | (b[7] & 0x7f) << 14 | (b[8] & 0x7f) << 7 | (b[9] & 0x7f));
    bool first = true;
    while (pos + 4 <= b.size()) {
        uint32_t h = uint32_t(b[pos]) << 24 | uint32_t(b[pos + 1]) << 16 | uint32_t(b[pos + 2]) << 8 | b[pos + 3];
        EXPECT_EQ(h & 0xFFE00000u, 0xFFE00000u) << "lost frame sync at byte " << pos;
        if ((h & 0xFFE00000u) != 0xFFE00000u)
            break;
        EXPECT_EQ((h >> 19) & 3, 3u);    // MPEG-1
        EXPECT_EQ((h >> 17) & 3, 1u);    // layer III
        EXPECT_EQ((h >> 12) & 15, 11u);  // 192 kb/s
        EXPECT_EQ((h >> 10) & 3, 0u);    // 44100 Hz
        EXPECT_NE((h >> 6) & 3, 3u);     // not mono
        size_t size = 144 * 192000 / 44100 + ((h >> 9) & 1);
        if (first) {
            // The info frame: "Info" or "Xing" after the side information, LAME's delay and padding.
            for (size_t off = pos + 4; off + 4 < pos + size; ++off) {
                if (std::memcmp(&b[off], "Info", 4) == 0 || std::memcmp(&b[off], "Xing", 4) == 0) {
                    size_t lame = off + 120;
                    if (lame + 24 < b.size() && std::memcmp(&b[lame], "LAME", 4) == 0) {
                        size_t d = lame + 21;
                        info.delay = (b[d] << 4) | (b[d + 1] >> 4);
                        info.padding = ((b[d + 1] & 0x0f) << 8) | b[d + 2];
                    }
                    break;
                }
            }
            first = false;
        } else {
            ++info.frames;
        }
        pos += size;
    }
    EXPECT_EQ(pos, b.size()) << "trailing bytes after the last frame";
    return info;
}

TEST(ResGenFiles, MusicIsLongEnoughStereoMp3AtOneNinetyTwoKbps)
{
    Mp3Info info = ParseMp3(ReadAll(BinPath("Res/vexa-rhino.mp3")));
    ASSERT_GE(info.delay, 0) << "no encoder delay recorded; the first beat would start late";
    ASSERT_GE(info.padding, 0);
    double seconds = (double(info.frames) * 1152 - info.delay - info.padding) / 44100.0;
    const double showEnd = 112 * static_cast<double>(0.46153843f);
    EXPECT_GT(seconds, showEnd + 1.5);
    EXPECT_LT(seconds, showEnd + 3.0);
}

TEST(ResGenFiles, GeneratorRepeatsItselfByteForByte)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("resgen-rerun-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    const std::string cmd = std::string("\"") + RESGEN_EXE + "\" \"" + dir.string() + "\" 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    size_t compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(ReadAll(entry.path().string()), ReadAll(BinPath("Res/" + name))) << name << " differs";
        ++compared;
    }
    EXPECT_EQ(compared, AllFiles().size());
    std::filesystem::remove_all(dir);
}

TEST(ResGenFiles, GeneratorReportsAnUnwritableFolder)
{
    const std::string cmd = std::string("\"") + RESGEN_EXE + "\" /proc/resgen-cannot-write-here 2>/dev/null";
    int rc = std::system(cmd.c_str());
    EXPECT_NE(rc, 0);
}

}  // namespace
