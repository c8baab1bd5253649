#pragma once
// Triangle meshes split into named groups, with the primitives the models are built from.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/resgen/VecMath.h"

namespace resgen {

struct MeshVertex {
    Vec3 position;
    Vec3 normal;  // outward, unit length
    Vec2 uv;
};

struct MeshGroup {
    std::string name;
    std::string material;
    std::vector<MeshVertex> vertices;
    std::vector<std::array<uint32_t, 3>> triangles;

    uint32_t AddVertex(const MeshVertex& v);
    // Adds a triangle wound clockwise seen from the side its normals point to (Direct3D's front
    // face in a left-handed frame). Triangles with no area in space are dropped.
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c);
};

struct Mesh {
    std::vector<MeshGroup> groups;
    MeshGroup& Begin(const std::string& name, const std::string& material);
    size_t TriangleCount() const;
};

// A placement: origin and three axes (not necessarily orthonormal for boxes; unit for curves).
struct Frame {
    Vec3 origin{0, 0, 0};
    Vec3 ax{1, 0, 0}, ay{0, 1, 0}, az{0, 0, 1};
    Vec3 Point(Vec3 p) const { return origin + ax * p.x + ay * p.y + az * p.z; }
    Vec3 Dir(Vec3 d) const { return Normalize(ax * d.x + ay * d.y + az * d.z); }
};

// A flat quad p0..p3 (in order around it) with its normal; uv per corner.
void AddQuad(MeshGroup& g, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 normal, Vec2 t0, Vec2 t1, Vec2 t2, Vec2 t3);

// A box of the given half sizes in the frame's axes; texture coordinates are world lengths times
// uvScale, so textures keep one density over differently sized boxes.
void AddBox(MeshGroup& g, const Frame& f, Vec3 half, double uvScale);

// A tube swept along a polyline (at least two points), radius per point; u goes around, v along.
void AddTube(MeshGroup& g, const std::vector<Vec3>& path, const std::vector<double>& radius, int sides, bool capStart,
             bool capEnd, double uvScale);

// A surface of revolution about the frame's y axis: profile points are (radius, height) from
// bottom to top; a radius of zero closes the surface at that end.
void AddLathe(MeshGroup& g, const Frame& f, const std::vector<Vec2>& profile, int segments, double uvScaleU,
              double uvScaleV, double angle0 = 0.0, double angle1 = 2 * kPi);

// A torus about the frame's y axis.
void AddTorus(MeshGroup& g, const Frame& f, double majorRadius, double minorRadius, int majorSegments,
              int minorSegments, double uvScale);

// Points of a hanging cable between a and b (a parabola sagging by sag along -y).
std::vector<Vec3> SagCurve(Vec3 a, Vec3 b, double sag, int points);

}  // namespace resgen
