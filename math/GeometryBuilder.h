#pragma once
// Procedural meshes in system memory: a latitude-longitude sphere, a geodesic sphere and a
// full-screen quad. Callers copy what they need into their own vertex formats and buffers.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/MathHelper.h"

struct GeometryVertex {
    Float3 Position;
    Float3 Normal;
    Float3 TangentU;  // direction of increasing u
    Float2 TexCoord;
};

static_assert(sizeof(GeometryVertex) == 44);
static_assert(offsetof(GeometryVertex, Normal) == 12);
static_assert(offsetof(GeometryVertex, TangentU) == 24);
static_assert(offsetof(GeometryVertex, TexCoord) == 36);

struct GeneratedMesh {
    std::vector<GeometryVertex> Vertices;
    std::vector<std::uint32_t> Indices;  // three per triangle
};

// Holds no state; every operation empties the mesh it is given before filling it.
class GeometryBuilder {
public:
    static constexpr std::uint32_t kSphereSlices = 30;
    static constexpr std::uint32_t kSphereStacks = 30;
    static constexpr std::uint32_t kMaxGeosphereSubdivisions = 5;

    // 30 slices by 30 stacks: 901 vertices (seam repeated, one vertex per pole), 5,220 indices.
    static void MakeSphere(float radius, GeneratedMesh& mesh);
    // Icosahedron subdivided min(subdivisions, 5) times, every vertex pushed out to the radius.
    static void MakeGeosphere(float radius, std::uint32_t subdivisions, GeneratedMesh& mesh);
    // Splits every triangle into four at its edge midpoints. Vertices are not shared: the
    // result has six vertices per input triangle. Throws std::invalid_argument, leaving the
    // mesh untouched, when an index is out of range or the index count is not a multiple of 3.
    static void Subdivide(GeneratedMesh& mesh);
    // Two triangles covering clip space (x and y from -1 to 1, z 0), v growing downwards.
    static void MakeFullscreenQuad(GeneratedMesh& mesh);
};
