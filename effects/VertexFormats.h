#pragma once
// The vertex records the input layouts describe. The four the models and the sky use, and the
// 80-byte per-instance record of the spheres, live with the model code (assets/VertexRecords.h);
// the two only the layouts need are here.
#include <cstddef>
#include <type_traits>

#include "assets/VertexRecords.h"
#include "math/MathHelper.h"

struct PosColorVertex {
    Float3 Position;
    Float4 Color;
};

struct Basic32Vertex {
    Float3 Position;
    Float3 Normal;
    Float2 TexCoord;
};

static_assert(std::is_standard_layout_v<PosColorVertex> && std::is_trivially_copyable_v<PosColorVertex>);
static_assert(std::is_standard_layout_v<Basic32Vertex> && std::is_trivially_copyable_v<Basic32Vertex>);
static_assert(sizeof(PosColorVertex) == 28);
static_assert(offsetof(PosColorVertex, Color) == 12);
static_assert(sizeof(Basic32Vertex) == 32);
static_assert(offsetof(Basic32Vertex, Normal) == 12);
static_assert(offsetof(Basic32Vertex, TexCoord) == 24);
