#include "tools/capture/FrameImage.h"

#include <algorithm>
#include <cstdlib>

#include "assets/WholeFile.h"

#include <stb_image.h>
#include <stb_image_write.h>

bool WritePng(const std::string& path, const RgbaImage& image, std::string* error)
{
    if (image.Empty() || image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
        if (error) {
            *error = path + ": the image is empty or its size does not match its pixels";
        }
        return false;
    }
    // Encoded in memory and written whole: stb's own file writer does not check its writes, so a
    // full disk would leave a cut PNG that claims success.
    std::vector<std::uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    };
    if (!stbi_write_png_to_func(append, &png, image.width, image.height, 4, image.pixels.data(), image.width * 4)) {
        if (error) {
            // stb fails only when an allocation fails.
            *error = path + ": cannot encode the PNG: out of memory";
        }
        return false;
    }
    std::string writeError;
    if (!WriteWholeFile(path, png, writeError)) {
        if (error) {
            *error = writeError;
        }
        return false;
    }
    return true;
}

std::uint64_t LargestPngBytes(int width, int height)
{
    const std::uint64_t filtered = (std::uint64_t(width) * 4 + 1) * std::uint64_t(height);  // a filter byte a row
    constexpr std::uint64_t kHeadersAndChunks = 1024;
    return filtered + (filtered + 7) / 8 + kHeadersAndChunks;
}

bool ReadPng(const std::string& path, RgbaImage& image, std::string* error)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* data = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (!data) {
        if (error) {
            const char* reason = stbi_failure_reason();
            *error = path + ": cannot read the image (" + (reason ? reason : "unknown reason") + ")";
        }
        return false;
    }
    image.width = width;
    image.height = height;
    image.pixels.assign(data, data + static_cast<std::size_t>(width) * height * 4);
    stbi_image_free(data);
    return true;
}

RgbaImage Downscale(const RgbaImage& source, int width, int height)
{
    RgbaImage result;
    if (source.Empty() || width <= 0 || height <= 0) {
        return result;
    }
    result.width = width;
    result.height = height;
    result.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(static_cast<long long>(y) * source.height / height);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * source.height / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(static_cast<long long>(x) * source.width / width);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) * source.width / width));
            unsigned long sums[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const std::uint8_t* row = &source.pixels[(static_cast<std::size_t>(sy) * source.width) * 4];
                for (int sx = x0; sx < x1; ++sx) {
                    for (int c = 0; c < 4; ++c) {
                        sums[c] += row[sx * 4 + c];
                    }
                }
            }
            const unsigned long count = static_cast<unsigned long>((y1 - y0) * (x1 - x0));
            for (int c = 0; c < 4; ++c) {
                result.pixels[(static_cast<std::size_t>(y) * width + x) * 4 + c] = static_cast<std::uint8_t>(
                    (sums[c] + count / 2) / count);
            }
        }
    }
    return result;
}

void MakeOpaque(RgbaImage& image)
{
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) {
        image.pixels[i] = 255;
    }
}

namespace {

// Whether pixel (x, y) of `image` lies, in every colour channel, within the tolerance of the range
// the 3x3 neighbourhood of (x, y) spans in `other` (clamped at the borders).
bool WithinNeighbourhood(const RgbaImage& image, const RgbaImage& other, int x, int y, int tolerance)
{
    const std::uint8_t* pixel = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    for (int c = 0; c < 3; ++c) {
        int low = 255;
        int high = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            const int ny = std::clamp(y + dy, 0, other.height - 1);
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = std::clamp(x + dx, 0, other.width - 1);
                const int value = other.pixels[(static_cast<std::size_t>(ny) * other.width + nx) * 4 + c];
                low = std::min(low, value);
                high = std::max(high, value);
            }
        }
        if (pixel[c] < low - tolerance || pixel[c] > high + tolerance) {
            return false;
        }
    }
    return true;
}

}  // namespace

ImageDifference CompareImages(const RgbaImage& expected, const RgbaImage& actual, int channelTolerance)
{
    ImageDifference difference;
    difference.sameSize = expected.width == actual.width && expected.height == actual.height &&
                          expected.pixels.size() == actual.pixels.size() && !expected.Empty();
    if (!difference.sameSize) {
        difference.percentOverTolerance = 100.0;
        return difference;
    }
    const std::size_t pixelCount = expected.pixels.size() / 4;
    for (std::size_t p = 0; p < pixelCount; ++p) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(int{expected.pixels[p * 4 + c]} - int{actual.pixels[p * 4 + c]}));
        }
        difference.maxChannelDelta = std::max(difference.maxChannelDelta, worst);
        if (worst > channelTolerance) {
            ++difference.pixelsOverTolerance;
            const int x = static_cast<int>(p % static_cast<std::size_t>(expected.width));
            const int y = static_cast<int>(p / static_cast<std::size_t>(expected.width));
            if (!WithinNeighbourhood(actual, expected, x, y, channelTolerance) ||
                !WithinNeighbourhood(expected, actual, x, y, channelTolerance)) {
                ++difference.pixelsUnexplained;
                difference.maxUnexplainedDelta = std::max(difference.maxUnexplainedDelta, worst);
            }
        }
    }
    difference.percentOverTolerance = 100.0 * static_cast<double>(difference.pixelsOverTolerance) /
                                      static_cast<double>(pixelCount);
    return difference;
}

RgbaImage DifferenceImage(const RgbaImage& expected, const RgbaImage& actual, int channelTolerance)
{
    RgbaImage diff;
    if (expected.width != actual.width || expected.height != actual.height ||
        expected.pixels.size() != actual.pixels.size()) {
        return diff;
    }
    diff.width = expected.width;
    diff.height = expected.height;
    diff.pixels.assign(expected.pixels.size(), 0);
    for (std::size_t p = 0; p < expected.pixels.size() / 4; ++p) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            const int delta = std::abs(int{expected.pixels[p * 4 + c]} - int{actual.pixels[p * 4 + c]});
            worst = std::max(worst, delta);
            diff.pixels[p * 4 + c] = static_cast<std::uint8_t>(std::min(255, delta * 4));
        }
        if (worst <= channelTolerance) {
            diff.pixels[p * 4 + 0] = diff.pixels[p * 4 + 1] = diff.pixels[p * 4 + 2] = 0;
        }
        diff.pixels[p * 4 + 3] = 255;
    }
    return diff;
}
