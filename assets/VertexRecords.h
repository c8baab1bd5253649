#pragma once
// Vertex records as the vertex buffers hold them: packed 32-bit floats, no gaps, so that the
// size of each record is the stride the buffers are bound with and the byte offsets are those
// the input layouts name.

#include <cstddef>
#include <type_traits>

#include "math/MathHelper.h"

// Sheep and text models.
struct PosNormalVertex {
    Float3 Position;
    Float3 Normal;
};

// Room and pod models; the texture coordinate comes before the tangent.
struct PosNormalTexTanVertex {
    Float3 Position;
    Float3 Normal;
    Float2 TexCoord;
    Float3 Tangent;
};

// Sky sphere and the instanced spheres.
struct PosVertex {
    Float3 Position;
};

// Full-screen quad.
struct PosTexVertex {
    Float3 Position;
    Float2 TexCoord;
};

// One instance of the instanced spheres, read from the second vertex buffer slot: its world matrix
// (row 0 first, row-vector convention) and its colour.
struct InstanceRecord {
    Float4x4 World;
    Float4 Color;
};

static_assert(std::is_standard_layout_v<PosNormalVertex> && std::is_trivially_copyable_v<PosNormalVertex>);
static_assert(std::is_standard_layout_v<PosNormalTexTanVertex> && std::is_trivially_copyable_v<PosNormalTexTanVertex>);
static_assert(std::is_standard_layout_v<PosVertex> && std::is_trivially_copyable_v<PosVertex>);
static_assert(std::is_standard_layout_v<PosTexVertex> && std::is_trivially_copyable_v<PosTexVertex>);
static_assert(std::is_standard_layout_v<InstanceRecord> && std::is_trivially_copyable_v<InstanceRecord>);

static_assert(sizeof(PosNormalVertex) == 24);
static_assert(offsetof(PosNormalVertex, Normal) == 12);

static_assert(sizeof(PosNormalTexTanVertex) == 44);
static_assert(offsetof(PosNormalTexTanVertex, Normal) == 12);
static_assert(offsetof(PosNormalTexTanVertex, TexCoord) == 24);
static_assert(offsetof(PosNormalTexTanVertex, Tangent) == 32);

static_assert(sizeof(PosVertex) == 12);

static_assert(sizeof(PosTexVertex) == 20);
static_assert(offsetof(PosTexVertex, TexCoord) == 12);

static_assert(sizeof(InstanceRecord) == 80);
static_assert(offsetof(InstanceRecord, Color) == 64);
