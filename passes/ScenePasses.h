#pragma once
// The drawing passes of the two scenes, as functions of what they read. Each binds its layout and
// topology, sets its effect's values, applies each pass of its technique and draws; none clears or
// changes the render targets, which the frame composition chooses.
#include <array>
#include <span>

#include "assets/ModelAssembly.h"
#include "math/Camera.h"
#include "math/LightingRecords.h"
#include "math/MathHelper.h"
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/D3D11.h"

// A vertex buffer, a 32-bit index buffer and how many indices a draw of the whole mesh takes.
struct MeshBuffers {
    ID3D11Buffer* vertexBuffer = nullptr;
    ID3D11Buffer* indexBuffer = nullptr;
    UINT indexCount = 0;
};

// An untextured lit model (sheep, text) with the "Light1" technique of the basic effect.
void DrawLitMesh(ID3D11DeviceContext* context, const MeshBuffers& mesh, const Float4x4& world, const Material& material,
                 const SpotLight& spot, const DirectionalLights& lights, const Camera& camera);

// One instanced group of spheres: geometry, per-instance records and the group's world matrix.
struct SphereGroup {
    MeshBuffers geometry;
    ID3D11Buffer* instanceBuffer = nullptr;
    UINT instanceCount = 0;
    Float4x4 world;
};

// The sphere cloud and the big sphere into both bound targets with the two-target blend state;
// the blend and rasterizer states are back to the defaults afterwards.
void DrawSpheres(ID3D11DeviceContext* context, const SphereGroup& cloud, const SphereGroup& bigSphere,
                 const Camera& camera);

// The full-screen quad that mixes the blurred target (first input) with the colour target.
// Both inputs are unbound from the pixel stage again afterwards.
void DrawCombine(ID3D11DeviceContext* context, ID3D11Buffer* quadVertexBuffer, ID3D11Buffer* quadIndexBuffer,
                 ID3D11ShaderResourceView* blurredSrv, ID3D11ShaderResourceView* colorSrv);

// A normal-mapped, fogged model cut into ranges (pod, room), drawn once per copy, texture group by
// texture group, through the second scene's camera.
struct PartModelDraw {
    MeshBuffers mesh;                   // indexCount unused: the ranges say what to draw
    std::span<const MeshRange> ranges;  // one per slot of the model's part table
    std::span<const DrawStep> steps;    // texture groups in drawing order
    std::span<const ModelCopy> copies;  // z offsets and slots drawn per copy
    Float4x4 baseWorld;
    Material material;
};

struct CorridorLighting {
    DirectionalLights lights;
    SpotLight spot;
};

void DrawPartModel(ID3D11DeviceContext* context, const PartModelDraw& model, const CorridorLighting& lighting,
                   const Camera& camera, std::span<const ComPtr<ID3D11ShaderResourceView>> sceneTextures);

// The fixed values of the passes.
inline constexpr float kSphereFogColor[4] = {0.75f, 0.75f, 0.75f, 1.0f};
inline constexpr float kSphereFogStart = 5.0f;
inline constexpr float kSphereFogRange = 100.0f;
inline constexpr float kCorridorFogColor[4] = {0.13f, 0.15f, 0.2f, 1.0f};
inline constexpr float kCorridorFogStart = 0.0f;
inline constexpr float kCorridorFogRange = 25.0f;
