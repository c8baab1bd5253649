// The DDS reader on arbitrary bytes: it must refuse with a reason or deliver an image whose
// subresources all lie inside its data, since texture creation copies each one as described.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/d3dx11/DdsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DdsImage image;
    std::string error;
    if (!ReadDds(data, size, image, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    if (image.width == 0 || image.height == 0 || image.width > kDdsMaxDimension || image.height > kDdsMaxDimension)
        std::abort();
    if (image.faces != 1 && image.faces != 6)
        std::abort();
    if (image.subresources.size() != std::size_t(image.faces) * image.mipLevels)
        std::abort();
    const bool blocks = image.format != DXGI_FORMAT_R8G8B8A8_UNORM;
    for (const DdsSubresource& s : image.subresources) {
        if (s.offset > image.data.size() || s.size > image.data.size() - s.offset)
            std::abort();
        const std::size_t rows = blocks ? (s.height + 3) / 4 : s.height;
        if (std::size_t(s.rowPitch) * rows != s.size)
            std::abort();
    }
    // Touch every byte so that the sanitizers see any that were never written.
    unsigned sum = 0;
    for (std::uint8_t b : image.data)
        sum += b;
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
