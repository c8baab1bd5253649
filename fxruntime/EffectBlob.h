#pragma once
// The compiled effect: everything the effect runtime needs to build an effect object, with no
// reference back to the source. The compiler writes it; the runtime parses it and never trusts it.
// The byte layout is documented in fxruntime/README.md.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/StateFields.h"

constexpr std::uint32_t kEffectBlobVersion = 2;

// Limits the parser enforces so that hostile input cannot make it allocate without bound.
constexpr std::uint32_t kEffectMaxName = 256;
constexpr std::uint32_t kEffectMaxTechniques = 256;
constexpr std::uint32_t kEffectMaxPasses = 64;
constexpr std::uint32_t kEffectMaxShaders = 1024;
constexpr std::uint32_t kEffectMaxStageBlob = 8u << 20;
constexpr std::uint32_t kEffectMaxBuffers = 14;  // Direct3D's constant-buffer slots per stage
constexpr std::uint32_t kEffectMaxBufferSize = 65536;
constexpr std::uint32_t kEffectMaxVariables = 4096;
constexpr std::uint32_t kEffectMaxStates = 256;
constexpr std::uint32_t kEffectMaxTextures = 128;
constexpr std::uint32_t kEffectMaxSamplers = 16;
constexpr std::uint32_t kEffectMaxUavs = 8;

// Shader slots of a pass, indexed by StageKind.
constexpr std::size_t kEffectStageCount = 6;
constexpr std::int32_t kEffectNoShader = -1;

// A pass state reference: an index into the effect's state list, or one of these.
constexpr std::int32_t kEffectStateUnset = -1;    // the pass leaves the pipeline's state alone
constexpr std::int32_t kEffectStateDefault = -2;  // the pass binds null (the default state)

enum class EffectVariableKind : std::uint32_t { Numeric = 0, Texture = 1, Uav = 2, Sampler = 3 };

enum class EffectBaseType : std::uint32_t { Float = 0, Int = 1, UInt = 2, Bool = 3, Struct = 4 };

struct EffectVariable {
    std::string name;
    EffectVariableKind kind = EffectVariableKind::Numeric;
    // Numeric: where the value lives in its constant buffer.
    std::uint32_t buffer = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;  // bytes the variable covers, padding of the last element excluded
    EffectBaseType baseType = EffectBaseType::Float;
    std::uint32_t rows = 1;           // 1 for scalars and vectors
    std::uint32_t columns = 1;        // vector width; matrix columns
    std::uint32_t elements = 0;       // 0 when not an array
    std::uint32_t elementStride = 0;  // bytes between array elements
    bool columnMajor = false;         // matrices: true when stored column by column (HLSL's default)
    bool matrix = false;              // a matrix, also one a single row or column wide
    // Texture, Uav and Sampler: the Direct3D slot (the first of `elements` consecutive ones for an
    // array); textures also their dimension, UAVs their format, and both in `baseType` whether their
    // elements are integers (Int, UInt) or not (Float).
    std::uint32_t slot = 0;
    StageTextureDimension dimension = StageTextureDimension::Texture2D;
    StageImageFormat format = StageImageFormat::Rgba32f;
};

// Bytes copied from a buffer's Direct3D layout to the copy its shaders read.
struct EffectCopyRun {
    std::uint32_t from = 0;  // offset in the Direct3D layout
    std::uint32_t to = 0;    // offset in the shaders' copy
    std::uint32_t bytes = 0;
};

struct EffectConstantBuffer {
    std::string name;
    std::uint32_t slot = 0;
    std::vector<std::uint8_t> initialData;  // Direct3D's layout; its size is the buffer's size
    // The shaders read a std140 copy of gpuSize bytes made by these runs; with no runs they read the
    // buffer as it is (gpuSize equals its size).
    std::uint32_t gpuSize = 0;
    std::vector<EffectCopyRun> runs;
};

// The state objects are Direct3D 11's descriptions themselves (each field: platform/d3d11/StateFields.h),
// with the name the effect file gives them; the runtime hands them on as they are.
struct EffectSamplerDesc {
    std::string name;
    D3D11_SAMPLER_DESC desc = d3dgl::DefaultDesc<D3D11_SAMPLER_DESC>();
};

struct EffectRasterizerDesc {
    std::string name;
    D3D11_RASTERIZER_DESC desc = d3dgl::DefaultDesc<D3D11_RASTERIZER_DESC>();
};

struct EffectDepthStencilDesc {
    std::string name;
    D3D11_DEPTH_STENCIL_DESC desc = d3dgl::DefaultDesc<D3D11_DEPTH_STENCIL_DESC>();
};

struct EffectBlendDesc {
    std::string name;
    D3D11_BLEND_DESC desc = d3dgl::DefaultDesc<D3D11_BLEND_DESC>();
};

struct EffectShader {
    StageKind stage = StageKind::Vertex;
    std::string entry;               // the entry with its literal arguments, e.g. "PS(1, true)"
    std::vector<std::uint8_t> code;  // a stage blob (platform/blobs/StageBlob.h)
    // `code` as read by ParseEffectBlob, which checks every binding it names against the effect's
    // tables; the runtime uses it as it is (WriteEffectBlob ignores it).
    StageBlob parsed;
};

struct EffectPass {
    std::string name;
    std::int32_t shaders[kEffectStageCount] = {-1, -1, -1, -1, -1, -1};  // by StageKind
    std::int32_t rasterizerState = kEffectStateUnset;
    std::int32_t depthStencilState = kEffectStateUnset;
    std::uint32_t stencilRef = 0;
    std::int32_t blendState = kEffectStateUnset;
    float blendFactor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    std::uint32_t sampleMask = 0xFFFFFFFFu;
};

struct EffectTechnique {
    std::string name;
    std::vector<EffectPass> passes;
};

struct EffectBlob {
    std::vector<EffectTechnique> techniques;
    std::vector<EffectShader> shaders;
    std::vector<EffectConstantBuffer> constantBuffers;
    std::vector<EffectVariable> variables;
    std::vector<EffectSamplerDesc> samplers;  // index = sampler slot
    std::vector<EffectRasterizerDesc> rasterizerStates;
    std::vector<EffectDepthStencilDesc> depthStencilStates;
    std::vector<EffectBlendDesc> blendStates;
};

std::vector<std::uint8_t> WriteEffectBlob(const EffectBlob& blob);

// False on any malformed input: bad magic or version, a size that disagrees with the header,
// truncated or oversized fields, unknown enumeration values, indices out of range, variables
// outside their buffers, stage blobs that do not parse, trailing bytes. `out` is then unchanged.
bool ParseEffectBlob(const void* data, std::size_t size, EffectBlob& out);
