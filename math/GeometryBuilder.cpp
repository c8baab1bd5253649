#include "math/GeometryBuilder.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

// Normal, tangent and texture coordinate of the point of the unit sphere at polar angle phi
// (from +y) and azimuth theta (from +x towards +z); u follows theta, v follows phi.
void SetSphereSurface(GeometryVertex& v, float phi, float theta)
{
    const float sinPhi = std::sin(phi);
    v.Normal = {sinPhi * std::cos(theta), std::cos(phi), sinPhi * std::sin(theta)};
    v.TangentU = {-std::sin(theta), 0.0f, std::cos(theta)};
    v.TexCoord = {theta / (2.0f * kPi), phi / kPi};
}

GeometryVertex Midpoint(const GeometryVertex& a, const GeometryVertex& b)
{
    GeometryVertex m;
    m.Position = (a.Position + b.Position) * 0.5f;
    m.Normal = Normalize3(a.Normal + b.Normal);
    m.TangentU = Normalize3(a.TangentU + b.TangentU);
    m.TexCoord = {(a.TexCoord.x + b.TexCoord.x) * 0.5f, (a.TexCoord.y + b.TexCoord.y) * 0.5f};
    return m;
}

}  // namespace

void GeometryBuilder::MakeSphere(float radius, GeneratedMesh& mesh)
{
    mesh.Vertices.clear();
    mesh.Indices.clear();

    const float phiStep = kPi / static_cast<float>(kSphereStacks);
    const float thetaStep = 2.0f * kPi / static_cast<float>(kSphereSlices);
    const std::uint32_t ringSize = kSphereSlices + 1;  // the seam vertex repeats the first
    mesh.Vertices.reserve(2 + (kSphereStacks - 1) * ringSize);
    mesh.Indices.reserve(6 * kSphereSlices * (kSphereStacks - 1));

    GeometryVertex north;
    north.Position = {0.0f, radius, 0.0f};
    north.Normal = {0.0f, 1.0f, 0.0f};
    north.TangentU = {1.0f, 0.0f, 0.0f};
    north.TexCoord = {0.0f, 0.0f};
    mesh.Vertices.push_back(north);

    for (std::uint32_t i = 1; i < kSphereStacks; ++i) {
        const float phi = static_cast<float>(i) * phiStep;
        for (std::uint32_t j = 0; j <= kSphereSlices; ++j) {
            const float theta = static_cast<float>(j) * thetaStep;
            GeometryVertex v;
            v.Position = {radius * std::sin(phi) * std::cos(theta), radius * std::cos(phi),
                          radius * std::sin(phi) * std::sin(theta)};
            SetSphereSurface(v, phi, theta);
            mesh.Vertices.push_back(v);
        }
    }

    GeometryVertex south;
    south.Position = {0.0f, -radius, 0.0f};
    south.Normal = {0.0f, -1.0f, 0.0f};
    south.TangentU = {1.0f, 0.0f, 0.0f};
    south.TexCoord = {0.0f, 1.0f};
    mesh.Vertices.push_back(south);

    for (std::uint32_t k = 1; k <= kSphereSlices; ++k)
        mesh.Indices.insert(mesh.Indices.end(), {0u, k + 1, k});

    const std::uint32_t firstRingVertex = 1;
    for (std::uint32_t i = 0; i < kSphereStacks - 2; ++i) {
        for (std::uint32_t j = 0; j < kSphereSlices; ++j) {
            const std::uint32_t a = firstRingVertex + ringSize * i + j;
            const std::uint32_t c = a + ringSize;
            mesh.Indices.insert(mesh.Indices.end(), {a, a + 1, c, c, a + 1, c + 1});
        }
    }

    const std::uint32_t southIndex = static_cast<std::uint32_t>(mesh.Vertices.size()) - 1;
    const std::uint32_t lastRing = southIndex - ringSize;
    for (std::uint32_t k = 0; k < kSphereSlices; ++k)
        mesh.Indices.insert(mesh.Indices.end(), {southIndex, lastRing + k, lastRing + k + 1});
}

void GeometryBuilder::MakeGeosphere(float radius, std::uint32_t subdivisions, GeneratedMesh& mesh)
{
    // Five rounds already give 30,720 vertices; each further round would quadruple it.
    subdivisions = std::min(subdivisions, kMaxGeosphereSubdivisions);

    const float x = 0.525731f;
    const float z = 0.850651f;
    static const Float3 kCorners[12] = {{-x, 0.0f, z}, {x, 0.0f, z},  {-x, 0.0f, -z}, {x, 0.0f, -z},
                                        {0.0f, z, x},  {0.0f, z, -x}, {0.0f, -z, x},  {0.0f, -z, -x},
                                        {z, x, 0.0f},  {-z, x, 0.0f}, {z, -x, 0.0f},  {-z, -x, 0.0f}};
    static const std::uint32_t kFaces[60] = {1, 4,  0, 4, 9, 0,  4, 5, 9,  8, 5, 4,  1,  8,  4, 1, 10, 8,  10, 3,
                                             8, 8,  3, 5, 3, 2,  5, 3, 7,  2, 3, 10, 7,  10, 6, 7, 6,  11, 7,  6,
                                             0, 11, 6, 1, 0, 10, 1, 6, 11, 0, 9, 2,  11, 9,  5, 2, 9,  11, 2,  7};

    mesh.Vertices.clear();
    mesh.Indices.clear();
    mesh.Vertices.reserve(std::size(kCorners));
    for (const Float3& p : kCorners) {
        GeometryVertex v;
        v.Position = p;
        mesh.Vertices.push_back(v);
    }
    mesh.Indices.assign(std::begin(kFaces), std::end(kFaces));

    for (std::uint32_t i = 0; i < subdivisions; ++i)
        Subdivide(mesh);

    for (GeometryVertex& v : mesh.Vertices) {
        const Float3 n = Normalize3(v.Position);
        v.Position = n * radius;
        const float phi = std::acos(std::clamp(n.y, -1.0f, 1.0f));
        float theta = std::atan2(n.z, n.x);
        if (theta < 0.0f)
            theta += 2.0f * kPi;
        SetSphereSurface(v, phi, theta);
    }
}

void GeometryBuilder::Subdivide(GeneratedMesh& mesh)
{
    const std::size_t indexCount = mesh.Indices.size();
    if (indexCount % 3 != 0)
        throw std::invalid_argument("Subdivide: " + std::to_string(indexCount) +
                                    " indices do not make whole triangles");
    const std::size_t vertexCount = mesh.Vertices.size();
    for (std::size_t i = 0; i < indexCount; ++i) {
        if (mesh.Indices[i] >= vertexCount)
            throw std::invalid_argument("Subdivide: index " + std::to_string(mesh.Indices[i]) + " at position " +
                                        std::to_string(i) + " is past the " + std::to_string(vertexCount) +
                                        " vertices");
    }
    const std::size_t triangleCount = indexCount / 3;
    if (triangleCount > std::numeric_limits<std::uint32_t>::max() / 6)
        throw std::invalid_argument("Subdivide: " + std::to_string(triangleCount) +
                                    " triangles would need more than 32-bit indices");

    const GeneratedMesh input = mesh;
    mesh.Vertices.clear();
    mesh.Indices.clear();
    mesh.Vertices.reserve(6 * triangleCount);
    mesh.Indices.reserve(12 * triangleCount);

    for (std::size_t t = 0; t < triangleCount; ++t) {
        const GeometryVertex& a = input.Vertices[input.Indices[3 * t + 0]];
        const GeometryVertex& b = input.Vertices[input.Indices[3 * t + 1]];
        const GeometryVertex& c = input.Vertices[input.Indices[3 * t + 2]];

        mesh.Vertices.push_back(a);
        mesh.Vertices.push_back(b);
        mesh.Vertices.push_back(c);
        mesh.Vertices.push_back(Midpoint(a, b));
        mesh.Vertices.push_back(Midpoint(b, c));
        mesh.Vertices.push_back(Midpoint(a, c));

        // Corners 0..2, edge midpoints 3 = ab, 4 = bc, 5 = ac; the winding of the input is kept.
        const auto base = static_cast<std::uint32_t>(6 * t);
        mesh.Indices.insert(mesh.Indices.end(), {base + 0, base + 3, base + 5,  //
                                                 base + 3, base + 4, base + 5,  //
                                                 base + 5, base + 4, base + 2,  //
                                                 base + 3, base + 1, base + 4});
    }
}

void GeometryBuilder::MakeFullscreenQuad(GeneratedMesh& mesh)
{
    mesh.Vertices.clear();
    mesh.Indices.clear();

    const Float3 normal{0.0f, 0.0f, -1.0f};
    const Float3 tangent{1.0f, 0.0f, 0.0f};
    mesh.Vertices = {
        {{-1.0f, -1.0f, 0.0f}, normal, tangent, {0.0f, 1.0f}},
        {{-1.0f, 1.0f, 0.0f}, normal, tangent, {0.0f, 0.0f}},
        {{1.0f, 1.0f, 0.0f}, normal, tangent, {1.0f, 0.0f}},
        {{1.0f, -1.0f, 0.0f}, normal, tangent, {1.0f, 1.0f}},
    };
    mesh.Indices = {0, 1, 2, 0, 2, 3};
}
