#pragma once
// Reads DirectDraw Surface files: 2D textures and complete cube maps, 32-bit uncompressed pixels
// (any byte-aligned channel masks, delivered as RGBA8) and BC1-BC3 blocks, with their mip chains.
// Independent of the graphics layer so that it can be fuzzed on its own; never trusts the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d11/DXGI.h"

struct DdsSubresource {
    std::uint32_t width = 0, height = 0;
    std::uint32_t rowPitch = 0;  // bytes per row of pixels, or per row of 4x4 blocks
    std::size_t offset = 0;      // into DdsImage::data
    std::size_t size = 0;
};

struct DdsImage {
    std::uint32_t width = 0, height = 0;
    std::uint32_t mipLevels = 1;
    std::uint32_t faces = 1;                   // 6 for a cube map, in the order +X -X +Y -Y +Z -Z
    DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;  // R8G8B8A8_UNORM or BC1/BC2/BC3_UNORM
    std::vector<std::uint8_t> data;
    std::vector<DdsSubresource> subresources;  // face-major: face * mipLevels + level
};

constexpr std::uint32_t kDdsMaxDimension = 16384;

// False with a reason in `error` when the bytes are not a DDS file this reader supports.
bool ReadDds(const void* bytes, std::size_t size, DdsImage& image, std::string& error);
