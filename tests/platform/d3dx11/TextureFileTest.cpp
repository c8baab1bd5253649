// Texture files decode to the texels Direct3D code expects: right colours, top row first, left
// column first, a full mip chain for 2D images, cube faces in file order.
#include <stb_image_write.h>
#include <tiffio.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/d3d11/ComPtr.h"
#include "platform/d3dx11/D3DX11Texture.h"
#include "tests/platform/d3d11/GpuTestSupport.h"
#include "tests/platform/d3dx11/DdsTestFiles.h"

namespace gputest {
namespace {

// 8x8: top-left quadrant red, top-right blue, bottom-left green, bottom-right white.
std::vector<std::uint8_t> Quadrants()
{
    std::vector<std::uint8_t> px;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool right = x >= 4, bottom = y >= 4;
            std::uint8_t c[4] = {0, 0, 0, 255};
            if (!right && !bottom)
                c[0] = 255;
            if (right && !bottom)
                c[2] = 255;
            if (!right && bottom)
                c[1] = 255;
            if (right && bottom)
                c[0] = c[1] = c[2] = 255;
            px.insert(px.end(), c, c + 4);
        }
    return px;
}

std::filesystem::path Dir()
{
    const auto dir = std::filesystem::path("output") / "d3dx11";
    std::filesystem::create_directories(dir);
    return dir;
}

// stb's write callback for an image encoded into a std::vector<std::uint8_t> (the context).
void AppendToBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteTiff(const std::filesystem::path& path, const std::vector<std::uint8_t>& rgba)
{
    TIFF* tif = TIFFOpen(path.string().c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 8);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    for (std::uint32_t row = 0; row < 8; ++row)
        TIFFWriteScanline(tif, const_cast<std::uint8_t*>(rgba.data() + row * 32), row, 0);
    TIFFClose(tif);
}

class TextureFileTest : public GpuTest {
protected:
    ID3D11ShaderResourceView* Load(const std::filesystem::path& path, HRESULT expected = S_OK)
    {
        ID3D11ShaderResourceView* view = nullptr;
        HRESULT reported = 1;
        const HRESULT hr = D3DX11CreateShaderResourceViewFromFileW(device, path.wstring().c_str(), nullptr, nullptr,
                                                                   &view, &reported);
        EXPECT_EQ(hr, expected) << path;
        EXPECT_EQ(reported, hr);
        if (FAILED(hr)) {
            EXPECT_EQ(view, nullptr);
        }
        return Keep(view);
    }
    ID3D11Texture2D* TextureOf(ID3D11ShaderResourceView* view)
    {
        ID3D11Resource* resource = nullptr;
        view->GetResource(&resource);
        ID3D11Texture2D* texture = nullptr;
        EXPECT_EQ(resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&texture)), S_OK);
        resource->Release();
        return Keep(texture);
    }
};

TEST_F(TextureFileTest, PngJpegAndTiffDecodeTopRowFirstWithAFullMipChain)
{
    const auto rgba = Quadrants();
    const auto dir = Dir();
    stbi_write_png((dir / "quadrants.png").string().c_str(), 8, 8, 4, rgba.data(), 32);
    stbi_write_jpg((dir / "quadrants.jpg").string().c_str(), 8, 8, 4, rgba.data(), 100);
    WriteTiff(dir / "quadrants.tif", rgba);
    struct Case {
        const char* file;
        int tolerance;
    };
    for (const Case& c : {Case{"quadrants.png", 0}, Case{"quadrants.jpg", 40}, Case{"quadrants.tif", 0}}) {
        ID3D11ShaderResourceView* view = Load(dir / c.file);
        ASSERT_NE(view, nullptr) << c.file;
        ID3D11Texture2D* texture = TextureOf(view);
        D3D11_TEXTURE2D_DESC d{};
        texture->GetDesc(&d);
        EXPECT_EQ(d.Width, 8u);
        EXPECT_EQ(d.MipLevels, 4u) << c.file;
        std::vector<std::uint8_t> px;
        ASSERT_TRUE(D3D11ReadTexture(texture, 0, 0, px));
        std::string name = "decoded-";
        name += c.file;
        WritePng("d3dx11", name, 8, 8, px);
        EXPECT_TRUE(Near(Pixel(px, 8, 1, 1), {255, 0, 0, 255}, c.tolerance)) << c.file << " top-left";
        EXPECT_TRUE(Near(Pixel(px, 8, 6, 1), {0, 0, 255, 255}, c.tolerance)) << c.file << " top-right";
        EXPECT_TRUE(Near(Pixel(px, 8, 1, 6), {0, 255, 0, 255}, c.tolerance)) << c.file << " bottom-left";
        // Level 1 keeps the quadrants; level 3 is the average of all four.
        ASSERT_TRUE(D3D11ReadTexture(texture, 1, 0, px));
        EXPECT_TRUE(Near(Pixel(px, 4, 3, 0), {0, 0, 255, 255}, c.tolerance)) << c.file;
        ASSERT_TRUE(D3D11ReadTexture(texture, 3, 0, px));
        EXPECT_TRUE(Near(Pixel(px, 1, 0, 0), {128, 128, 128, 255}, c.tolerance)) << c.file;
    }
}

TEST_F(TextureFileTest, DdsCubeMapKeepsFaceOrderAndRows)
{
    ddstest::DdsSpec s;
    s.width = s.height = 4;
    s.cube = true;
    std::vector<std::uint8_t> file = ddstest::DdsHeader(s);
    for (std::uint8_t face = 0; face < 6; ++face)
        for (int i = 0; i < 16; ++i) {
            const bool topRow = i < 4;
            // BGRA: blue = face * 40, green = 255 on the top row only, red = 10.
            file.insert(file.end(), {std::uint8_t(face * 40), std::uint8_t(topRow ? 255 : 0), 10, 255});
        }
    WriteFile(Dir() / "cube.dds", file);
    ID3D11ShaderResourceView* view = Load(Dir() / "cube.dds");
    ASSERT_NE(view, nullptr);
    D3D11_SHADER_RESOURCE_VIEW_DESC vd{};
    view->GetDesc(&vd);
    EXPECT_EQ(vd.ViewDimension, D3D11_SRV_DIMENSION_TEXTURECUBE);
    ID3D11Texture2D* texture = TextureOf(view);
    for (UINT face = 0; face < 6; ++face) {
        std::vector<std::uint8_t> px;
        ASSERT_TRUE(D3D11ReadTexture(texture, 0, face, px));
        EXPECT_TRUE(Near(Pixel(px, 4, 0, 0), {10, 255, std::uint8_t(face * 40), 255}, 0)) << face;
        EXPECT_TRUE(Near(Pixel(px, 4, 0, 3), {10, 0, std::uint8_t(face * 40), 255}, 0)) << face;
    }
}

TEST_F(TextureFileTest, DdsBc1SamplesItsBlockColour)
{
    ddstest::DdsSpec s;
    s.width = s.height = 4;
    s.fourCC = ddstest::FourCC("DXT1");
    std::vector<std::uint8_t> file = ddstest::DdsHeader(s);
    // One block: both endpoints pure red in 5:6:5, every index 0.
    file.insert(file.end(), {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0});
    WriteFile(Dir() / "red-bc1.dds", file);
    ID3D11ShaderResourceView* view = Load(Dir() / "red-bc1.dds");
    ASSERT_NE(view, nullptr);
    Target t = MakeTarget(4, 4);
    const char* ps = R"(#version 450
layout(location = 0) in vec2 vUv;
layout(location = 0) out vec4 outColor;
layout(binding = 0) uniform sampler2D gTex;
void main() { outColor = texture(gTex, vUv); }
)";
    context->VSSetShader(MakeVs(VertexBlob(kFullScreenVs, {})), nullptr, 0);
    context->PSSetShader(MakePs(PixelBlob(ps, {}, {{"gTex", 0, StageTextureDimension::Texture2D, 0, kStageNoSampler}})),
                         nullptr, 0);
    context->PSSetShaderResources(0, 1, &view);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(4, 4);
    context->Draw(3, 0);
    EXPECT_TRUE(Near(Pixel(Capture(t.texture), 4, 2, 2), {255, 0, 0, 255}));
}

TEST_F(TextureFileTest, MissingOrUndecodableFilesFailWithANullView)
{
    const auto dir = Dir();
    WriteFile(dir / "garbage.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    std::vector<std::uint8_t> png;
    stbi_write_png_to_func(AppendToBytes, &png, 8, 8, 4, Quadrants().data(), 32);
    png.resize(png.size() / 2);
    WriteFile(dir / "truncated.png", png);
    WriteFile(dir / "truncated.dds", ddstest::DdsHeader(ddstest::DdsSpec{}));
    WriteFile(dir / "tiff-header-only.tif", {'I', 'I', 42, 0, 8, 0, 0, 0});
    WriteFile(dir / "empty.jpg", {});
    Load(dir / "does-not-exist.png", D3D11_ERROR_FILE_NOT_FOUND);
    // A directory opens as a stream on Linux and throws on its first read.
    std::filesystem::create_directories(dir / "folder.png");
    Load(dir / "folder.png", D3D11_ERROR_FILE_NOT_FOUND);
    for (const char* f : {"garbage.png", "truncated.png", "truncated.dds", "tiff-header-only.tif", "empty.jpg"})
        Load(dir / f, E_FAIL);
    ID3D11ShaderResourceView* view = nullptr;
    EXPECT_EQ(D3DX11CreateShaderResourceViewFromFileW(nullptr, L"x.png", nullptr, nullptr, &view, nullptr),
              E_INVALIDARG);
}

// Sizes a texture cannot have are refused from the header, before any pixel is decoded, and the
// message gives the size: a 20000-wide PNG, and a small JPEG whose header claims 16000x16000 (stb
// would decode gigabytes of garbage from it).
TEST_F(TextureFileTest, ImpossibleSizesAreRefusedFromTheHeaderWithTheSizeNamed)
{
    const auto dir = Dir();
    const std::vector<std::uint8_t> row(20000 * 4, 200);
    stbi_write_png((dir / "wide.png").string().c_str(), 20000, 1, 4, row.data(), 20000 * 4);
    std::vector<std::uint8_t> jpeg;
    stbi_write_jpg_to_func(AppendToBytes, &jpeg, 8, 8, 4, Quadrants().data(), 90);
    // The frame header (SOF0, FF C0): length, precision, then height and width, big-endian.
    std::size_t sof = 0;
    while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, jpeg.size());
    jpeg[sof + 5] = jpeg[sof + 7] = 16000 >> 8;
    jpeg[sof + 6] = jpeg[sof + 8] = 16000 & 0xFF;
    WriteFile(dir / "claims-16000.jpg", jpeg);

    testing::internal::CaptureStderr();
    Load(dir / "wide.png", E_FAIL);
    Load(dir / "claims-16000.jpg", E_FAIL);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("wide.png: 20000x1 is larger than the 16384x16384 a texture can be"), std::string::npos)
        << messages;
    EXPECT_NE(messages.find("claims-16000.jpg: the file is far too small for the 16000x16000 its header gives"),
              std::string::npos)
        << messages;
}

// A TIFF whose compression libtiff lacks reads "successfully" as a picture with holes unless the read
// stops at the first error; refused, the message gives libtiff's reason.
TEST_F(TextureFileTest, TiffsLibtiffCannotDecodeAreRefusedWithItsReason)
{
    const auto dir = Dir();
    WriteTiff(dir / "codec.tif", Quadrants());
    std::ifstream in(dir / "codec.tif", std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 8u);
    ASSERT_EQ(bytes[0], 'I');  // little-endian, as libtiff writes on this machine
    const auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8); };
    const std::size_t ifd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<std::size_t>(bytes[7]) << 24;
    bool patched = false;
    for (std::size_t entry = ifd + 2; entry + 12 <= bytes.size() && entry < ifd + 2 + 12 * u16(ifd); entry += 12) {
        if (u16(entry) == TIFFTAG_COMPRESSION) {
            bytes[entry + 8] = 40000 & 0xFF;  // no scheme has this number
            bytes[entry + 9] = 40000 >> 8;
            patched = true;
        }
    }
    ASSERT_TRUE(patched);
    WriteFile(dir / "codec.tif", bytes);
    testing::internal::CaptureStderr();
    Load(dir / "codec.tif", E_FAIL);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("codec.tif: undecodable TIFF (Compression scheme 40000 strip decoding is not implemented)"),
              std::string::npos)
        << messages;
}

// Textures read from files share one budget, held from before decoding until the texture is gone.
TEST_F(TextureFileTest, TexturesFromFilesShareOneBudgetUntilTheyAreReleased)
{
    const auto dir = Dir();
    const std::vector<std::uint8_t> pixels(64 * 64 * 4, 90);
    for (const char* name : {"a.png", "b.png"})
        stbi_write_png((dir / name).string().c_str(), 64, 64, 4, pixels.data(), 64 * 4);
    constexpr std::uint64_t kWithMips = 4 * (4096 + 1024 + 256 + 64 + 16 + 4 + 1);
    const std::uint64_t before = D3DX11DecodedTextureBytes();
    const std::uint64_t previous = D3DX11SetDecodedTextureBudget(before + kWithMips + kWithMips / 2);

    auto load = [&](const char* name, ComPtr<ID3D11ShaderResourceView>& view) {
        return D3DX11CreateShaderResourceViewFromFileW(device, (dir / name).wstring().c_str(), nullptr, nullptr,
                                                       view.Put(), nullptr);
    };
    ComPtr<ID3D11ShaderResourceView> a, b;
    EXPECT_EQ(load("a.png", a), S_OK);
    EXPECT_EQ(D3DX11DecodedTextureBytes(), before + kWithMips);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load("b.png", b), E_OUTOFMEMORY);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("b.png: 64x64 (22 KiB with its mip levels) would take the textures read from files past "
                            "their "),
              std::string::npos)
        << messages;
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(D3DX11DecodedTextureBytes(), before + kWithMips) << "a refused file holds nothing";

    a = nullptr;  // the view held the texture, the texture its share
    EXPECT_EQ(D3DX11DecodedTextureBytes(), before);
    EXPECT_EQ(load("b.png", b), S_OK);
    b = nullptr;
    D3DX11SetDecodedTextureBudget(previous);
    EXPECT_EQ(D3DX11DecodedTextureBytes(), before);
}

// Levels are box-filtered: 2x2 averages rounded to nearest, and an odd last row or column folded
// into the texel before it (so a 5x3 image's level 1 averages 3x3 texels at its right edge).
TEST_F(TextureFileTest, MipLevelsAverageTheirTexelsAndFoldOddEdges)
{
    const auto dir = Dir();
    std::vector<std::uint8_t> even(4 * 4 * 4), odd(5 * 3 * 4);
    for (std::size_t i = 0; i < even.size(); ++i)
        even[i] = static_cast<std::uint8_t>((i * 37) % 251);
    for (std::size_t i = 0; i < odd.size(); ++i)
        odd[i] = static_cast<std::uint8_t>((i * 53) % 241);
    for (std::size_t i = 3; i < even.size(); i += 4)
        even[i] = 255;  // stb keeps opaque texels exact
    for (std::size_t i = 3; i < odd.size(); i += 4)
        odd[i] = 255;
    stbi_write_png((dir / "even.png").string().c_str(), 4, 4, 4, even.data(), 16);
    stbi_write_png((dir / "odd.png").string().c_str(), 5, 3, 4, odd.data(), 20);

    auto at = [](const std::vector<std::uint8_t>& px, int width, int x, int y, int c) {
        return static_cast<unsigned>(px[(y * width + x) * 4 + c]);
    };
    ID3D11Texture2D* evenTexture = TextureOf(Load(dir / "even.png"));
    std::vector<std::uint8_t> level;
    ASSERT_TRUE(D3D11ReadTexture(evenTexture, 1, 0, level));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 4; ++c) {
                const unsigned sum = at(even, 4, 2 * x, 2 * y, c) + at(even, 4, 2 * x + 1, 2 * y, c) +
                                     at(even, 4, 2 * x, 2 * y + 1, c) + at(even, 4, 2 * x + 1, 2 * y + 1, c);
                EXPECT_EQ(at(level, 2, x, y, c), (sum + 2) / 4) << x << "," << y << " channel " << c;
            }

    ID3D11Texture2D* oddTexture = TextureOf(Load(dir / "odd.png"));
    D3D11_TEXTURE2D_DESC d{};
    oddTexture->GetDesc(&d);
    EXPECT_EQ(d.MipLevels, 3u);  // 5x3, 2x1, 1x1
    ASSERT_TRUE(D3D11ReadTexture(oddTexture, 1, 0, level));
    for (int c = 0; c < 3; ++c) {
        unsigned left = 0, right = 0;
        for (int y = 0; y < 3; ++y) {
            left += at(odd, 5, 0, y, c) + at(odd, 5, 1, y, c);
            right += at(odd, 5, 2, y, c) + at(odd, 5, 3, y, c) + at(odd, 5, 4, y, c);
        }
        EXPECT_EQ(at(level, 2, 0, 0, c), (left + 3) / 6) << "channel " << c;
        EXPECT_EQ(at(level, 2, 1, 0, c), (right + 4) / 9) << "channel " << c;
    }
}

// A prefetch changes when files are decoded, never what comes out: the same texels, the same
// failures, and a file replaced after the prefetch started is read again.
TEST_F(TextureFileTest, PrefetchedFilesGiveWhatADirectLoadGives)
{
    const auto dir = Dir();
    const auto rgba = Quadrants();
    stbi_write_png((dir / "prefetch.png").string().c_str(), 8, 8, 4, rgba.data(), 32);
    WriteTiff(dir / "prefetch.tif", rgba);
    WriteFile(dir / "prefetch-garbage.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    stbi_write_png((dir / "replaced.png").string().c_str(), 8, 8, 4, rgba.data(), 32);
    auto texels = [&](ID3D11ShaderResourceView* view, UINT mip) {
        std::vector<std::uint8_t> px;
        EXPECT_TRUE(view != nullptr && D3D11ReadTexture(TextureOf(view), mip, 0, px));
        return px;
    };
    const auto directPng = texels(Load(dir / "prefetch.png"), 1);
    const auto directTiff = texels(Load(dir / "prefetch.tif"), 0);

    std::vector<std::wstring> files;
    for (const char* f : {"prefetch.png", "missing.png", "prefetch-garbage.png", "prefetch.tif", "replaced.png"})
        files.push_back((dir / f).wstring());
    {
        D3DX11ImagePrefetch prefetch(files, 2);
        // Replaced by a larger picture (so its size differs too): the new one must be used.
        std::vector<std::uint8_t> big(16 * 16 * 4, 0);
        for (std::size_t i = 0; i < big.size(); i += 4)
            big[i + 1] = big[i + 3] = 255;  // opaque green
        stbi_write_png((dir / "replaced.png").string().c_str(), 16, 16, 4, big.data(), 64);
        EXPECT_EQ(texels(Load(dir / "prefetch.png"), 1), directPng);
        Load(dir / "missing.png", D3D11_ERROR_FILE_NOT_FOUND);
        Load(dir / "prefetch-garbage.png", E_FAIL);
        EXPECT_EQ(texels(Load(dir / "prefetch.tif"), 0), directTiff);
        ID3D11ShaderResourceView* replaced = Load(dir / "replaced.png");
        D3D11_TEXTURE2D_DESC d{};
        TextureOf(replaced)->GetDesc(&d);
        EXPECT_EQ(d.Width, 16u);
        EXPECT_TRUE(Near(Pixel(texels(replaced, 0), 16, 3, 3), {0, 255, 0, 255}));
        // Asking twice decodes the second time.
        EXPECT_EQ(texels(Load(dir / "prefetch.png"), 1), directPng);
    }
    // Dropped unused, half-done, or with nothing to do.
    {
        D3DX11ImagePrefetch unused(files, 1);
    }
    {
        D3DX11ImagePrefetch none({}, 0);
    }
    EXPECT_EQ(texels(Load(dir / "prefetch.tif"), 0), directTiff);
}

// The workers decode only a little ahead of the caller: six 2048-square pictures (21 MiB each with
// their mips) are never all held at once while nothing takes them, and all still load, in any order.
TEST_F(TextureFileTest, APrefetchDecodesOnlyALittleAhead)
{
    const auto dir = Dir();
    std::vector<std::uint8_t> grey(2048 * 2048 * 4, 128);
    stbi_write_png((dir / "big-0.png").string().c_str(), 2048, 2048, 4, grey.data(), 2048 * 4);
    std::vector<std::wstring> files{(dir / "big-0.png").wstring()};
    for (int i = 1; i < 6; ++i) {
        const auto name = dir / ("big-" + std::to_string(i) + ".png");
        std::filesystem::copy_file(dir / "big-0.png", name, std::filesystem::copy_options::overwrite_existing);
        files.push_back(name.wstring());
    }
    constexpr std::uint64_t kOne = 2048ull * 2048 * 4 * 4 / 3;  // about, with the mip chain
    const std::uint64_t before = D3DX11DecodedTextureBytes();
    {
        D3DX11ImagePrefetch prefetch(files, 2);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        EXPECT_LE(D3DX11DecodedTextureBytes() - before, 3 * kOne) << "decoded ahead while nothing was taken";
        Load(dir / "big-5.png");  // not reached by the workers: decoded here
        for (int i = 0; i < 5; ++i)
            Load(dir / ("big-" + std::to_string(i) + ".png"));
    }
}

}  // namespace
}  // namespace gputest
