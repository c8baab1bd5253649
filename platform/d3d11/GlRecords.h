#pragma once
// Direct3D state as GL values. A state object is translated once, when it is created, into one of
// these small records; applying it at a draw is then a comparison of records (GlState), never a
// second translation. Default-constructed records are Direct3D's defaults, used when no state
// object is bound.
#include <epoxy/gl.h>

#include <array>
#include <cstdint>

#include "platform/d3d11/D3D11.h"

namespace d3dgl {

// The fixed-function blocks a state object sets.
enum class StateBlock { Rasterizer, Blend, DepthStencil, Count };

struct RasterizerGl {
    bool cull = true;
    GLenum cullFace = GL_BACK;
    GLenum frontFace = GL_CW;
    GLenum polygonMode = GL_FILL;
    bool depthClamp = false;
    bool scissor = false;
    bool polygonOffset = false;
    float offsetFactor = 0.0f;
    float offsetUnits = 0.0f;
};

struct BlendTargetGl {
    bool enabled = false;
    GLenum source = GL_ONE, destination = GL_ZERO, sourceAlpha = GL_ONE, destinationAlpha = GL_ZERO;
    GLenum operation = GL_FUNC_ADD, operationAlpha = GL_FUNC_ADD;
    unsigned writeMask = 0xF;  // bit 0 red .. bit 3 alpha
};

struct BlendGl {
    bool alphaToCoverage = false;
    std::array<BlendTargetGl, 8> targets{};
};

struct StencilFaceGl {
    GLenum function = GL_ALWAYS;
    GLenum fail = GL_KEEP, depthFail = GL_KEEP, pass = GL_KEEP;
};

struct DepthStencilGl {
    bool depthTest = true;
    GLenum depthFunction = GL_LESS;
    bool depthWrite = true;
    bool stencilTest = false;
    GLuint readMask = 0xFF, writeMask = 0xFF;
    std::array<StencilFaceGl, 2> faces{};  // front, back
};

struct SamplerGl {
    GLenum minFilter = GL_LINEAR_MIPMAP_LINEAR, magFilter = GL_LINEAR;
    std::array<GLenum, 3> wrap{GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE};
    float lodBias = 0.0f, minLod = -D3D11_FLOAT32_MAX, maxLod = D3D11_FLOAT32_MAX;
    std::array<float, 4> borderColor{1.0f, 1.0f, 1.0f, 1.0f};
    float maxAnisotropy = 1.0f;  // 1: not anisotropic
    bool comparison = false;
    GLenum compareFunction = GL_NEVER;
};

// What one vertex array has attached, kept by its owner (an input layout), so that unchanged
// attachments are skipped. Buffers are known by object id: GL reuses buffer names.
struct VertexArrayAttachments {
    std::array<std::uint64_t, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> buffers{};
    std::array<UINT, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> strides{}, offsets{};
    std::uint64_t indexBuffer = 0;
};

// The translations, for descriptions the device has already validated.
RasterizerGl TranslateRasterizer(const D3D11_RASTERIZER_DESC& desc);
BlendGl TranslateBlend(const D3D11_BLEND_DESC& desc);
DepthStencilGl TranslateDepthStencil(const D3D11_DEPTH_STENCIL_DESC& desc);
// `anisotropyAllowed` is false on drivers whose anisotropic filter is unsafe to use.
SamplerGl TranslateSampler(const D3D11_SAMPLER_DESC& desc, bool anisotropyAllowed);
// The topologies the layer draws: point, line and triangle lists and strips.
bool DrawableTopology(D3D11_PRIMITIVE_TOPOLOGY topology);
GLenum TranslateTopology(D3D11_PRIMITIVE_TOPOLOGY topology);  // of a drawable topology

}  // namespace d3dgl
