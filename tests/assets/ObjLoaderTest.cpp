#include "assets/ObjLoader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each test runs in a fresh temporary folder that is also the current directory, since the reader opens
// material libraries relative to the current directory.
class ObjLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "objloader-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        previous = fs::current_path();
        fs::current_path(folder);
    }

    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(folder);
    }

    static void Write(const fs::path& name, const std::string& text)
    {
        if (name.has_parent_path()) {
            fs::create_directories(name.parent_path());
        }
        std::ofstream(name, std::ios::binary) << text;
    }

    static ObjLoader Load(const std::string& text)
    {
        Write("model.obj", text);
        return ObjLoader("model.obj");
    }

    fs::path folder;
    fs::path previous;
};

std::vector<ObjFaceVertex> Corners(const ObjFace& face)
{
    return {face.begin(), face.end()};
}

TEST_F(ObjLoaderTest, ReadsVertexLines)
{
    const ObjLoader loader = Load("v 1 2 3\n"
                                  "v 1 2 3 0.5 0.25 1\n"
                                  "v -1 -2 -3 0.5 0.25 1 9 9\n"  // values after the colour are ignored
                                  "v 1.5abc 0 0\n"               // a number ends where its text stops reading as one
                                  "vt 0.5 0.25 0\n"
                                  "vn 0 2 0 7\n"  // stored as written, not normalised
                                  "V 9 9 9\n"     // keywords are case-sensitive
                                  "v\t9\t9\t9\n"  // a tab does not separate tokens
                                  " v 9 9 9\n"    // the first token is empty
                                  "# v 9 9 9\n"
                                  "s 1\nl 1 2\nvp 1 2\nv\nvt\n");
    ASSERT_EQ(loader.positions.size(), 4u);
    const float expected[4][7] = {
        {1, 2, 3, 0, 0, 0, 1}, {1, 2, 3, 0.5f, 0.25f, 1, 1}, {-1, -2, -3, 0.5f, 0.25f, 1, 1}, {1.5f, 0, 0, 0, 0, 0, 1}};
    for (size_t i = 0; i < 4; ++i) {
        const ObjPosition& p = loader.positions[i];
        const float actual[7] = {p.x, p.y, p.z, p.r, p.g, p.b, p.a};
        for (size_t k = 0; k < 7; ++k) {
            EXPECT_EQ(actual[k], expected[i][k]) << "position " << i << " value " << k;
        }
    }
    ASSERT_EQ(loader.texCoords.size(), 1u);
    EXPECT_EQ(loader.texCoords[0].u, 0.5f);
    EXPECT_EQ(loader.texCoords[0].v, 0.25f);
    ASSERT_EQ(loader.normals.size(), 1u);
    EXPECT_EQ(loader.normals[0].y, 2.0f);
}

// A coordinate inside the float range but below its normal part is the nearest float, not an error:
// one such value in a model would otherwise stop the show's start-up.
TEST_F(ObjLoaderTest, TinyValuesReadAsTheNearestFloat)
{
    const ObjLoader loader = Load("v 1e-40 1.4e-45 -1e-50\n");
    ASSERT_EQ(loader.positions.size(), 1u);
    EXPECT_EQ(loader.positions[0].x, 1e-40f);
    EXPECT_EQ(loader.positions[0].y, std::numeric_limits<float>::denorm_min());
    EXPECT_TRUE(loader.positions[0].z == 0.0f && std::signbit(loader.positions[0].z));
}

TEST_F(ObjLoaderTest, ReadsFaceCornersAsWritten)
{
    const ObjLoader loader = Load("f 1/2/3 4/5/6 7/8/9\n"
                                  "f 1//3 2//4 3//5\n"
                                  "f 1/2 3/4 5/6/\n"
                                  "f 1 2 3 4\n"
                                  "f -1/-2/-3 1/2/3/4 \t5\n"
                                  "f 1 2 3 4 5 6\n");
    using V = ObjFaceVertex;
    const std::vector<std::vector<V>> expected = {
        {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}},
        {{1, 0, 3}, {2, 0, 4}, {3, 0, 5}},
        {{1, 2, 0}, {3, 4, 0}, {5, 6, 0}},
        {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}},  // polygons are not split
        {{-1, -2, -3}, {1, 2, 3}, {5, 0, 0}},          // relative indices stay negative; a 4th part is ignored
        {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}, {6, 0, 0}},
    };
    ASSERT_EQ(loader.faces.size(), expected.size());
    std::vector<int32_t> expectedIndices;
    for (size_t f = 0; f < expected.size(); ++f) {
        EXPECT_EQ(Corners(loader.faces[f]), expected[f]) << "face " << f;
        for (const V& v : expected[f]) {
            expectedIndices.push_back(v.position - 1);
        }
    }
    EXPECT_EQ(loader.positionIndices, expectedIndices);
    ASSERT_EQ(loader.meshes.size(), 1u);
    EXPECT_EQ(loader.meshes[0].faces, loader.faces);
}

TEST_F(ObjLoaderTest, GroupsFacesIntoMeshes)
{
    struct Case {
        const char* text;
        std::vector<std::string> names;
        std::vector<size_t> faceCounts;
    };
    const Case cases[] = {
        {"", {""}, {0}},
        {"f 1 2 3\nf 1 2 3\n", {""}, {2}},
        {"v 0 0 0\nf 1 1 1\ng A\nf 1 1 1\ng B\nf 1 1 1\n", {"A", "B"}, {2, 1}},
        {"g A\nf 1 1 1\ng\nf 1 1 1\n", {"A"}, {2}},  // "g" without a name is skipped
        {"o A\nf 1 1 1\ng B\no C\nf 1 1 1", {"A", "B", "C"}, {1, 0, 1}},
        {"g A B\nf 1 1 1\n", {"A"}, {1}},
    };
    for (const Case& c : cases) {
        const ObjLoader loader = Load(c.text);
        std::vector<std::string> names;
        std::vector<size_t> faceCounts;
        for (const ObjMesh& mesh : loader.meshes) {
            names.push_back(mesh.name);
            faceCounts.push_back(mesh.faces.size());
        }
        EXPECT_EQ(names, c.names) << c.text;
        EXPECT_EQ(faceCounts, c.faceCounts) << c.text;
    }
}

TEST_F(ObjLoaderTest, MissingFileGivesNoMesh)
{
    const ObjLoader missing("no-such-file.obj");
    EXPECT_TRUE(missing.meshes.empty());
    EXPECT_TRUE(missing.positions.empty());
    EXPECT_EQ(missing.unreadableFiles,
              (std::vector<ObjLoader::UnreadableFile>{{"no-such-file.obj", "No such file or directory"}}));
    fs::create_directory("folder.obj");
    EXPECT_TRUE(ObjLoader("folder.obj").meshes.empty());
}

// A FIFO with no writer would block an ordinary open forever; a device would be read forever.
TEST_F(ObjLoaderTest, AFifoOrADeviceInPlaceOfAModelOrItsLibraryIsRefusedAtOnce)
{
    ASSERT_EQ(mkfifo("pipe.obj", 0600), 0);
    const ObjLoader fifo("pipe.obj");
    EXPECT_TRUE(fifo.meshes.empty());
    EXPECT_EQ(fifo.unreadableFiles, (std::vector<ObjLoader::UnreadableFile>{{"pipe.obj", "not a regular file"}}));

    fs::create_symlink("/dev/zero", "zero.mtl");
    const ObjLoader loader = Load("mtllib zero.mtl\nv 0 0 0\nf 1 1 1\n");
    EXPECT_EQ(loader.faces.size(), 1u) << "the model itself still loads";
    EXPECT_TRUE(loader.materials.empty());
    EXPECT_EQ(loader.unreadableFiles, (std::vector<ObjLoader::UnreadableFile>{{"zero.mtl", "not a regular file"}}));
}

TEST_F(ObjLoaderTest, MeshesTakeTheMaterialCurrentWhenTheyClose)
{
    Write("first.mtl", "newmtl red\nKd 1 0 0\nnewmtl shared\nKd 0 1 0\n");
    Write("second.mtl", "newmtl shared\nKd 0 0 1\nnewmtl blue\nKd 0 0 1\n");
    const ObjLoader loader = Load("usemtl red\n"  // before any library: finds nothing
                                  "g Plain\nf 1 1 1\n"
                                  "mtllib first.mtl\n"
                                  "mtllib second.mtl\n"
                                  "g Red\nusemtl red\n"
                                  "g Inherits\nusemtl nothing-by-this-name\n"
                                  "g Shared\nusemtl shared\n"
                                  "g Blue\nusemtl blue\n");
    std::vector<std::string> names;
    std::vector<std::string> materialNames;
    std::vector<float> green;
    for (const ObjMesh& mesh : loader.meshes) {
        names.push_back(mesh.name);
        materialNames.push_back(mesh.material.name);
        green.push_back(mesh.material.Kd[1]);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Plain", "Red", "Inherits", "Shared", "Blue"}));
    EXPECT_EQ(materialNames, (std::vector<std::string>{"", "red", "red", "shared", "blue"}));
    EXPECT_EQ(green[3], 1.0f) << "the library read first wins";
    EXPECT_EQ(loader.materials.size(), 4u);
}

TEST_F(ObjLoaderTest, ReadsMaterialLibraries)
{
    ObjLoader loader("none.obj");
    Write("all.mtl",
          "# every field\n"
          "newmtl metal\n"
          "Ka 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 0.7 0.8 0.9 5\n"
          "Ns 10\nNi 1.5\nd 0.5\nillum 2\n"
          "map_Ka ka.png\nmap_Kd my texture.png\nmap_Ks ks.png\nmap_Ns ns.png\nmap_Bump bump.png\nmap_d d.png\n"
          "map_bump lower.png\nbump other.png\nKe 1 1 1\nTr 0.5\n"
          "Ns 20\n"  // a later value overwrites
          "newmtl second\n");
    loader.LoadMaterials("all.mtl");
    ASSERT_EQ(loader.materials.size(), 2u);
    const ObjMaterial& m = loader.materials[0];
    EXPECT_EQ(m.name, "metal");
    EXPECT_EQ((std::vector<float>{m.Ka[0], m.Ka[1], m.Ka[2], m.Kd[0], m.Kd[1], m.Kd[2], m.Ks[0], m.Ks[1], m.Ks[2]}),
              (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f}));
    EXPECT_EQ(m.Ns, 20.0f);
    EXPECT_EQ(m.Ni, 1.5f);
    EXPECT_EQ(m.d, 0.5f);
    EXPECT_EQ(m.illum, 2);
    EXPECT_EQ((std::vector<std::string>{m.map_Ka, m.map_Kd, m.map_Ks, m.map_Ns, m.map_Bump, m.map_d}),
              (std::vector<std::string>{"ka.png", "my", "ks.png", "ns.png", "bump.png", "d.png"}));
    EXPECT_EQ(loader.materials[1].name, "second");
    EXPECT_EQ(loader.materials[1].Ns, 0.0f) << "each newmtl starts from the empty material";

    Write("unnamed.mtl", "Kd 1 0 0\n");
    loader.LoadMaterials("unnamed.mtl");
    ASSERT_EQ(loader.materials.size(), 3u);
    EXPECT_EQ(loader.materials[2].name, "");
    EXPECT_EQ(loader.materials[2].Kd[0], 1.0f);

    loader.LoadMaterials("missing.mtl");
    EXPECT_EQ(loader.materials.size(), 3u);
}

TEST_F(ObjLoaderTest, OpensLibrariesRelativeToTheCurrentDirectory)
{
    Write("lib.mtl", "newmtl top\n");
    Write("sub/lib.mtl", "newmtl beside-the-model\n");
    Write("sub/model.obj", "mtllib lib.mtl\nusemtl top\nf 1 1 1\n");
    const ObjLoader loader("sub/model.obj");
    ASSERT_EQ(loader.materials.size(), 1u);
    EXPECT_EQ(loader.materials[0].name, "top");
    EXPECT_EQ(loader.meshes.at(0).material.name, "top");
}

TEST_F(ObjLoaderTest, DropsCarriageReturnsBeforeLineFeeds)
{
    Write("lib.mtl", "newmtl red\r\nKd 1 0 0\r\n");
    const ObjLoader loader = Load("mtllib lib.mtl\r\nv 1 2 3\r\ng A\r\nusemtl red\r\nf 1/2/3 1/2/3 1/2/3\r\ng B\rC");
    ASSERT_EQ(loader.meshes.size(), 2u);
    EXPECT_EQ(loader.meshes[0].name, "A");
    EXPECT_EQ(loader.meshes[0].material.name, "red");
    EXPECT_EQ(loader.meshes[1].name, "B\rC") << "a carriage return elsewhere is text";
    EXPECT_EQ(Corners(loader.faces.at(0))[2], (ObjFaceVertex{1, 2, 3}));
}

// What the grammar reads one way and the writer most likely meant another is read as the grammar says,
// with one note per kind at the first line where it happened.
TEST_F(ObjLoaderTest, TextReadOtherwiseThanItsWriterMeantIsNotedWithItsLine)
{
    struct Case {
        const char* name;
        std::string text;
        size_t positions;  // read as the grammar says
        size_t line;       // of the one note
        const char* says;
    };
    const Case cases[] = {
        {"byte order mark", "\xEF\xBB\xBFv 1 2 3\nv 4 5 6\n", 1, 1, "byte order mark"},
        {"tabs", "#\tcomment\nv 0 0 0\nv\t1\t2\t3\nv\t4\t5\t6\n", 1, 3, "tabs separate the fields of this line"},
        {"carriage returns alone", "v 1 2 3\rv 4 5 6\rv 7 8 9\r", 1, 1, "carriage return alone"},
        {"carriage return on a later line", "v 1 2 3\nv 4 5 6\rv 7 8 9\n", 2, 2, "carriage return alone"},
        {"hexadecimal", "v 1 1 1\nvn 0x1p3 -0X2 0\nvt 0x1 0\n", 1, 2, "\"0x1p3\" is read as 0"},
        {"UTF-16 with its byte order mark",
         std::string("\xFF\xFEv\0 \0"
                     "1\0 \0"
                     "2\0 \0"
                     "3\0\n\0",
                     16),
         0, 1, "the file is UTF-16 text"},
        {"UTF-16 without one",
         std::string("v\0 \0"
                     "1\0 \0"
                     "2\0 \0"
                     "3\0\n\0",
                     14),
         0, 1, "the file is UTF-16 text"},
        {"values past a position's", "v 1 1 1\nv 1 2 3 0.5 0.5 0.5 9 9\n", 2, 2,
         "\"v\" has 8 values; it takes 3 values (x y z) or 6 (x y z r g b), so the rest are not read"},
        {"decimal comma", "v 1 1 1\nv 0,5 -1,25 2\nvt 0,5 0\n", 2, 2,
         "\"0,5\" is read as \"0\": the decimal separator is a point, and the reader stops at the comma"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ObjLoader loader = Load(c.text);
        EXPECT_EQ(loader.positions.size(), c.positions);
        ASSERT_EQ(loader.textNotes.size(), 1u);
        EXPECT_EQ(loader.textNotes[0].path, "model.obj");
        EXPECT_EQ(loader.textNotes[0].line, c.line);
        EXPECT_NE(loader.textNotes[0].problem.find(c.says), std::string::npos) << loader.textNotes[0].problem;
    }

    // The notes of a library name the library; ordinary text, CR-LF lines and a zero written 0 have none.
    Write("lib.mtl", "newmtl a\r\nNs 0x10\r\n");
    const ObjLoader withLibrary = Load("mtllib lib.mtl\r\nv 0 0.0 -0\r\n# x\ty\r\n\tv\r\n");
    ASSERT_EQ(withLibrary.textNotes.size(), 1u);
    EXPECT_EQ(withLibrary.textNotes[0], (ObjLoader::TextNote{"lib.mtl", 2,
                                                             "\"0x10\" is read as 0: numbers are "
                                                             "decimal, and the reader stops at the x"}));
}

// Runs a load and returns the error it raised, checking its location.
template <typename Error>
void ExpectLoadError(const std::function<void()>& load, const std::string& path, size_t line,
                     const std::function<void(const Error&)>& check)
{
    try {
        load();
        ADD_FAILURE() << "no error for " << path << ":" << line;
    } catch (const Error& error) {
        const auto& location = dynamic_cast<const ObjErrorLocation&>(error);
        EXPECT_EQ(location.path(), path);
        EXPECT_EQ(location.line(), line) << error.what();
        check(error);
    }
}

TEST_F(ObjLoaderTest, BadNumbersRaiseTheStandardConversionErrors)
{
    struct Case {
        const char* objText;
        const char* mtlText;  // when set, the error is in lib.mtl
        size_t line;
        bool outOfRange;
        const char* message;
    };
    const Case cases[] = {
        {"v 0 0 0\nv 1  2 3\n", nullptr, 2, false, "invalid stof argument"},  // two spaces: an empty token
        {"v 1 2 3  \n", nullptr, 1, false, "invalid stof argument"},  // the empty token comes before the missing one
        {"v 1e999 0 0\n", nullptr, 1, true, "stof argument out of range"},
        {"vt 0 -1e39\n", nullptr, 1, true, "stof argument out of range"},
        {"\n\nvn x 0 0\n", nullptr, 3, false, "invalid stof argument"},
        {"f 1/x/1 1 1\n", nullptr, 1, false, "invalid stoi argument"},
        {"f 1 2 3//99999999999\n", nullptr, 1, true, "stoi argument out of range"},
        {"mtllib lib.mtl\n", "newmtl a\nillum high\n", 2, false, "invalid stoi argument"},
        {"mtllib lib.mtl\n", "Ns 1e999\n", 1, true, "stof argument out of range"},
        {"mtllib lib.mtl\n", "Kd 1 0 -\n", 1, false, "invalid stof argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.objText);
        if (c.mtlText != nullptr) {
            Write("lib.mtl", c.mtlText);
        }
        const std::string path = c.mtlText != nullptr ? "lib.mtl" : "model.obj";
        const auto load = [&] { Load(c.objText); };
        if (c.outOfRange) {
            ExpectLoadError<std::out_of_range>(load, path, c.line, [&](const std::out_of_range& e) {
                EXPECT_STREQ(e.what(), c.message);
                EXPECT_NE(dynamic_cast<const ObjNumberOutOfRange*>(&e), nullptr);
            });
        } else {
            ExpectLoadError<std::invalid_argument>(load, path, c.line, [&](const std::invalid_argument& e) {
                EXPECT_STREQ(e.what(), c.message);
                EXPECT_NE(dynamic_cast<const ObjInvalidNumber*>(&e), nullptr);
            });
        }
    }
}

TEST_F(ObjLoaderTest, IncompleteLinesAndCornersAreFormatErrors)
{
    struct Case {
        const char* objText;
        const char* mtlText;
        size_t line;
        const char* problem;
    };
    const Case cases[] = {
        {"v 1 2\n", nullptr, 1, "\"v\" needs 3 values (x y z) or 6 (x y z r g b), found 2"},
        {"v 1 2 3 4\n", nullptr, 1, "\"v\" needs 3 values (x y z) or 6 (x y z r g b), found 4"},
        {"v 1 2 3 4 5\n", nullptr, 1, "found 5"},
        {"# ok\nvt 1\n", nullptr, 2, "\"vt\" needs 2 values (u v), found 1"},
        {"vn 1 2\n", nullptr, 1, "\"vn\" needs 3 values (x y z), found 2"},
        {"f 1  2 3\n", nullptr, 1, "face corner 2 is empty"},
        {"f 1 2 /2/3\n", nullptr, 1, "face corner 3 (\"/2/3\") has no position index"},
        {"f // 1 2\n", nullptr, 1, "face corner 1 (\"//\") has no position index"},
        {"f -2147483648 1 2\n", nullptr, 1, "out of range"},
        {"mtllib lib.mtl\n", "newmtl a\nKs 1 2\n", 2, "\"Ks\" needs 3 values (r g b), found 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.objText);
        if (c.mtlText != nullptr) {
            Write("lib.mtl", c.mtlText);
        }
        const std::string path = c.mtlText != nullptr ? "lib.mtl" : "model.obj";
        ExpectLoadError<ObjFormatError>([&] { Load(c.objText); }, path, c.line,
                                        [&](const ObjFormatError& e) {
                                            const std::string what = e.what();
                                            EXPECT_EQ(what.rfind(path + ":" + std::to_string(c.line) + ": ", 0), 0u)
                                                << what;
                                            EXPECT_NE(what.find(c.problem), std::string::npos) << what;
                                        });
    }
}

TEST(ObjFace, KeepsCornersInlineAndOnTheHeap)
{
    ObjFace big;
    for (int32_t i = 1; i <= 7; ++i) {
        big.push_back({i, i + 10, i + 20});
    }
    ObjFace copy = big;
    copy[6].position = 99;
    EXPECT_EQ(big[6].position, 7) << "a copy owns its corners";
    EXPECT_EQ(copy.size(), 7u);

    ObjFace moved = std::move(big);
    EXPECT_EQ(moved.size(), 7u);
    EXPECT_EQ(moved[0], (ObjFaceVertex{1, 11, 21}));
    EXPECT_TRUE(big.empty());  // NOLINT(bugprone-use-after-move): a moved-from face is empty and usable
    big.push_back({5, 0, 0});
    EXPECT_EQ(Corners(big), (std::vector<ObjFaceVertex>{{5, 0, 0}}));

    ObjFace small;
    small.push_back({1, 2, 3});
    moved = small;
    EXPECT_EQ(Corners(moved), Corners(small));
}

}  // namespace
