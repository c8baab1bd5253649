#pragma once
// Encoders for the texture formats the show loads: PNG, JPEG, TIFF and a DDS cube map.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace resgen {

struct Image {
    int width = 0;
    int height = 0;
    int channels = 4;  // 3 (RGB) or 4 (RGBA), 8 bits each, rows top to bottom
    std::vector<uint8_t> pixels;

    Image() = default;
    Image(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<size_t>(w) * h * c, 0) {}
    uint8_t* At(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
    const uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
};

// Each throws std::runtime_error naming the file when encoding or writing fails.
void WritePng(const std::string& path, const Image& image);
void WriteJpeg(const std::string& path, const Image& image, int quality);
void WriteTiff(const std::string& path, const Image& image);
// Picks the encoder from the file extension (.png, .jpg, .tif).
void WriteImage(const std::string& path, const Image& image);

// Six RGBA faces of equal square size in the order +X, -X, +Y, -Y, +Z, -Z.
// Layout written: "DDS " magic; a 124-byte DDS_HEADER (flags CAPS|HEIGHT|WIDTH|PITCH|PIXELFORMAT|
// MIPMAPCOUNT, pitch = width*4, mip count 1); its 32-byte pixel format is DDPF_RGB|DDPF_ALPHAPIXELS,
// 32 bits, masks R 0x000000ff, G 0x0000ff00, B 0x00ff0000, A 0xff000000 (bytes R,G,B,A, that is
// DXGI_FORMAT_R8G8B8A8_UNORM); caps DDSCAPS_TEXTURE|DDSCAPS_COMPLEX, caps2 DDSCAPS2_CUBEMAP with
// all six face flags (0xFE00). No DX10 header. Then each face's rows, top row first, faces in order.
std::vector<uint8_t> EncodeDdsCube(const std::array<Image, 6>& faces);

}  // namespace resgen
