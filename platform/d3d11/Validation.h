#pragma once
// The rules the layer enforces at its API boundary. Every refused call and every dropped draw passes
// through Report with one of these rules: it is counted (always; tests read the counts), and the
// first time a rule fires in the process its message is written to standard error, with the detail
// of that case.
#include <cstdint>
#include <string>

// RULE(name, call, message)
#define D3D11_RULES(RULE)                                                                                              \
    RULE(DeviceArguments, "D3D11CreateDevice", "unknown SDK version, driver type or feature-level list")               \
    RULE(DeviceNoContext, "D3D11CreateDevice", "no OpenGL context could be made")                                      \
    RULE(DeviceFeatureLevel, "D3D11CreateDevice", "the GL context reaches none of the requested feature levels")       \
    RULE(BufferDescription, "CreateBuffer", "no description, a zero size or an unknown usage")                         \
    RULE(BufferConstantSize, "CreateBuffer", "a constant buffer must be a multiple of 16 bytes, at most 65536")        \
    RULE(BufferImmutableData, "CreateBuffer", "an immutable buffer needs initial data")                                \
    RULE(InitialDataNull, "Create*", "initial data with a null pointer")                                               \
    RULE(TextureDescription, "CreateTexture2D",                                                                        \
         "no description, an unsupported format, a size of 0 or above 16384, multisampling or an unknown usage")       \
    RULE(TextureArraySize, "CreateTexture2D", "array size must be 1 to 2048, or 6 for a square cube map")              \
    RULE(TextureArrayBinding, "CreateTexture*",                                                                        \
         "texture arrays and 3D textures are read by shaders only: no render target, depth or unordered access")       \
    RULE(Texture3DDescription, "CreateTexture3D",                                                                      \
         "no description, a compressed or depth format, a size of 0 or above 2048, misc flags or an unknown usage")    \
    RULE(TextureBlockSize, "CreateTexture2D", "a block-compressed texture's size must be a multiple of 4")             \
    RULE(TextureBindFormat, "CreateTexture2D",                                                                         \
         "the bind flags do not suit the format (depth, render target or unordered access)")                           \
    RULE(TextureMipLevels, "CreateTexture2D", "more mip levels than the size has")                                     \
    RULE(TextureImmutableData, "CreateTexture2D", "an immutable texture needs initial data")                           \
    RULE(ViewResource, "Create*View", "the resource is not a texture with the view's bind flag")                       \
    RULE(ViewDescription, "Create*View",                                                                               \
         "the description's format, dimension, flags or mip range do not fit the texture")                             \
    RULE(RasterizerDescription, "CreateRasterizerState", "no description, or a fill or cull mode out of range")        \
    RULE(BlendDescription, "CreateBlendState",                                                                         \
         "no description, a write mask above 0xF, or a blend factor or operation out of range")                        \
    RULE(DepthStencilDescription, "CreateDepthStencilState",                                                           \
         "no description, or a write mask, comparison or stencil operation out of range")                              \
    RULE(SamplerDescription, "CreateSamplerState",                                                                     \
         "no description, or a filter, address mode, anisotropy, comparison or LOD range out of range")                \
    RULE(LayoutSignature, "CreateInputLayout", "no element list or no valid input signature")                          \
    RULE(LayoutElement, "CreateInputLayout",                                                                           \
         "an element with no semantic, an unsupported format, or a slot or step rate out of range")                    \
    RULE(LayoutStepRates, "CreateInputLayout", "one input slot mixes step rates")                                      \
    RULE(LayoutDuplicateSemantic, "CreateInputLayout", "a semantic appears twice")                                     \
    RULE(LayoutMissingInput, "CreateInputLayout", "the vertex shader reads an input no element supplies")              \
    RULE(LayoutComponentType, "CreateInputLayout", "an element's component type differs from the shader input's")      \
    RULE(ShaderBlob, "Create*Shader", "the bytecode is not a valid stage blob")                                        \
    RULE(ShaderStage, "Create*Shader", "the stage blob is of another stage")                                           \
    RULE(ShaderUnsupported, "Create*Shader", "the device cannot run this stage")                                       \
    RULE(ShaderCompile, "Create*Shader", "the GLSL failed to compile")                                                 \
    RULE(MultisampleQuery, "CheckMultisampleQualityLevels",                                                            \
         "no output pointer, an unsupported format or a sample count out of range")                                    \
    RULE(GeometryShader, "GSSetShader", "geometry shaders are not supported; ignored")                                 \
    RULE(MapArguments, "Map", "only whole dynamic buffers map, for WRITE_DISCARD or WRITE_NO_OVERWRITE")               \
    RULE(UpdateArguments, "UpdateSubresource",                                                                         \
         "not a default-usage resource, a subresource or box out of range, or a row pitch or format that cannot be "   \
         "uploaded; ignored")                                                                                          \
    RULE(CopyMismatch, "CopyResource", "the resources differ in kind, size, format or mip count; ignored")             \
    RULE(TargetsIncomplete, "OMSetRenderTargets", "the bound views do not form a complete GL framebuffer")             \
    RULE(DrawNoShader, "Draw*", "no vertex shader; draw dropped")                                                      \
    RULE(DrawShaderRefused, "Draw*/Dispatch", "a bound shader's program was refused by the driver; dropped")           \
    RULE(DrawNoViewport, "Draw*", "no viewport; draw dropped")                                                         \
    RULE(DrawTopology, "Draw*", "the primitive topology is undefined or not supported; draw dropped")                  \
    RULE(DrawNoLayout, "Draw*", "the vertex shader reads inputs but no input layout is bound; draw dropped")           \
    RULE(DrawNoTargets, "Draw*",                                                                                       \
         "no render target and no depth view bound, or the bound ones do not form a complete framebuffer; draw "       \
         "dropped")                                                                                                    \
    RULE(DrawNoVertexBuffer, "Draw*", "an input slot the layout reads has no vertex buffer; draw dropped")             \
    RULE(DrawSampleMaskZero, "Draw*",                                                                                  \
         "the blend state's sample mask leaves out sample 0, the only sample of the layer's targets; GL applies no "   \
         "sample mask to single-sample targets, so the draw, which would write nothing, is dropped")                   \
    RULE(DrawComparisonOnColour, "Draw*/Dispatch",                                                                     \
         "a texture read with SampleCmp is of a colour format; GL compares only textures of a depth format "           \
         "(create it as D32_FLOAT, D24_UNORM_S8_UINT or D16_UNORM); dropped")                                          \
    RULE(DrawIndexBuffer, "DrawIndexed*",                                                                              \
         "no index buffer, or an index format other than R16_UINT and R32_UINT; draw dropped")                         \
    RULE(DrawIndicesPastEnd, "DrawIndexed*", "the indices run past the end of the index buffer; draw dropped")         \
    RULE(DispatchNoShader, "Dispatch", "no compute shader; dispatch dropped")                                          \
    RULE(SwapChainArguments, "CreateSwapChain",                                                                        \
         "no device or description, a buffer count other than 1 or 2, multisampling or a format other than "           \
         "R8G8B8A8/B8G8R8A8 UNORM")                                                                                    \
    RULE(ResizeArguments, "ResizeBuffers", "a buffer count above 1 or an unsupported format")                          \
    RULE(ResizeTooLarge, "ResizeBuffers",                                                                              \
         "a width or height above 16384, the largest texture the device makes; the buffers keep their size")

enum class D3D11Rule : unsigned {
#define D3D11_RULE_NAME(name, call, message) name,
    D3D11_RULES(D3D11_RULE_NAME)
#undef D3D11_RULE_NAME
        Count
};

// "CreateBuffer: a constant buffer must be a multiple of 16 bytes, at most 65536".
const char* D3D11RuleMessage(D3D11Rule rule);
// Times the rule has refused a call or dropped a draw in this process.
std::uint64_t D3D11RuleCount(D3D11Rule rule);

namespace d3dgl {

using Rule = D3D11Rule;

// Counts the rule; the first time it fires, writes "d3d11: <call>: <message> (<detail>)" (without the
// parenthesis when the detail is empty).
void Report(Rule rule, const std::string& detail = {});

}  // namespace d3dgl
