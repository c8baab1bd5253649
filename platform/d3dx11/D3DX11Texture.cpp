#include "platform/d3dx11/D3DX11Texture.h"

#include <stb_image.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx11/DdsReader.h"

namespace {

// Wide names are UTF-32 here; U+DC80..U+DCFF carry bytes that were not UTF-8, as the window
// layer's conversions do, so any file name survives.
std::string Utf8(LPCWSTR wide) {
  std::string s;
  for (; *wide != 0; ++wide) {
    const auto c = static_cast<std::uint32_t>(*wide);
    if (c >= 0xDC80 && c <= 0xDCFF) {
      s += static_cast<char>(c - 0xDC00);
    } else if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (c >> 18));
      s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}

struct Rgba8Image {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // rows top-first
};

bool DecodeWithStb(const std::vector<std::uint8_t>& file, Rgba8Image& image, std::string& error) {
  int w = 0, h = 0, channels = 0;
  if (file.size() > 0x7FFFFFFF) return error = "file too large", false;
  if (!stbi_info_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels) || w <= 0 || h <= 0 ||
      w > int(kDdsMaxDimension) || h > int(kDdsMaxDimension)) {
    error = std::string("not a decodable PNG or JPEG image (") + (stbi_failure_reason() ? stbi_failure_reason() : "?") + ")";
    return false;
  }
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels, 4), stbi_image_free);
  if (!pixels) {
    error = std::string("corrupt image data (") + (stbi_failure_reason() ? stbi_failure_reason() : "?") + ")";
    return false;
  }
  image.width = static_cast<std::uint32_t>(w);
  image.height = static_cast<std::uint32_t>(h);
  image.pixels.assign(pixels.get(), pixels.get() + std::size_t(w) * h * 4);
  return true;
}

bool DecodeTiff(const std::string& path, Rgba8Image& image, std::string& error) {
  // libtiff reports through global handlers; ours are silent and the reason is given below.
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
  std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpen(path.c_str(), "r"), TIFFClose);
  if (!tif) return error = "unreadable TIFF", false;
  std::uint32_t w = 0, h = 0;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
  if (w == 0 || h == 0 || w > kDdsMaxDimension || h > kDdsMaxDimension) return error = "TIFF size out of range", false;
  std::vector<std::uint32_t> raster(std::size_t(w) * h);
  if (!TIFFReadRGBAImageOriented(tif.get(), w, h, raster.data(), ORIENTATION_TOPLEFT, 0))
    return error = "undecodable TIFF", false;
  image.width = w;
  image.height = h;
  image.pixels.resize(raster.size() * 4);
  for (std::size_t i = 0; i < raster.size(); ++i) {
    image.pixels[i * 4 + 0] = static_cast<std::uint8_t>(TIFFGetR(raster[i]));
    image.pixels[i * 4 + 1] = static_cast<std::uint8_t>(TIFFGetG(raster[i]));
    image.pixels[i * 4 + 2] = static_cast<std::uint8_t>(TIFFGetB(raster[i]));
    image.pixels[i * 4 + 3] = static_cast<std::uint8_t>(TIFFGetA(raster[i]));
  }
  return true;
}

// Box-filtered levels down to 1x1 (odd sizes fold their last row/column into the one before).
std::vector<Rgba8Image> MipChain(Rgba8Image top) {
  std::vector<Rgba8Image> chain;
  chain.push_back(std::move(top));
  while (chain.back().width > 1 || chain.back().height > 1) {
    const Rgba8Image& src = chain.back();
    Rgba8Image dst;
    dst.width = src.width > 1 ? src.width / 2 : 1;
    dst.height = src.height > 1 ? src.height / 2 : 1;
    dst.pixels.resize(std::size_t(dst.width) * dst.height * 4);
    for (std::uint32_t y = 0; y < dst.height; ++y)
      for (std::uint32_t x = 0; x < dst.width; ++x)
        for (int c = 0; c < 4; ++c) {
          unsigned sum = 0, n = 0;
          const std::uint32_t y1 = y == dst.height - 1 ? src.height : std::min(src.height, y * 2 + 2);
          const std::uint32_t x1 = x == dst.width - 1 ? src.width : std::min(src.width, x * 2 + 2);
          for (std::uint32_t sy = y * 2; sy < y1; ++sy)
            for (std::uint32_t sx = x * 2; sx < x1; ++sx, ++n) sum += src.pixels[(std::size_t(sy) * src.width + sx) * 4 + c];
          dst.pixels[(std::size_t(y) * dst.width + x) * 4 + c] = static_cast<std::uint8_t>((sum + n / 2) / n);
        }
    chain.push_back(std::move(dst));
  }
  return chain;
}

HRESULT CreateView(ID3D11Device* device, const D3D11_TEXTURE2D_DESC& desc, const std::vector<D3D11_SUBRESOURCE_DATA>& init,
                   ID3D11ShaderResourceView** out) {
  ID3D11Texture2D* texture = nullptr;
  HRESULT hr = device->CreateTexture2D(&desc, init.data(), &texture);
  if (FAILED(hr)) return hr;
  hr = device->CreateShaderResourceView(texture, nullptr, out);
  texture->Release();  // the view holds it
  return hr;
}

HRESULT Load(ID3D11Device* device, const std::string& path, ID3D11ShaderResourceView** out, std::string& error) {
  // A directory opens as a stream on Linux and its first read throws, so only regular files are read.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = std::filesystem::exists(path, ec) ? "not a regular file" : "file not found or unreadable";
    return D3D11_ERROR_FILE_NOT_FOUND;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "file not found or unreadable";
    return D3D11_ERROR_FILE_NOT_FOUND;
  }
  std::vector<std::uint8_t> file;
  try {
    file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    error = "read error";
    return E_FAIL;
  }
  D3D11_TEXTURE2D_DESC desc{};
  desc.ArraySize = 1;
  desc.SampleDesc = {1, 0};
  desc.Usage = D3D11_USAGE_IMMUTABLE;
  desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
  std::vector<D3D11_SUBRESOURCE_DATA> init;

  if (file.size() >= 4 && file[0] == 'D' && file[1] == 'D' && file[2] == 'S' && file[3] == ' ') {
    DdsImage dds;
    if (!ReadDds(file.data(), file.size(), dds, error)) return E_FAIL;
    desc.Width = dds.width;
    desc.Height = dds.height;
    desc.MipLevels = dds.mipLevels;
    desc.ArraySize = dds.faces;
    desc.Format = dds.format;
    desc.MiscFlags = dds.faces == 6 ? UINT(D3D11_RESOURCE_MISC_TEXTURECUBE) : 0u;
    for (const DdsSubresource& s : dds.subresources) init.push_back({dds.data.data() + s.offset, s.rowPitch, 0});
    const HRESULT hr = CreateView(device, desc, init, out);
    if (FAILED(hr)) error = "the device refused the texture";
    return hr;
  }

  Rgba8Image image;
  const bool tiff = file.size() >= 4 && ((file[0] == 'I' && file[1] == 'I' && file[2] == 42 && file[3] == 0) ||
                                         (file[0] == 'M' && file[1] == 'M' && file[2] == 0 && file[3] == 42));
  if (!(tiff ? DecodeTiff(path, image, error) : DecodeWithStb(file, image, error))) return E_FAIL;
  const std::vector<Rgba8Image> chain = MipChain(std::move(image));
  desc.Width = chain[0].width;
  desc.Height = chain[0].height;
  desc.MipLevels = static_cast<UINT>(chain.size());
  desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  for (const Rgba8Image& level : chain) init.push_back({level.pixels.data(), level.width * 4, 0});
  const HRESULT hr = CreateView(device, desc, init, out);
  if (FAILED(hr)) error = "the device refused the texture";
  return hr;
}

}  // namespace

HRESULT D3DX11CreateShaderResourceViewFromFileW(ID3D11Device* pDevice, LPCWSTR pSrcFile, D3DX11_IMAGE_LOAD_INFO* pLoadInfo,
                                                ID3DX11ThreadPump* pPump, ID3D11ShaderResourceView** ppShaderResourceView,
                                                HRESULT* pHResult) {
  if (ppShaderResourceView != nullptr) *ppShaderResourceView = nullptr;
  HRESULT hr = S_OK;
  std::string error, path;
  if (pDevice == nullptr || pSrcFile == nullptr || ppShaderResourceView == nullptr) {
    hr = E_INVALIDARG;
    error = "null device, file name or result";
  } else if (pLoadInfo != nullptr || pPump != nullptr) {
    hr = E_NOTIMPL;
    error = "load options and thread pumps are not supported";
  } else {
    path = Utf8(pSrcFile);
    hr = Load(pDevice, path, ppShaderResourceView, error);
  }
  if (FAILED(hr))
    std::fprintf(stderr, "D3DX11CreateShaderResourceViewFromFileW: %s: %s\n", path.empty() ? "(no file)" : path.c_str(),
                 error.c_str());
  if (pHResult != nullptr) *pHResult = hr;
  return hr;
}
