#include "platform/d3d11/Formats.h"

#include <map>

namespace d3dgl {

const FormatInfo* LookupFormat(DXGI_FORMAT format)
{
    static const std::map<DXGI_FORMAT, FormatInfo> table = {
        {DXGI_FORMAT_R32G32B32A32_FLOAT, {GL_RGBA32F, GL_RGBA, GL_FLOAT, false, 16, false, 4, GL_FLOAT, false, false}},
        {DXGI_FORMAT_R32G32B32A32_UINT,
         {GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT, false, 16, false, 4, GL_UNSIGNED_INT, false, true}},
        {DXGI_FORMAT_R32G32B32A32_SINT,
         {GL_RGBA32I, GL_RGBA_INTEGER, GL_INT, false, 16, false, 4, GL_INT, false, true}},
        {DXGI_FORMAT_R32G32B32_FLOAT, {GL_RGB32F, GL_RGB, GL_FLOAT, false, 12, false, 3, GL_FLOAT, false, false}},
        {DXGI_FORMAT_R32G32B32_UINT, {0, 0, 0, false, 12, false, 3, GL_UNSIGNED_INT, false, true}},
        {DXGI_FORMAT_R32G32B32_SINT, {0, 0, 0, false, 12, false, 3, GL_INT, false, true}},
        {DXGI_FORMAT_R16G16B16A16_FLOAT,
         {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, false, 8, false, 4, GL_HALF_FLOAT, false, false}},
        {DXGI_FORMAT_R32G32_FLOAT, {GL_RG32F, GL_RG, GL_FLOAT, false, 8, false, 2, GL_FLOAT, false, false}},
        {DXGI_FORMAT_R32G32_UINT,
         {GL_RG32UI, GL_RG_INTEGER, GL_UNSIGNED_INT, false, 8, false, 2, GL_UNSIGNED_INT, false, true}},
        {DXGI_FORMAT_R32G32_SINT, {GL_RG32I, GL_RG_INTEGER, GL_INT, false, 8, false, 2, GL_INT, false, true}},
        {DXGI_FORMAT_R8G8B8A8_UNORM,
         {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, false, 4, false, 4, GL_UNSIGNED_BYTE, true, false}},
        {DXGI_FORMAT_R8G8B8A8_UNORM_SRGB,
         {GL_SRGB8_ALPHA8, GL_RGBA, GL_UNSIGNED_BYTE, false, 4, false, 0, 0, false, false}},
        {DXGI_FORMAT_R8G8B8A8_UINT,
         {GL_RGBA8UI, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE, false, 4, false, 4, GL_UNSIGNED_BYTE, false, true}},
        {DXGI_FORMAT_B8G8R8A8_UNORM, {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false, 4, false, 0, 0, false, false}},
        {DXGI_FORMAT_D32_FLOAT,
         {GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, false, 4, true, 0, 0, false, false}},
        {DXGI_FORMAT_R32_FLOAT, {GL_R32F, GL_RED, GL_FLOAT, false, 4, false, 1, GL_FLOAT, false, false}},
        {DXGI_FORMAT_R32_UINT,
         {GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, false, 4, false, 1, GL_UNSIGNED_INT, false, true}},
        {DXGI_FORMAT_R32_SINT, {GL_R32I, GL_RED_INTEGER, GL_INT, false, 4, false, 1, GL_INT, false, true}},
        {DXGI_FORMAT_D24_UNORM_S8_UINT,
         {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, false, 4, true, 0, 0, false, false, true}},
        {DXGI_FORMAT_D32_FLOAT_S8X24_UINT,
         {GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, false, 8, true, 0, 0, false, false,
          true}},
        {DXGI_FORMAT_D16_UNORM,
         {GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, false, 2, true, 0, 0, false, false}},
        {DXGI_FORMAT_R16_UINT,
         {GL_R16UI, GL_RED_INTEGER, GL_UNSIGNED_SHORT, false, 2, false, 1, GL_UNSIGNED_SHORT, false, true}},
        {DXGI_FORMAT_BC1_UNORM, {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true, 8, false, 0, 0, false, false}},
        {DXGI_FORMAT_BC2_UNORM, {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true, 16, false, 0, 0, false, false}},
        {DXGI_FORMAT_BC3_UNORM, {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true, 16, false, 0, 0, false, false}},
    };
    auto it = table.find(format);
    return it == table.end() ? nullptr : &it->second;
}

GLenum ImageFormatFor(DXGI_FORMAT format)
{
    switch (format) {
    case DXGI_FORMAT_R8G8B8A8_UNORM: return GL_RGBA8;
    case DXGI_FORMAT_R8G8B8A8_UINT: return GL_RGBA8UI;
    case DXGI_FORMAT_R32G32B32A32_FLOAT: return GL_RGBA32F;
    case DXGI_FORMAT_R32G32B32A32_UINT: return GL_RGBA32UI;
    case DXGI_FORMAT_R32G32B32A32_SINT: return GL_RGBA32I;
    case DXGI_FORMAT_R16G16B16A16_FLOAT: return GL_RGBA16F;
    case DXGI_FORMAT_R32G32_FLOAT: return GL_RG32F;
    case DXGI_FORMAT_R32G32_UINT: return GL_RG32UI;
    case DXGI_FORMAT_R32G32_SINT: return GL_RG32I;
    case DXGI_FORMAT_R32_FLOAT: return GL_R32F;
    case DXGI_FORMAT_R32_UINT: return GL_R32UI;
    case DXGI_FORMAT_R32_SINT: return GL_R32I;
    case DXGI_FORMAT_R16_UINT: return GL_R16UI;
    default: return 0;
    }
}

}  // namespace d3dgl
