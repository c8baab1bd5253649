#include "assets/ModelAssembly.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/math/MathTestUtil.h"

namespace {

namespace fs = std::filesystem;

class ModelAssemblyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "models-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }

    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    fs::path folder;
    std::ostringstream warnings;
};

// Three triangles around the shared position 1, each corner with its own normal.
const char* const kFan = "# fan\n"
                         "v 0 0 0\n"
                         "v 1 0 0\n"
                         "v 1 1 0\n"
                         "v 0 1 0\n"
                         "v -1 0 0\n"
                         "vn 0 1 0\n"
                         "vn 0 0 1\n"
                         "g First\n"
                         "f 1//1 2//1 3//2\n"
                         "f 1//2 3//1 4//1\n"
                         "g Second\n"
                         "f 1//1 4//2 5//2\n";

TEST_F(ModelAssemblyTest, FlattensOneVertexPerCorner)
{
    const LitModelData sheep = AssembleSheepModel(Write("fan.obj", kFan), warnings);

    // Position 1 is shared by all three faces, yet every corner gets its own vertex.
    ASSERT_EQ(sheep.vertices.size(), 9u);
    ASSERT_EQ(sheep.indices.size(), 9u);
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(sheep.indices[i], i);
    }
    for (size_t corner : {0u, 3u, 6u}) {
        EXPECT_EQ(sheep.vertices[corner].Position, (Float3{0, 0, 0})) << corner;
    }
    EXPECT_EQ(sheep.vertices[1].Position, (Float3{1, 0, 0}));
    EXPECT_EQ(sheep.vertices[8].Position, (Float3{-1, 0, 0}));
    EXPECT_EQ(sheep.vertices[2].Normal, (Float3{0, 0, 1}));
    EXPECT_EQ(sheep.vertices[3].Normal, (Float3{0, 0, 1}));
    EXPECT_EQ(sheep.vertices[4].Normal, (Float3{0, 1, 0}));
    EXPECT_TRUE(warnings.str().empty());
}

TEST_F(ModelAssemblyTest, IndexCountRulesAndNormalSigns)
{
    const std::string path = Write("fan.obj", kFan);
    const LitModelData sheep = AssembleSheepModel(path, warnings);
    const LitModelData text1 = AssembleTextModel(1, path, warnings);
    const LitModelData text2 = AssembleTextModel(2, path, warnings);
    const LitModelData text3 = AssembleTextModel(3, path, warnings);

    // Sheep and the first two texts draw their first mesh; the third text every corner.
    EXPECT_EQ(sheep.indexCount, 6u);
    EXPECT_EQ(text1.indexCount, 6u);
    EXPECT_EQ(text2.indexCount, 6u);
    EXPECT_EQ(text3.indexCount, 9u);
    // All of them hold the whole file.
    for (const LitModelData* model : {&sheep, &text1, &text2, &text3}) {
        EXPECT_EQ(model->vertices.size(), 9u);
    }
    // Text normals are turned around; the sheep keeps them.
    EXPECT_EQ(sheep.vertices[0].Normal, (Float3{0, 1, 0}));
    for (const LitModelData* text : {&text1, &text2, &text3}) {
        EXPECT_EQ(text->vertices[0].Normal, (Float3{0, -1, 0}));
        EXPECT_EQ(text->vertices[0].Position, sheep.vertices[0].Position);
    }
    EXPECT_THROW(AssembleTextModel(4, path, warnings), std::invalid_argument);
}

// Writes a model with one triangle (uv 0.25 0.75 at its first corner) per mesh name.
std::string PartFile(const std::vector<std::pair<std::string, int>>& meshes)
{
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.75\nvt 1.25 0.75\nvt 0.25 1.75\nvn 0 0 -1\n";
    for (const auto& [name, faces] : meshes) {
        text += "o " + name + "\n";
        for (int f = 0; f < faces; ++f) {
            text += "f 1/1/1 2/2/1 3/3/1\n";
        }
    }
    return text;
}

TEST_F(ModelAssemblyTest, PodRangesMatchWholeNames)
{
    const PartModelData pod = AssemblePodModel(Write("pod.obj", PartFile({{"A", 10},
                                                                          {"NumPad_NumPadMesh", 4},
                                                                          {"VerticalSupport_VerticalSupportMesh", 2},
                                                                          {"VerticalSupport", 1},
                                                                          {"Hosepipe0_Hosepipe0Mesh", 1}})),
                                               warnings);

    ASSERT_EQ(pod.ranges.size(), kPodPartCount);
    EXPECT_EQ(pod.ranges[2], (MeshRange{12, 30}));  // NumPad after the 30 corners of A
    // Only the exact name fills the slot; the longer name is flattened but gets no range.
    EXPECT_EQ(pod.ranges[3], (MeshRange{3, 48}));
    // The room's hose-pipe naming is not the pod's; absent names stay empty.
    for (size_t slot : {0u, 1u, 4u, 5u, 11u}) {
        EXPECT_EQ(pod.ranges[slot], (MeshRange{0, 0})) << slot;
    }
    EXPECT_EQ(pod.vertices.size(), 54u);
    EXPECT_EQ(pod.indexCount, 54u);
    EXPECT_EQ(pod.indices.back(), 53u);
}

TEST_F(ModelAssemblyTest, RoomNegatesTexCoordsAndUsesItsOwnTable)
{
    const std::string path = Write("room.obj", PartFile({{"Floor_FloorMesh", 1},
                                                         {"HosePipe5_HosePipe5Mesh", 1},
                                                         {"HosePipe5_Hosepipe5Mesh", 2},
                                                         {"Support2_Support2Mesh", 1},
                                                         {"Drawing3_Drawing3Mesh", 1}}));
    const PartModelData room = AssembleRoomModel(path, warnings);
    const PartModelData pod = AssemblePodModel(path, warnings);

    ASSERT_EQ(room.ranges.size(), kRoomPartCount);
    EXPECT_EQ(room.ranges[0], (MeshRange{3, 0}));
    EXPECT_EQ(room.ranges[20], (MeshRange{6, 6}));
    EXPECT_EQ(room.ranges[32], (MeshRange{3, 15}));
    EXPECT_EQ(room.indexCount, 18u);

    EXPECT_EQ(room.vertices[0].TexCoord, (Float2{-0.25f, -0.75f}));
    EXPECT_EQ(pod.vertices[0].TexCoord, (Float2{0.25f, 0.75f}));
    for (const MeshRange& range : pod.ranges) {
        EXPECT_EQ(range, (MeshRange{0, 0}));
    }
}

float Length(const Float3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

PosNormalTexTanVertex Corner(Float3 position, Float3 normal, Float2 texCoord)
{
    PosNormalTexTanVertex vertex;
    vertex.Position = position;
    vertex.Normal = normal;
    vertex.TexCoord = texCoord;
    return vertex;
}

TEST(ComputeTangents, FollowIncreasingU)
{
    struct Case {
        const char* name;
        Float2 uv[4];  // at the quad corners (0,0), (1,0), (1,1), (0,1)
        Float3 tangent;
    };
    const Case cases[] = {
        {"u along +x", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {1, 0, 0}},
        {"u along +y", {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, {0, 1, 0}},
        {"u along -x", {{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {-1, 0, 0}},
    };
    for (const Case& c : cases) {
        const Float3 normal{0, 0, -1};
        std::vector<PosNormalTexTanVertex> vertices = {
            Corner({0, 0, 0}, normal, c.uv[0]), Corner({1, 0, 0}, normal, c.uv[1]), Corner({1, 1, 0}, normal, c.uv[2]),
            Corner({0, 0, 0}, normal, c.uv[0]), Corner({1, 1, 0}, normal, c.uv[2]), Corner({0, 1, 0}, normal, c.uv[3]),
        };
        ComputeTangents(vertices, {0, 1, 2, 3, 4, 5});
        for (const PosNormalTexTanVertex& v : vertices) {
            EXPECT_TRUE(Near3(v.Tangent, c.tangent, 1e-6f)) << c.name;
        }
    }
}

TEST(ComputeTangents, RemovesTheNormalPartAndKeepsTheNormal)
{
    // The normal leans towards +x, so the raw u direction (+x) is not perpendicular to it.
    const Float3 normal{2, 0, -2};
    std::vector<PosNormalTexTanVertex> vertices = {Corner({0, 0, 0}, normal, {0, 0}), Corner({1, 0, 0}, normal, {1, 0}),
                                                   Corner({0, 1, 0}, normal, {0, 1})};
    ComputeTangents(vertices, {0, 1, 2});
    const float s = std::sqrt(0.5f);
    for (const PosNormalTexTanVertex& v : vertices) {
        EXPECT_TRUE(Near3(v.Tangent, {s, 0, s}, 1e-6f));
        EXPECT_EQ(v.Normal, normal);  // stored as read
    }
}

TEST(ComputeTangents, DegenerateTexCoordsStillGiveUnitPerpendicularTangents)
{
    struct Case {
        const char* name;
        Float2 uv[3];
        Float3 normal;
    };
    const float inf = INFINITY;
    const Case cases[] = {
        {"all corners share one uv", {{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}}, {0, 0, -1}},
        {"collinear uvs", {{0, 0}, {0.5f, 0.5f}, {1, 1}}, {0, 1, 0}},
        {"infinite uv", {{0, 0}, {inf, 0}, {0, 1}}, {1, 1, 1}},
        {"zero normal as well", {{0, 0}, {0, 0}, {1, 1}}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<PosNormalTexTanVertex> vertices = {Corner({0, 0, 0}, c.normal, c.uv[0]),
                                                       Corner({1, 0, 0}, c.normal, c.uv[1]),
                                                       Corner({0, 1, 0}, c.normal, c.uv[2])};
        ComputeTangents(vertices, {0, 1, 2});
        for (const PosNormalTexTanVertex& v : vertices) {
            const Float3& t = v.Tangent;
            ASSERT_TRUE(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z)) << c.name;
            EXPECT_NEAR(Length(t), 1.0f, 1e-5f) << c.name;
            EXPECT_NEAR(t.x * c.normal.x + t.y * c.normal.y + t.z * c.normal.z, 0.0f, 1e-5f) << c.name;
        }
    }
}

TEST(ComputeTangents, ToleratesBadIndexLists)
{
    std::vector<PosNormalTexTanVertex> vertices = {Corner({0, 0, 0}, {0, 0, -1}, {0, 0}),
                                                   Corner({1, 0, 0}, {0, 0, -1}, {1, 0}),
                                                   Corner({0, 1, 0}, {0, 0, -1}, {0, 1})};
    // An index past the vertices and a trailing partial triangle are skipped.
    ComputeTangents(vertices, {0, 1, 7, 0, 1, 2, 2, 1});
    for (const PosNormalTexTanVertex& v : vertices) {
        EXPECT_TRUE(Near3(v.Tangent, {1, 0, 0}, 1e-6f));
    }
}

TEST_F(ModelAssemblyTest, PartModelsCarryTangents)
{
    const PartModelData pod = AssemblePodModel(Write("pod.obj", PartFile({{"NumPad_NumPadMesh", 1}})), warnings);
    ASSERT_EQ(pod.vertices.size(), 3u);
    // u grows along +x (from corner 1 to corner 2) and v along +y.
    for (const PosNormalTexTanVertex& v : pod.vertices) {
        EXPECT_TRUE(Near3(v.Tangent, {1, 0, 0}, 1e-6f)) << ToString(v.Tangent);
    }
}

TEST_F(ModelAssemblyTest, MissingOrFacelessFileGivesAnEmptyModelAndAWarning)
{
    const std::string path = (folder / "absent.obj").string();

    const LitModelData sheep = AssembleSheepModel(path, warnings);
    EXPECT_TRUE(sheep.vertices.empty());
    EXPECT_TRUE(sheep.indices.empty());
    EXPECT_EQ(sheep.indexCount, 0u);
    EXPECT_NE(warnings.str().find(path), std::string::npos) << warnings.str();

    const PartModelData room = AssembleRoomModel(path, warnings);
    EXPECT_EQ(room.ranges.size(), kRoomPartCount);
    EXPECT_EQ(room.indexCount, 0u);

    // A file that opens but holds no faces (empty, or vertices only) is valid and draws nothing,
    // with a warning of its own for each builder.
    const std::pair<const char*, const char*> faceless[] = {{"empty.obj", ""},
                                                            {"points.obj", "v 0 0 0\nvn 0 1 0\ng A\n"}};
    for (const auto& [name, text] : faceless) {
        const std::string file = Write(name, text);
        std::ostringstream said;
        const LitModelData text1 = AssembleTextModel(1, file, said);
        EXPECT_EQ(text1.indexCount, 0u);
        EXPECT_TRUE(text1.vertices.empty());
        const PartModelData pod = AssemblePodModel(file, said);
        EXPECT_EQ(pod.indexCount, 0u);
        EXPECT_EQ(pod.ranges, std::vector<MeshRange>(kPodPartCount));
        const std::string warning = "warning: " + file + ": the model file has no faces; the model draws nothing\n";
        EXPECT_EQ(said.str(), warning + warning);
    }
}

// The sheep and the first two texts draw their first group only; an empty one before the faces makes
// them vanish, which is said. A text note comes before the error it explains.
TEST_F(ModelAssemblyTest, WhatMakesAModelVanishOrFailIsSaidFirst)
{
    const std::string grouped = Write("grouped.obj",
                                      "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\ng Empty\ng Body\nf 1//1 2//1 3//1\n");
    std::ostringstream said;
    EXPECT_EQ(AssembleSheepModel(grouped, said).indexCount, 0u);
    EXPECT_EQ(said.str(), "warning: " + grouped +
                              ": its first group (\"Empty\") has no faces, and only the first group of this model is "
                              "drawn; the model draws nothing\n");
    std::ostringstream allCorners;
    EXPECT_EQ(AssembleTextModel(3, grouped, allCorners).indexCount, 3u);
    EXPECT_EQ(allCorners.str(), "");

    const std::string marked = Write("marked.obj", "\xEF\xBB\xBFv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    std::ostringstream before;
    EXPECT_THROW(AssemblePodModel(marked, before), ObjFormatError);
    EXPECT_EQ(before.str().rfind("warning: " + marked + ":1: the file starts with a UTF-8 byte order mark", 0), 0u)
        << before.str();
}

TEST_F(ModelAssemblyTest, BadFacesAreErrorsNamingFileLineAndFace)
{
    struct Case {
        const char* name;
        const char* face;  // the second face of the file, on line 8
        bool partModel;
        const char* expected;
    };
    const Case cases[] = {
        {"quad", "f 1/1/1 2/1/1 3/1/1 3/1/1", false, "face 2: has 4 corners"},
        {"missing normal", "f 1/1 2/1/1 3/1/1", false, "face 2: corner 1 gives no normal index"},
        {"normal past the end", "f 1/1/1 2/1/2 3/1/1", false,
         "corner 2 has the normal index 2 but the file has 1 normals"},
        {"relative position", "f 1/1/1 2/1/1 -1/1/1", false, "corner 3 has the position index -1"},
        {"position past the end", "f 1/1/1 2/1/1 4/1/1", false, "position index 4 but the file has 3 positions"},
        {"missing texture coordinate", "f 1//1 2/1/1 3/1/1", true, "corner 1 gives no texture coordinate index"},
        {"texture coordinate past the end", "f 1/1/1 2/5/1 3/1/1", true, "texture coordinate index 5"},
    };
    for (const Case& c : cases) {
        const std::string path = Write("bad.obj", std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                                                              "o NumPad_NumPadMesh\nf 1/1/1 2/1/1 3/1/1\n") +
                                                      c.face + "\n");
        try {
            if (c.partModel) {
                AssemblePodModel(path, warnings);
            } else {
                AssembleSheepModel(path, warnings);
            }
            ADD_FAILURE() << c.name << ": no error";
        } catch (const ObjFormatError& error) {
            const std::string message = error.what();
            EXPECT_EQ(error.path(), path) << c.name;
            EXPECT_EQ(error.line(), 8u) << c.name;
            EXPECT_NE(message.find(path + ":8: "), std::string::npos) << message;
            EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        }
    }
    // The lit models need no texture coordinates.
    const std::string noTexCoords = Write("plain.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n");
    EXPECT_EQ(AssembleSheepModel(noTexCoords, warnings).vertices.size(), 3u);
}

TEST_F(ModelAssemblyTest, ReaderErrorsPassThrough)
{
    const std::string path = Write("number.obj", "v 0 0 0\nv 1 x 0\n");
    try {
        AssembleRoomModel(path, warnings);
        ADD_FAILURE() << "no error";
    } catch (const ObjInvalidNumber& error) {
        EXPECT_STREQ(error.what(), "invalid stof argument");
        EXPECT_EQ(error.path(), path);
        EXPECT_EQ(error.line(), 2u);
    }
}

TEST(SphereMeshes, PositionsAndIndicesOfTheGeodesicSpheres)
{
    const SphereMeshData small = AssembleSphereMesh(0.3f, 1);
    EXPECT_EQ(small.vertices.size(), 120u);
    EXPECT_EQ(small.indexCount, 240u);
    ASSERT_EQ(small.indices.size(), 240u);
    const SphereMeshData big = AssembleSphereMesh(1.0f, 16);  // capped at 5 subdivisions
    EXPECT_EQ(big.vertices.size(), 30720u);
    EXPECT_EQ(big.indexCount, 61440u);
    for (const PosVertex& v : small.vertices) {
        EXPECT_NEAR(Length(v.Position), 0.3f, 1e-5f);
    }
}

}  // namespace
