#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "math/GeometryBuilder.h"
#include "tests/math/MathTestUtil.h"

namespace {

// Every triangle wound the same way: Cross3(B - A, C - A) points away from the centre.
::testing::AssertionResult AllTrianglesFaceOutwards(const GeneratedMesh& mesh)
{
    for (std::size_t i = 0; i + 2 < mesh.Indices.size(); i += 3) {
        const Float3 a = mesh.Vertices[mesh.Indices[i]].Position;
        const Float3 b = mesh.Vertices[mesh.Indices[i + 1]].Position;
        const Float3 c = mesh.Vertices[mesh.Indices[i + 2]].Position;
        const Float3 centroid = (a + b + c) * (1.0f / 3.0f);
        if (!(Dot3(Cross3(b - a, c - a), centroid) > 0.0f))
            return ::testing::AssertionFailure() << "triangle " << i / 3 << " faces inwards or is degenerate";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult IndicesInRange(const GeneratedMesh& mesh)
{
    if (mesh.Indices.size() % 3 != 0)
        return ::testing::AssertionFailure() << mesh.Indices.size() << " indices";
    for (std::uint32_t index : mesh.Indices)
        if (index >= mesh.Vertices.size())
            return ::testing::AssertionFailure() << "index " << index << " of " << mesh.Vertices.size();
    return ::testing::AssertionSuccess();
}

GeneratedMesh JunkMesh()
{
    GeneratedMesh m;
    m.Vertices.resize(3);
    m.Indices = {7, 8, 9, 10};
    return m;
}

TEST(MakeSphere, HasFixedCountsPolesAndIndexOrder)
{
    GeneratedMesh mesh = JunkMesh();  // reused meshes are emptied first
    GeometryBuilder::MakeSphere(5000.0f, mesh);

    ASSERT_EQ(mesh.Vertices.size(), 901u);
    ASSERT_EQ(mesh.Indices.size(), 5220u);
    EXPECT_EQ(*std::max_element(mesh.Indices.begin(), mesh.Indices.end()), 900u);  // fits 16-bit indices
    EXPECT_TRUE(IndicesInRange(mesh));

    EXPECT_EQ(mesh.Vertices.front().Position, (Float3{0, 5000, 0}));
    EXPECT_EQ(mesh.Vertices.back().Position, (Float3{0, -5000, 0}));

    // First ring, first vertex: phi = pi/30, theta = 0.
    EXPECT_TRUE(
        Near3(mesh.Vertices[1].Position, {5000.0f * std::sin(0.10471976f), 5000.0f * std::cos(0.10471976f), 0}, 1e-2f));
    // The seam vertex of every ring repeats the ring's first position.
    for (int ring = 0; ring < 29; ++ring)
        EXPECT_TRUE(Near3(mesh.Vertices[1 + 31 * ring + 30].Position, mesh.Vertices[1 + 31 * ring].Position, 2e-3f))
            << "ring " << ring;

    const std::vector<std::uint32_t> northCap(mesh.Indices.begin(), mesh.Indices.begin() + 6);
    EXPECT_EQ(northCap, (std::vector<std::uint32_t>{0, 2, 1, 0, 3, 2}));
    const std::vector<std::uint32_t> firstBand(mesh.Indices.begin() + 90, mesh.Indices.begin() + 96);
    EXPECT_EQ(firstBand, (std::vector<std::uint32_t>{1, 2, 32, 32, 2, 33}));
    const std::vector<std::uint32_t> lastSouth(mesh.Indices.end() - 3, mesh.Indices.end());
    EXPECT_EQ(lastSouth, (std::vector<std::uint32_t>{900, 898, 899}));

    for (const GeometryVertex& v : mesh.Vertices) {
        EXPECT_NEAR(Length3(v.Position), 5000.0f, 5e-3f);
        EXPECT_NEAR(Length3(v.Normal), 1.0f, 1e-5f);
        EXPECT_TRUE(Near3(v.Normal, v.Position * (1.0f / 5000.0f), 1e-5f));
    }
    EXPECT_TRUE(AllTrianglesFaceOutwards(mesh));
}

TEST(MakeGeosphere, CountsFollowTheSubdivisionLevelAndClampAtFive)
{
    struct Case {
        std::uint32_t subdivisions;
        std::size_t vertices;
        std::size_t triangles;
    };
    const Case cases[] = {
        {0, 12, 20},     {1, 120, 80},      {2, 480, 320},     {3, 1920, 1280},
        {4, 7680, 5120}, {5, 30720, 20480}, {6, 30720, 20480}, {16, 30720, 20480},
    };
    for (const Case& c : cases) {
        GeneratedMesh mesh = JunkMesh();
        GeometryBuilder::MakeGeosphere(1.0f, c.subdivisions, mesh);
        EXPECT_EQ(mesh.Vertices.size(), c.vertices) << c.subdivisions;
        EXPECT_EQ(mesh.Indices.size(), 3 * c.triangles) << c.subdivisions;
        EXPECT_TRUE(IndicesInRange(mesh)) << c.subdivisions;
    }
}

TEST(MakeGeosphere, AboveFiveIsExactlyFive)
{
    GeneratedMesh five;
    GeneratedMesh many;
    GeometryBuilder::MakeGeosphere(1.0f, 5, five);
    GeometryBuilder::MakeGeosphere(1.0f, 16, many);
    ASSERT_EQ(five.Vertices.size(), many.Vertices.size());
    EXPECT_EQ(five.Indices, many.Indices);
    for (std::size_t i = 0; i < five.Vertices.size(); ++i)
        ASSERT_EQ(five.Vertices[i].Position, many.Vertices[i].Position) << i;
}

TEST(MakeGeosphere, EveryVertexLiesOnTheSphereIncludingMidpoints)
{
    for (float radius : {0.3f, 1.0f, 7.5f}) {
        for (std::uint32_t n : {0u, 1u, 3u, 5u}) {
            GeneratedMesh mesh;
            GeometryBuilder::MakeGeosphere(radius, n, mesh);
            float worst = 0.0f;
            for (const GeometryVertex& v : mesh.Vertices)
                worst = std::max(worst, std::fabs(Length3(v.Position) - radius));
            EXPECT_LE(worst, 2e-6f * radius) << "radius " << radius << ", " << n << " subdivisions";
            EXPECT_TRUE(AllTrianglesFaceOutwards(mesh)) << "radius " << radius << ", " << n << " subdivisions";
        }
    }
}

TEST(MakeGeosphere, ZeroSubdivisionsIsTheScaledIcosahedron)
{
    GeneratedMesh mesh;
    GeometryBuilder::MakeGeosphere(2.0f, 0, mesh);
    ASSERT_EQ(mesh.Vertices.size(), 12u);
    const float x = 0.525731f;
    const float z = 0.850651f;
    EXPECT_TRUE(Near3(mesh.Vertices[0].Position, Normalize3({-x, 0, z}) * 2.0f, 1e-6f));
    EXPECT_TRUE(Near3(mesh.Vertices[8].Position, Normalize3({z, x, 0}) * 2.0f, 1e-6f));
    EXPECT_TRUE(Near3(mesh.Vertices[11].Position, Normalize3({-z, -x, 0}) * 2.0f, 1e-6f));
    const std::vector<std::uint32_t> first(mesh.Indices.begin(), mesh.Indices.begin() + 6);
    EXPECT_EQ(first, (std::vector<std::uint32_t>{1, 4, 0, 4, 9, 0}));
    const std::vector<std::uint32_t> last(mesh.Indices.end() - 3, mesh.Indices.end());
    EXPECT_EQ(last, (std::vector<std::uint32_t>{11, 2, 7}));
}

TEST(Subdivide, SplitsEachTriangleIntoFourWithUnsharedVertices)
{
    GeometryVertex a, b, c, d;
    a.Position = {0, 0, 0};
    a.TexCoord = {0.25f, 0.5f};
    a.Normal = {0, 0, -1};
    b.Position = {2, 0, 0};
    c.Position = {0, 2, 0};
    d.Position = {0, 0, 4};
    GeneratedMesh mesh;
    mesh.Vertices = {a, b, c, d};
    mesh.Indices = {0, 1, 2, 2, 1, 3};

    GeometryBuilder::Subdivide(mesh);

    ASSERT_EQ(mesh.Vertices.size(), 12u);
    const Float3 expected[12] = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                 {0, 2, 0}, {2, 0, 0}, {0, 0, 4}, {1, 1, 0}, {1, 0, 2}, {0, 1, 2}};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(mesh.Vertices[i].Position, expected[i]) << "vertex " << i;
    // Corners are copied whole, not just their positions.
    EXPECT_EQ(mesh.Vertices[0].TexCoord, (Float2{0.25f, 0.5f}));
    EXPECT_EQ(mesh.Vertices[0].Normal, (Float3{0, 0, -1}));

    EXPECT_EQ(mesh.Indices, (std::vector<std::uint32_t>{0, 3, 5,  3, 4,  5,  5,  4,  2, 3, 1, 4,  //
                                                        6, 9, 11, 9, 10, 11, 11, 10, 8, 9, 7, 10}));
}

TEST(Subdivide, RejectsMalformedMeshesAndLeavesThemUntouched)
{
    struct Case {
        const char* name;
        std::vector<std::uint32_t> indices;
    };
    const Case cases[] = {
        {"index past the vertices", {0, 1, 3}},
        {"huge index", {0, 1, 0xFFFFFFFFu}},
        {"partial triangle", {0, 1, 2, 0}},
    };
    for (const Case& c : cases) {
        GeneratedMesh mesh;
        mesh.Vertices.resize(3);
        mesh.Indices = c.indices;
        EXPECT_THROW(GeometryBuilder::Subdivide(mesh), std::invalid_argument) << c.name;
        EXPECT_EQ(mesh.Vertices.size(), 3u) << c.name;
        EXPECT_EQ(mesh.Indices, c.indices) << c.name;
    }

    GeneratedMesh empty;
    GeometryBuilder::Subdivide(empty);
    EXPECT_TRUE(empty.Vertices.empty());
    EXPECT_TRUE(empty.Indices.empty());
}

TEST(MakeFullscreenQuad, CoversClipSpaceWithTopLeftTextureOrigin)
{
    GeneratedMesh mesh = JunkMesh();
    GeometryBuilder::MakeFullscreenQuad(mesh);
    ASSERT_EQ(mesh.Vertices.size(), 4u);
    const Float3 positions[4] = {{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}};
    const Float2 texCoords[4] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(mesh.Vertices[i].Position, positions[i]) << i;
        EXPECT_EQ(mesh.Vertices[i].TexCoord, texCoords[i]) << i;
        EXPECT_EQ(mesh.Vertices[i].Normal, (Float3{0, 0, -1})) << i;
        EXPECT_EQ(mesh.Vertices[i].TangentU, (Float3{1, 0, 0})) << i;
    }
    EXPECT_EQ(mesh.Indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
}

}  // namespace
