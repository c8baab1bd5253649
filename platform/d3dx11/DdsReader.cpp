#include "platform/d3dx11/DdsReader.h"

#include <cstring>

namespace {

constexpr std::uint32_t kHeaderSize = 124;
constexpr std::uint32_t kPixelFormatSize = 32;
constexpr std::uint32_t kFlagMipMapCount = 0x20000;
constexpr std::uint32_t kPfAlphaPixels = 0x1;
constexpr std::uint32_t kPfFourCC = 0x4;
constexpr std::uint32_t kPfRgb = 0x40;
constexpr std::uint32_t kCaps2Cubemap = 0x200;
constexpr std::uint32_t kCaps2AllFaces = 0xFC00;
constexpr std::uint32_t kCaps2Volume = 0x200000;
constexpr std::uint32_t kDx10MiscTextureCube = 0x4;
constexpr std::uint32_t kDx10Texture2D = 3;

constexpr std::uint32_t FourCC(char a, char b, char c, char d)
{
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 | std::uint32_t(std::uint8_t(c)) << 16 |
           std::uint32_t(std::uint8_t(d)) << 24;
}

std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// Byte position (0..3) of a channel mask, or -1 when it is not exactly one whole byte.
int ByteOfMask(std::uint32_t mask)
{
    for (int i = 0; i < 4; ++i)
        if (mask == 0xFFu << (8 * i))
            return i;
    return -1;
}

bool Fail(std::string& error, const char* what)
{
    error = what;
    return false;
}

}  // namespace

bool ReadDds(const void* bytes, std::size_t size, DdsImage& out, std::string& error)
{
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    if (p == nullptr || size < 4 + kHeaderSize)
        return Fail(error, "file too short for a DDS header");
    if (U32(p) != FourCC('D', 'D', 'S', ' '))
        return Fail(error, "not a DDS file (bad magic)");
    const std::uint8_t* h = p + 4;
    if (U32(h) != kHeaderSize || U32(h + 72) != kPixelFormatSize)
        return Fail(error, "corrupt DDS header sizes");
    const std::uint32_t flags = U32(h + 4);
    DdsImage image;
    image.height = U32(h + 8);
    image.width = U32(h + 12);
    const std::uint32_t depth = U32(h + 20);
    const std::uint32_t mipCount = (flags & kFlagMipMapCount) != 0 ? U32(h + 24) : 1;
    const std::uint32_t pfFlags = U32(h + 76), fourCC = U32(h + 80), bitCount = U32(h + 84);
    const std::uint32_t masks[4] = {U32(h + 88), U32(h + 92), U32(h + 96), U32(h + 100)};
    const std::uint32_t caps2 = U32(h + 108);
    std::size_t dataStart = 4 + kHeaderSize;

    if (image.width == 0 || image.height == 0 || image.width > kDdsMaxDimension || image.height > kDdsMaxDimension)
        return Fail(error, "DDS dimensions are zero or larger than 16384");
    if ((caps2 & kCaps2Volume) != 0 || depth > 1)
        return Fail(error, "volume DDS textures are not supported");
    if ((caps2 & kCaps2Cubemap) != 0) {
        if ((caps2 & kCaps2AllFaces) != kCaps2AllFaces)
            return Fail(error, "DDS cube map lacks some of its six faces");
        image.faces = 6;
    }

    // Channel order of 32-bit pixels: source byte index of R, G, B, A (-1: alpha is opaque).
    int order[4] = {0, 1, 2, 3};
    bool uncompressed = false;
    if ((pfFlags & kPfFourCC) != 0) {
        switch (fourCC) {
        case FourCC('D', 'X', 'T', '1'): image.format = DXGI_FORMAT_BC1_UNORM; break;
        case FourCC('D', 'X', 'T', '2'):
        case FourCC('D', 'X', 'T', '3'): image.format = DXGI_FORMAT_BC2_UNORM; break;
        case FourCC('D', 'X', 'T', '4'):
        case FourCC('D', 'X', 'T', '5'): image.format = DXGI_FORMAT_BC3_UNORM; break;
        case FourCC('D', 'X', '1', '0'): {
            if (size < dataStart + 20)
                return Fail(error, "file too short for the DX10 header");
            const std::uint8_t* x = p + dataStart;
            const std::uint32_t format = U32(x), dimension = U32(x + 4), misc = U32(x + 8), arraySize = U32(x + 12);
            dataStart += 20;
            if (dimension != kDx10Texture2D || arraySize != 1)
                return Fail(error, "only single 2D DDS textures and cube maps are supported");
            if ((misc & kDx10MiscTextureCube) != 0)
                image.faces = 6;
            switch (format) {
            case DXGI_FORMAT_R8G8B8A8_UNORM: uncompressed = true; break;
            case DXGI_FORMAT_B8G8R8A8_UNORM:
                uncompressed = true;
                order[0] = 2;
                order[2] = 0;
                break;
            case DXGI_FORMAT_BC1_UNORM:
            case DXGI_FORMAT_BC2_UNORM:
            case DXGI_FORMAT_BC3_UNORM: image.format = static_cast<DXGI_FORMAT>(format); break;
            default: return Fail(error, "unsupported DXGI format in the DX10 header");
            }
            break;
        }
        default: return Fail(error, "unsupported DDS compression (FourCC)");
        }
    } else if ((pfFlags & kPfRgb) != 0 && bitCount == 32) {
        uncompressed = true;
        for (int c = 0; c < 3; ++c) {
            order[c] = ByteOfMask(masks[c]);
            if (order[c] < 0)
                return Fail(error, "unsupported 32-bit DDS channel masks");
        }
        order[3] = (pfFlags & kPfAlphaPixels) != 0 ? ByteOfMask(masks[3]) : -1;
        if ((pfFlags & kPfAlphaPixels) != 0 && order[3] < 0)
            return Fail(error, "unsupported DDS alpha mask");
    } else {
        return Fail(error, "unsupported DDS pixel format (only 32-bit RGB(A) and BC1-BC3)");
    }
    if (uncompressed)
        image.format = DXGI_FORMAT_R8G8B8A8_UNORM;
    if (image.faces == 6 && image.width != image.height)
        return Fail(error, "DDS cube map faces are not square");

    std::uint32_t fullChain = 1;
    for (std::uint32_t s = image.width > image.height ? image.width : image.height; s > 1; s >>= 1)
        ++fullChain;
    image.mipLevels = mipCount == 0 ? 1 : mipCount;
    if (image.mipLevels > fullChain)
        return Fail(error, "DDS mip count exceeds the chain of its size");

    const bool compressed = !uncompressed;
    const std::uint32_t blockBytes = image.format == DXGI_FORMAT_BC1_UNORM ? 8 : 16;
    // Plan every subresource, checking the data is there before copying anything.
    std::size_t offset = dataStart, total = 0;
    for (std::uint32_t face = 0; face < image.faces; ++face)
        for (std::uint32_t level = 0; level < image.mipLevels; ++level) {
            DdsSubresource sub;
            sub.width = image.width >> level ? image.width >> level : 1;
            sub.height = image.height >> level ? image.height >> level : 1;
            std::uint32_t rows = sub.height;
            if (compressed) {
                sub.rowPitch = ((sub.width + 3) / 4) * blockBytes;
                rows = (sub.height + 3) / 4;
            } else {
                sub.rowPitch = sub.width * 4;
            }
            sub.size = std::size_t(sub.rowPitch) * rows;  // at most 16384*4 * 16384: fits in size_t
            if (offset > size || sub.size > size - offset)
                return Fail(error, "DDS file is truncated");
            sub.offset = total;
            offset += sub.size;
            total += sub.size;
            image.subresources.push_back(sub);
        }

    image.data.resize(total);
    const std::uint8_t* src = p + dataStart;
    if (compressed) {
        std::memcpy(image.data.data(), src, total);
    } else {
        for (std::size_t i = 0; i < total; i += 4) {
            for (int c = 0; c < 4; ++c)
                image.data[i + c] = order[c] < 0 ? 255 : src[i + order[c]];
        }
    }
    out = std::move(image);
    return true;
}
