#include "platform/d3d11/GlRecords.h"

namespace d3dgl {

namespace {

// With the upper-left clip origin, GL computes facing from window coordinates whose y runs down,
// the screen Direct3D's "clockwise" refers to, so no reversal is needed (the culling pixel test
// pins this down).
constexpr bool kReverseWinding = false;

GLenum GlBlend(UINT blend)
{
    switch (blend) {
    case D3D11_BLEND_ZERO: return GL_ZERO;
    case D3D11_BLEND_ONE: return GL_ONE;
    case D3D11_BLEND_SRC_COLOR: return GL_SRC_COLOR;
    case D3D11_BLEND_INV_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3D11_BLEND_SRC_ALPHA: return GL_SRC_ALPHA;
    case D3D11_BLEND_INV_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3D11_BLEND_DEST_ALPHA: return GL_DST_ALPHA;
    case D3D11_BLEND_INV_DEST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3D11_BLEND_DEST_COLOR: return GL_DST_COLOR;
    case D3D11_BLEND_INV_DEST_COLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3D11_BLEND_SRC_ALPHA_SAT: return GL_SRC_ALPHA_SATURATE;
    case D3D11_BLEND_BLEND_FACTOR: return GL_CONSTANT_COLOR;
    case D3D11_BLEND_INV_BLEND_FACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    case 16: return GL_SRC1_COLOR;  // the dual-source factors, which our declarations do not name
    case 17: return GL_ONE_MINUS_SRC1_COLOR;
    case 18: return GL_SRC1_ALPHA;
    case 19: return GL_ONE_MINUS_SRC1_ALPHA;
    default: return GL_ONE;
    }
}

GLenum GlBlendOperation(UINT operation)
{
    switch (operation) {
    case D3D11_BLEND_OP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3D11_BLEND_OP_REV_SUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3D11_BLEND_OP_MIN: return GL_MIN;
    case D3D11_BLEND_OP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

// Direct3D's comparison functions run NEVER..ALWAYS in GL's order.
GLenum GlCompare(UINT comparison)
{
    return comparison >= D3D11_COMPARISON_NEVER && comparison <= D3D11_COMPARISON_ALWAYS
               ? GL_NEVER + (comparison - D3D11_COMPARISON_NEVER)
               : GL_ALWAYS;
}

GLenum GlStencilOperation(UINT operation)
{
    switch (operation) {
    case D3D11_STENCIL_OP_ZERO: return GL_ZERO;
    case D3D11_STENCIL_OP_REPLACE: return GL_REPLACE;
    case D3D11_STENCIL_OP_INCR_SAT: return GL_INCR;
    case D3D11_STENCIL_OP_DECR_SAT: return GL_DECR;
    case D3D11_STENCIL_OP_INVERT: return GL_INVERT;
    case D3D11_STENCIL_OP_INCR: return GL_INCR_WRAP;
    case D3D11_STENCIL_OP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum GlAddress(D3D11_TEXTURE_ADDRESS_MODE address)
{
    switch (address) {
    case D3D11_TEXTURE_ADDRESS_WRAP: return GL_REPEAT;
    case D3D11_TEXTURE_ADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3D11_TEXTURE_ADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3D11_TEXTURE_ADDRESS_MIRROR_ONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_CLAMP_TO_EDGE;
    }
}

}  // namespace

RasterizerGl TranslateRasterizer(const D3D11_RASTERIZER_DESC& desc)
{
    RasterizerGl gl;
    gl.cull = desc.CullMode != D3D11_CULL_NONE;
    gl.cullFace = desc.CullMode == D3D11_CULL_FRONT ? GL_FRONT : GL_BACK;
    const bool counterClockwise = (desc.FrontCounterClockwise != 0) != kReverseWinding;
    gl.frontFace = counterClockwise ? GL_CCW : GL_CW;
    gl.polygonMode = desc.FillMode == D3D11_FILL_WIREFRAME ? GL_LINE : GL_FILL;
    gl.depthClamp = !desc.DepthClipEnable;
    gl.scissor = desc.ScissorEnable != 0;
    gl.polygonOffset = desc.DepthBias != 0 || desc.SlopeScaledDepthBias != 0.0f;
    gl.offsetFactor = desc.SlopeScaledDepthBias;
    gl.offsetUnits = static_cast<float>(desc.DepthBias);
    return gl;
}

BlendGl TranslateBlend(const D3D11_BLEND_DESC& desc)
{
    BlendGl gl;
    gl.alphaToCoverage = desc.AlphaToCoverageEnable != 0;
    for (size_t i = 0; i < gl.targets.size(); ++i) {
        // Without independent blending, every target follows the first.
        const D3D11_RENDER_TARGET_BLEND_DESC& target = desc.RenderTarget[desc.IndependentBlendEnable ? i : 0];
        BlendTargetGl& out = gl.targets[i];
        out.enabled = target.BlendEnable != 0;
        if (out.enabled) {
            out.source = GlBlend(target.SrcBlend);
            out.destination = GlBlend(target.DestBlend);
            out.sourceAlpha = GlBlend(target.SrcBlendAlpha);
            out.destinationAlpha = GlBlend(target.DestBlendAlpha);
            out.operation = GlBlendOperation(target.BlendOp);
            out.operationAlpha = GlBlendOperation(target.BlendOpAlpha);
        }
        out.writeMask = target.RenderTargetWriteMask & 0xFu;
    }
    return gl;
}

DepthStencilGl TranslateDepthStencil(const D3D11_DEPTH_STENCIL_DESC& desc)
{
    DepthStencilGl gl;
    gl.depthTest = desc.DepthEnable != 0;
    gl.depthFunction = GlCompare(desc.DepthFunc);
    gl.depthWrite = desc.DepthWriteMask == D3D11_DEPTH_WRITE_MASK_ALL;
    gl.stencilTest = desc.StencilEnable != 0;
    gl.readMask = desc.StencilReadMask;
    gl.writeMask = desc.StencilWriteMask;
    const D3D11_DEPTH_STENCILOP_DESC* faces[2] = {&desc.FrontFace, &desc.BackFace};
    for (int i = 0; i < 2; ++i) {
        gl.faces[i] = {GlCompare(faces[i]->StencilFunc), GlStencilOperation(faces[i]->StencilFailOp),
                       GlStencilOperation(faces[i]->StencilDepthFailOp), GlStencilOperation(faces[i]->StencilPassOp)};
    }
    return gl;
}

SamplerGl TranslateSampler(const D3D11_SAMPLER_DESC& desc, bool anisotropyAllowed)
{
    // The filter's bits: 0x01 linear mip, 0x04 linear magnification, 0x10 linear minification,
    // 0x40 anisotropic (all linear), 0x80 comparison.
    const bool anisotropic = (desc.Filter & 0x40) != 0;
    const bool minLinear = (desc.Filter & 0x10) != 0 || anisotropic;
    const bool magLinear = (desc.Filter & 0x04) != 0 || anisotropic;
    const bool mipLinear = (desc.Filter & 0x01) != 0 || anisotropic;
    SamplerGl gl;
    gl.minFilter = minLinear ? (mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                             : (mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
    gl.magFilter = magLinear ? GL_LINEAR : GL_NEAREST;
    gl.wrap = {GlAddress(desc.AddressU), GlAddress(desc.AddressV), GlAddress(desc.AddressW)};
    gl.lodBias = desc.MipLODBias;
    gl.minLod = desc.MinLOD;
    gl.maxLod = desc.MaxLOD;
    gl.borderColor = {desc.BorderColor[0], desc.BorderColor[1], desc.BorderColor[2], desc.BorderColor[3]};
    gl.maxAnisotropy = anisotropic && anisotropyAllowed ? static_cast<float>(desc.MaxAnisotropy) : 1.0f;
    gl.comparison = (desc.Filter & 0x80) != 0;
    gl.compareFunction = GlCompare(desc.ComparisonFunc);
    return gl;
}

bool DrawableTopology(D3D11_PRIMITIVE_TOPOLOGY topology)
{
    return topology >= D3D11_PRIMITIVE_TOPOLOGY_POINTLIST && topology <= D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP;
}

GLenum TranslateTopology(D3D11_PRIMITIVE_TOPOLOGY topology)
{
    switch (topology) {
    case D3D11_PRIMITIVE_TOPOLOGY_POINTLIST: return GL_POINTS;
    case D3D11_PRIMITIVE_TOPOLOGY_LINELIST: return GL_LINES;
    case D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP: return GL_LINE_STRIP;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST: return GL_TRIANGLES;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    default: return 0;
    }
}

}  // namespace d3dgl
