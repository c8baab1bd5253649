#pragma once
// The "bytecode" our shader objects are created from: GLSL 4.50 source plus what Direct3D would
// reflect from real bytecode (the vertex input signature and where each resource is bound).
// The effect compiler writes these; the device parses them and never trusts them.
// The byte layout is documented in platform/d3d11/README.md.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class StageKind : std::uint32_t { Vertex = 0, Pixel = 1, Compute = 2, Hull = 3, Domain = 4, Geometry = 5 };

enum class StageComponentType : std::uint32_t { Float = 0, SInt = 1, UInt = 2 };

enum class StageTextureDimension : std::uint32_t { Texture2D = 0, TextureCube = 1, Texture2DArray = 2, Texture3D = 3 };

// Storage-image formats a compute stage may declare for its UAVs. Unspecified: the image is only
// written, so the GLSL declares no format and the bound view's format applies.
enum class StageImageFormat : std::uint32_t {
    Rgba32f = 0,
    Rgba8 = 1,
    R32f = 2,
    R32ui = 3,
    Rgba16f = 4,
    R32i = 5,
    Unspecified = 6,
};

struct StageInput {
    std::string semanticName;  // e.g. "POSITION", matched case-insensitively as Direct3D does
    std::uint32_t semanticIndex = 0;
    std::uint32_t location = 0;  // GL attribute location
    StageComponentType componentType = StageComponentType::Float;
    std::uint32_t componentCount = 4;  // 1..4
};

struct StageConstantBuffer {
    std::string name;
    std::uint32_t binding = 0;  // GL uniform-buffer binding, equal to the Direct3D slot
    std::uint32_t byteSize = 0;
};

constexpr std::uint32_t kStageNoSampler = 0xFFFFFFFFu;

// A GL sampler uniform combines a Direct3D shader resource with a Direct3D sampler (or none, for
// Load-only textures). At draw time the device binds the view in `slot` and the sampler state in
// `samplerSlot` to GL texture unit `unit`.
struct StageTexture {
    std::string name;
    std::uint32_t unit = 0;  // GL texture unit, unique within the blob
    StageTextureDimension dimension = StageTextureDimension::Texture2D;
    std::uint32_t slot = 0;                       // Direct3D shader-resource slot
    std::uint32_t samplerSlot = kStageNoSampler;  // Direct3D sampler slot
    bool comparison = false;  // sampled with a comparison (SampleCmp): GL compares depth formats only
};

struct StageSampler {
    std::string name;
    std::uint32_t unit = 0;  // Direct3D sampler slot (informational: textures say where it is used)
};

struct StageImage {
    std::string name;
    std::uint32_t unit = 0;  // GL image unit, equal to the Direct3D UAV slot
    StageImageFormat format = StageImageFormat::Rgba32f;
};

struct StageBlob {
    StageKind stage = StageKind::Vertex;
    std::string glsl;                // complete "#version 450" source for a separable program
    std::vector<StageInput> inputs;  // vertex stage only; empty for the others
    std::vector<StageConstantBuffer> constantBuffers;
    std::vector<StageTexture> textures;
    std::vector<StageSampler> samplers;
    std::vector<StageImage> images;
};

constexpr std::uint32_t kStageBlobVersion = 2;
// Limits the parser enforces so that hostile input cannot make it allocate without bound.
constexpr std::uint32_t kStageBlobMaxSource = 4u << 20;
constexpr std::uint32_t kStageBlobMaxName = 256;
constexpr std::uint32_t kStageBlobMaxInputs = 32;
constexpr std::uint32_t kStageBlobMaxBindings = 128;  // per kind, and the largest unit/binding + 1
constexpr std::uint32_t kStageMaxSamplerSlots = 16;

std::vector<std::uint8_t> WriteStageBlob(const StageBlob& blob);
// False on any malformed input (bad magic or version, truncated or oversized fields, unknown enum
// values, duplicate semantics or bindings, trailing bytes); `out` is then left unchanged.
bool ParseStageBlob(const void* data, std::size_t size, StageBlob& out);

// The input signature alone: what a pass description hands to CreateInputLayout when it does not
// hand the whole vertex-shader blob.
std::vector<std::uint8_t> WriteInputSignatureBlob(const std::vector<StageInput>& inputs);
bool ParseInputSignatureBlob(const void* data, std::size_t size, std::vector<StageInput>& out);

// Accepts either a stage blob of a vertex stage or an input-signature blob.
bool ParseAnyInputSignature(const void* data, std::size_t size, std::vector<StageInput>& out);
