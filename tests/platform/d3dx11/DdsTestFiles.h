#pragma once
// Builds DDS files in memory for the tests.
#include <cstdint>
#include <cstring>
#include <vector>

namespace ddstest {

struct DdsSpec {
    std::uint32_t width = 4, height = 4, mips = 1;
    bool cube = false;
    std::uint32_t caps2Faces = 0xFC00;
    std::uint32_t fourCC = 0;  // 0: uncompressed 32-bit with the masks below
    std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};  // BGRA in memory
    bool alpha = true;
};

inline void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline constexpr std::uint32_t FourCC(const char (&s)[5])
{
    return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
           std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

// Header only; append the pixel data yourself.
inline std::vector<std::uint8_t> DdsHeader(const DdsSpec& s)
{
    std::vector<std::uint8_t> b(128, 0);
    std::memcpy(b.data(), "DDS ", 4);
    Put(b, 4, 124);
    Put(b, 8, 0x1007 | (s.mips > 1 ? 0x20000u : 0u));
    Put(b, 12, s.height);
    Put(b, 16, s.width);
    Put(b, 28, s.mips);
    Put(b, 76, 32);
    if (s.fourCC != 0) {
        Put(b, 80, 0x4);
        Put(b, 84, s.fourCC);
    } else {
        Put(b, 80, 0x40 | (s.alpha ? 0x1u : 0u));
        Put(b, 88, 32);
        for (int i = 0; i < 4; ++i)
            Put(b, 92 + 4 * i, s.masks[i]);
    }
    Put(b, 108, 0x1000 | (s.cube || s.mips > 1 ? 0x8u : 0u) | (s.mips > 1 ? 0x400000u : 0u));
    if (s.cube)
        Put(b, 112, 0x200 | s.caps2Faces);
    return b;
}

}  // namespace ddstest
