#pragma once
// The condition of each rule of Validation.h, as a function of a call's arguments and of what the
// objects involved were made with. Nothing here reaches GL, so every rule is tested without a context
// (tests/platform/d3d11/ChecksTest.cpp); a caller reports what comes back and returns.
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/DXGI.h"
#include "platform/d3d11/Formats.h"
#include "platform/d3d11/Validation.h"

namespace d3dgl {

struct Refusal {
    Rule rule;
    std::string detail;  // what in this call broke the rule; may be empty
};
// Empty when the call may go on.
using Verdict = std::optional<Refusal>;

void Report(const Refusal& refusal);
// Reports the refusal and returns E_INVALIDARG.
HRESULT Refuse(const Refusal& refusal);

// ---- the device ----
Verdict CheckDeviceArguments(D3D_DRIVER_TYPE driverType, const D3D_FEATURE_LEVEL* levels, UINT levelCount,
                             UINT sdkVersion);
// The highest of the requested levels (Direct3D's default list when `levels` is null) that the GL
// context reaches.
Verdict ChooseFeatureLevel(const D3D_FEATURE_LEVEL* levels, UINT levelCount, D3D_FEATURE_LEVEL reached,
                           D3D_FEATURE_LEVEL& achieved);
Verdict CheckMultisampleQuery(DXGI_FORMAT format, UINT sampleCount, const UINT* levels);
// The message of a failed program link (GL's log, trimmed), or nothing when it linked.
Verdict CheckLinkResult(bool linked, const char* stageName, std::string log);
// The status glCheckNamedFramebufferStatus gave, named.
Verdict CheckFramebufferStatus(std::uint32_t status);

// ---- resources and views ----
// The largest width and height of a 2D texture (Direct3D 11's limit, which every GL 4.5 driver the
// layer runs on reaches).
inline constexpr UINT kMaxTextureSize = 16384;
inline constexpr UINT kMaxTexture3DSize = 2048;

Verdict CheckBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData);
// `resolved` is the description with a mip count of 0 made the full chain.
Verdict CheckTexture2D(const D3D11_TEXTURE2D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                       D3D11_TEXTURE2D_DESC& resolved);
Verdict CheckTexture3D(const D3D11_TEXTURE3D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                       D3D11_TEXTURE3D_DESC& resolved);

// What a view is made of. A 3D texture is stored as a 2D description with its depth in ArraySize.
enum class TextureShape { Plain, Array, Cube, Volume };
struct ViewedTexture {
    const D3D11_TEXTURE2D_DESC* desc = nullptr;  // null: the resource is no texture
    TextureShape shape = TextureShape::Plain;
};
// `resolved` is the description the view is made with: the texture's whole range where no description
// is given, the requested range otherwise.
Verdict CheckShaderResourceView(ViewedTexture texture, const D3D11_SHADER_RESOURCE_VIEW_DESC* requested,
                                D3D11_SHADER_RESOURCE_VIEW_DESC& resolved);
Verdict CheckRenderTargetView(ViewedTexture texture, const D3D11_RENDER_TARGET_VIEW_DESC* requested,
                              D3D11_RENDER_TARGET_VIEW_DESC& resolved);
Verdict CheckDepthStencilView(ViewedTexture texture, const D3D11_DEPTH_STENCIL_VIEW_DESC* requested,
                              D3D11_DEPTH_STENCIL_VIEW_DESC& resolved);
Verdict CheckUnorderedAccessView(ViewedTexture texture, const D3D11_UNORDERED_ACCESS_VIEW_DESC* requested,
                                 D3D11_UNORDERED_ACCESS_VIEW_DESC& resolved);

// ---- state objects ----
// Every field in its domain (StateFields.h), where the description uses it: a disabled test's
// function, a disabled blend target's factors, the comparison of a sampler that does not compare are
// not looked at. The effect compiler and the effect blob's reader hold states to these too.
Verdict CheckRasterizer(const D3D11_RASTERIZER_DESC* desc);
Verdict CheckBlend(const D3D11_BLEND_DESC* desc);
Verdict CheckDepthStencil(const D3D11_DEPTH_STENCIL_DESC* desc);
Verdict CheckSampler(const D3D11_SAMPLER_DESC* desc);

// ---- shaders and input layouts ----
const char* StageName(StageKind kind);
// GL texture units and uniform-buffer bindings are shared by all stages, while each Direct3D stage
// numbers its slots from 0; every stage therefore gets its own range of units, this many wide.
inline constexpr std::size_t kTextureUnitsPerStage = 32;

// Parses the stage blob into `blob`.
Verdict CheckShader(const void* code, SIZE_T length, StageKind kind, bool computeShaders, StageBlob& blob);

// An element of a layout and where it sits in its slot.
struct LayoutElement {
    const D3D11_INPUT_ELEMENT_DESC* element;
    const FormatInfo* format;
    UINT offset;  // absolute: append-aligned elements follow the previous one in their slot
};
// What a checked layout attaches: each input the vertex shader reads with the element that supplies it.
struct CheckedLayout {
    struct Attribute {
        StageInput input;
        LayoutElement element;
    };
    std::vector<Attribute> attributes;
    std::int32_t stepRates[D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT];  // -1: slot unused
};
Verdict CheckInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature, SIZE_T length,
                         CheckedLayout& layout);

// ---- the context's calls ----
Verdict CheckGeometryShader(const void* shader);
// `desc` null: the resource is no buffer.
Verdict CheckMap(const D3D11_BUFFER_DESC* desc, UINT subresource, D3D11_MAP type, const void* mapped);
// The byte range [first, last) the update writes.
Verdict CheckBufferUpdate(const D3D11_BUFFER_DESC& desc, UINT subresource, const D3D11_BOX* box, UINT& first,
                          UINT& last);
// The level, array slice and box of the texels the update writes. `desc` null: no texture.
struct TextureUpdate {
    UINT level, slice;
    D3D11_BOX box;
};
Verdict CheckTextureUpdate(const D3D11_TEXTURE2D_DESC* desc, UINT subresource, const D3D11_BOX* box, UINT rowPitch,
                           TextureUpdate& update);
Verdict CheckBufferCopy(const D3D11_BUFFER_DESC& destination, const D3D11_BUFFER_DESC& source);
// Either null: not a texture.
Verdict CheckTextureCopy(const D3D11_TEXTURE2D_DESC* destination, const D3D11_TEXTURE2D_DESC* source);

// ---- draws and dispatches ----
inline constexpr UINT kShaderResourceSlots = D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT;
using ResourceSlotSet = std::bitset<kShaderResourceSlots>;

// What validation needs of a bound shader, kept beside its references by the context.
struct ShaderFacts {
    bool linked = true;        // false once the driver refused the program
    bool readsInputs = false;  // a vertex shader with inputs needs a layout
    ResourceSlotSet compared;  // slots read with SampleCmp
};
// What the context has bound, as draws and dispatches are validated against it.
struct PipelineFacts {
    const ShaderFacts* vertex = nullptr;
    const ShaderFacts* pixel = nullptr;
    const ShaderFacts* compute = nullptr;
    ResourceSlotSet colourViews[3];  // by StageKind: slots holding a view of a non-depth format
    bool viewport = false;
    D3D11_PRIMITIVE_TOPOLOGY topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
    bool layout = false;
    std::uint32_t layoutSlots = 0;    // input slots the layout reads
    std::uint32_t vertexBuffers = 0;  // input slots with a buffer bound
    bool framebuffer = false;         // the bound targets form a complete framebuffer
    UINT sampleMask = D3D11_DEFAULT_SAMPLE_MASK;
    bool indexBuffer = false;
    DXGI_FORMAT indexFormat = DXGI_FORMAT_UNKNOWN;
    UINT indexOffset = 0;
    UINT indexBufferBytes = 0;
};
Verdict ValidateDraw(const PipelineFacts& facts);
Verdict ValidateIndexedDraw(const PipelineFacts& facts, UINT count, UINT start);
Verdict ValidateDispatch(const PipelineFacts& facts);

// ---- swap chains ----
Verdict CheckSwapChain(const DXGI_SWAP_CHAIN_DESC* desc, bool device, bool out);
Verdict CheckResize(UINT count, DXGI_FORMAT format);
Verdict CheckResizeSize(UINT width, UINT height);

}  // namespace d3dgl
