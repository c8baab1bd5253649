#include "tools/resgen/ImageWriter.h"

#include <stdexcept>

#include <stb_image_write.h>
#include <tiffio.h>

#include "tools/resgen/FileUtil.h"

namespace resgen {

namespace {

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

void CheckImage(const std::string& path, const Image& image)
{
    if (image.width <= 0 || image.height <= 0 || (image.channels != 3 && image.channels != 4) ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * image.channels)
        throw std::runtime_error(path + ": invalid image dimensions");
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

void WritePng(const std::string& path, const Image& image)
{
    CheckImage(path, image);
    std::vector<uint8_t> bytes;
    if (!stbi_write_png_to_func(AppendBytes, &bytes, image.width, image.height, image.channels, image.pixels.data(),
                                image.width * image.channels))
        throw std::runtime_error(path + ": PNG encoding failed");
    WriteBinaryFile(path, bytes);
}

void WriteJpeg(const std::string& path, const Image& image, int quality)
{
    CheckImage(path, image);
    std::vector<uint8_t> bytes;
    if (!stbi_write_jpg_to_func(AppendBytes, &bytes, image.width, image.height, image.channels, image.pixels.data(),
                                quality))
        throw std::runtime_error(path + ": JPEG encoding failed");
    WriteBinaryFile(path, bytes);
}

void WriteTiff(const std::string& path, const Image& image)
{
    CheckImage(path, image);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        throw std::runtime_error(path + ": cannot open for writing");
    bool ok = true;
    ok &= TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width)) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height)) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(image.channels)) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(8)) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(16)) == 1;
    if (image.channels == 4) {
        uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        ok &= TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra) == 1;
    }
    std::vector<uint8_t> row(static_cast<size_t>(image.width) * image.channels);
    for (int y = 0; ok && y < image.height; ++y) {
        const uint8_t* src = image.At(0, y);
        row.assign(src, src + row.size());
        ok &= TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) == 1;
    }
    TIFFClose(tif);
    if (!ok)
        throw std::runtime_error(path + ": TIFF encoding failed");
}

void WriteImage(const std::string& path, const Image& image)
{
    auto endsWith = [&](const char* ext) {
        std::string e = ext;
        return path.size() >= e.size() && path.compare(path.size() - e.size(), e.size(), e) == 0;
    };
    if (endsWith(".png"))
        return WritePng(path, image);
    if (endsWith(".jpg"))
        return WriteJpeg(path, image, 92);
    if (endsWith(".tif"))
        return WriteTiff(path, image);
    throw std::runtime_error(path + ": unknown image extension");
}

std::vector<uint8_t> EncodeDdsCube(const std::array<Image, 6>& faces)
{
    const int size = faces[0].width;
    for (const auto& f : faces) {
        if (f.width != size || f.height != size || f.channels != 4 || f.pixels.size() != size_t(size) * size * 4)
            throw std::runtime_error("cube map faces must be square RGBA images of one size");
    }
    std::vector<uint8_t> out;
    out.reserve(128 + faces.size() * faces[0].pixels.size());
    Put32(out, 0x20534444);                                // "DDS "
    Put32(out, 124);                                       // dwSize
    Put32(out, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000);  // CAPS|HEIGHT|WIDTH|PITCH|PIXELFORMAT|MIPMAPCOUNT
    Put32(out, static_cast<uint32_t>(size));               // dwHeight
    Put32(out, static_cast<uint32_t>(size));               // dwWidth
    Put32(out, static_cast<uint32_t>(size) * 4);           // dwPitchOrLinearSize
    Put32(out, 0);                                         // dwDepth
    Put32(out, 1);                                         // dwMipMapCount
    for (int i = 0; i < 11; ++i)
        Put32(out, 0);       // dwReserved1
    Put32(out, 32);          // ddspf.dwSize
    Put32(out, 0x40 | 0x1);  // DDPF_RGB | DDPF_ALPHAPIXELS
    Put32(out, 0);           // dwFourCC
    Put32(out, 32);          // dwRGBBitCount
    Put32(out, 0x000000ff);
    Put32(out, 0x0000ff00);
    Put32(out, 0x00ff0000);
    Put32(out, 0xff000000);
    Put32(out, 0x1000 | 0x8);    // DDSCAPS_TEXTURE | DDSCAPS_COMPLEX
    Put32(out, 0x200 | 0xFC00);  // DDSCAPS2_CUBEMAP | six faces
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);  // dwReserved2
    for (const auto& f : faces)
        out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

}  // namespace resgen
