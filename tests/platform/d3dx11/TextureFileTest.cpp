// Texture files decode to the texels Direct3D code expects: right colours, top row first, left
// column first, a full mip chain for 2D images, cube faces in file order.
#include <stb_image_write.h>
#include <tiffio.h>

#include <filesystem>
#include <fstream>

#include "platform/d3dx11/D3DX11Texture.h"
#include "tests/platform/d3d11/GpuTestSupport.h"
#include "tests/platform/d3dx11/DdsTestFiles.h"

namespace gputest {
namespace {

// 8x8: top-left quadrant red, top-right blue, bottom-left green, bottom-right white.
std::vector<std::uint8_t> Quadrants() {
  std::vector<std::uint8_t> px;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool right = x >= 4, bottom = y >= 4;
      std::uint8_t c[4] = {0, 0, 0, 255};
      if (!right && !bottom) c[0] = 255;
      if (right && !bottom) c[2] = 255;
      if (!right && bottom) c[1] = 255;
      if (right && bottom) c[0] = c[1] = c[2] = 255;
      px.insert(px.end(), c, c + 4);
    }
  return px;
}

std::filesystem::path Dir() {
  const auto dir = std::filesystem::path("output") / "d3dx11";
  std::filesystem::create_directories(dir);
  return dir;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteTiff(const std::filesystem::path& path, const std::vector<std::uint8_t>& rgba) {
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
  ID3D11ShaderResourceView* Load(const std::filesystem::path& path, HRESULT expected = S_OK) {
    ID3D11ShaderResourceView* view = nullptr;
    HRESULT reported = 1;
    const HRESULT hr =
        D3DX11CreateShaderResourceViewFromFileW(device, path.wstring().c_str(), nullptr, nullptr, &view, &reported);
    EXPECT_EQ(hr, expected) << path;
    EXPECT_EQ(reported, hr);
    if (FAILED(hr)) {
      EXPECT_EQ(view, nullptr);
    }
    return Keep(view);
  }
  ID3D11Texture2D* TextureOf(ID3D11ShaderResourceView* view) {
    ID3D11Resource* resource = nullptr;
    view->GetResource(&resource);
    ID3D11Texture2D* texture = nullptr;
    EXPECT_EQ(resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&texture)), S_OK);
    resource->Release();
    return Keep(texture);
  }
};

TEST_F(TextureFileTest, PngJpegAndTiffDecodeTopRowFirstWithAFullMipChain) {
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

TEST_F(TextureFileTest, DdsCubeMapKeepsFaceOrderAndRows) {
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

TEST_F(TextureFileTest, DdsBc1SamplesItsBlockColour) {
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
  context->PSSetShader(MakePs(PixelBlob(ps, {}, {{"gTex", 0, StageTextureDimension::Texture2D, 0, kStageNoSampler}})), nullptr, 0);
  context->PSSetShaderResources(0, 1, &view);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  context->OMSetRenderTargets(1, &t.rtv, nullptr);
  SetViewport(4, 4);
  context->Draw(3, 0);
  EXPECT_TRUE(Near(Pixel(Capture(t.texture), 4, 2, 2), {255, 0, 0, 255}));
}

TEST_F(TextureFileTest, MissingOrUndecodableFilesFailWithANullView) {
  const auto dir = Dir();
  WriteFile(dir / "garbage.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
  std::vector<std::uint8_t> png;
  stbi_write_png_to_func([](void* ctx, void* data, int size) {
    auto* v = static_cast<std::vector<std::uint8_t>*>(ctx);
    v->insert(v->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
  }, &png, 8, 8, 4, Quadrants().data(), 32);
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
  EXPECT_EQ(D3DX11CreateShaderResourceViewFromFileW(nullptr, L"x.png", nullptr, nullptr, &view, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace gputest
