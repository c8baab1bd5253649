#pragma once
// RGBA8 frames as the capture reads them back: PNG in and out, box downscaling, and the comparison
// the reference-frame tests use.
#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows top first, 4 bytes per pixel

    bool Empty() const { return width <= 0 || height <= 0; }
};

// False (with the reason in *error when given) when the file cannot be written or read.
bool WritePng(const std::string& path, const RgbaImage& image, std::string* error = nullptr);
bool ReadPng(const std::string& path, RgbaImage& image, std::string* error = nullptr);
// The most bytes WritePng can take for a width x height image: its compressor codes every byte, even
// one that does not compress, in 8 or 9 bits, so at worst 9/8 of the filtered rows, and the chunks.
std::uint64_t LargestPngBytes(int width, int height);

// Averages blocks of the source down to width x height (each a divisor of the source size or not:
// every destination pixel averages the source pixels whose centres fall in it).
RgbaImage Downscale(const RgbaImage& source, int width, int height);

// Alpha forced to 255: the show's targets carry whatever alpha the effects wrote, which the
// window never shows.
void MakeOpaque(RgbaImage& image);

struct ImageDifference {
    bool sameSize = false;
    int maxChannelDelta = 0;  // largest difference of one channel anywhere
    std::size_t pixelsOverTolerance = 0;
    double percentOverTolerance = 0.0;
    // Of the pixels over the tolerance, those that a shift of one pixel does not explain: a pixel is
    // explained when, in every channel, it lies within the tolerance of the range its 3x3
    // neighbourhood spans in the other image, and the other image's pixel likewise in its own. Two
    // rasterisers that put an edge running through pixel centres on either side of it differ only
    // in explained pixels; something drawn or lost, however thin, leaves unexplained ones.
    std::size_t pixelsUnexplained = 0;
    int maxUnexplainedDelta = 0;
};

// Pixels count as different when one of their colour channels differs by more than channelTolerance.
ImageDifference CompareImages(const RgbaImage& expected, const RgbaImage& actual, int channelTolerance);

// Black where the pixels agree within the tolerance, the absolute difference amplified elsewhere.
RgbaImage DifferenceImage(const RgbaImage& expected, const RgbaImage& actual, int channelTolerance);
