#pragma once
// The DXGI formats the layer supports, as GL texture, pixel-transfer and vertex-attribute formats.
#include <epoxy/gl.h>

#include "platform/d3d11/DXGI.h"

namespace d3dgl {

struct FormatInfo {
    GLenum internalFormat = 0;  // 0: not usable as a texture
    GLenum format = 0;          // pixel-transfer format
    GLenum type = 0;
    bool compressed = false;
    UINT blockBytes = 0;  // bytes per pixel, or per 4x4 block when compressed
    bool depth = false;
    // As a vertex attribute (0 components: not usable as one):
    GLint components = 0;
    GLenum attribType = 0;
    bool normalized = false;
    bool integer = false;  // read as integers: GL samples such a texture only with nearest filtering
    bool stencil = false;  // a depth format with a stencil part
};

// Null for formats the layer does not support.
const FormatInfo* LookupFormat(DXGI_FORMAT format);
// The image format a UAV of this format binds with; 0 when it cannot be one.
GLenum ImageFormatFor(DXGI_FORMAT format);

}  // namespace d3dgl
