// The generated models against the rules of the show's loaders and its camera script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "assets/ObjLoader.h"
#include "assets/SceneContent.h"
#include "tests/tools/resgen/ShowScript.h"
#include "tools/resgen/Layout.h"

using namespace resgen;
using namespace resgen::test;

namespace {

std::string BinPath(const std::string& rel)
{
    return std::string(RESGEN_BIN_DIR) + "/" + rel;
}

// Loads a model the way the show does: from the bin folder, so "mtllib Res/..." resolves.
struct Loaded {
    explicit Loaded(const std::string& rel)
    {
        char cwd[4096];
        EXPECT_NE(getcwd(cwd, sizeof cwd), nullptr);
        EXPECT_EQ(chdir(RESGEN_BIN_DIR), 0);
        loader = std::make_unique<ObjLoader>(rel);
        EXPECT_EQ(chdir(cwd), 0);
    }
    std::unique_ptr<ObjLoader> loader;
    ObjLoader& operator*() { return *loader; }
    ObjLoader* operator->() { return loader.get(); }
};

Vec3 Pos(const ObjLoader& l, const ObjFaceVertex& c)
{
    const ObjPosition& p = l.positions[c.position - 1];
    return {p.x, p.y, p.z};
}
Vec3 Nrm(const ObjLoader& l, const ObjFaceVertex& c)
{
    const ObjNormal& n = l.normals[c.normal - 1];
    return {n.x, n.y, n.z};
}

struct ModelCase {
    const char* file;
    bool texCoords;
    bool textNormals;  // the loader negates normals
};
const ModelCase kModels[] = {{"Res/sheep.obj", false, false}, {"Res/Text1.obj", false, true},
                             {"Res/Text2.obj", false, true},  {"Res/Text3.obj", false, true},
                             {"Res/cryo8.obj", true, false},  {"Res/cryoRoom2.obj", true, false}};

// A plain decimal: optional minus, digits, optional point and digits; never an exponent.
bool IsPlainDecimal(const std::string& s)
{
    size_t i = s[0] == '-' ? 1 : 0, digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(s[i])))
            ++digits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits > 0;
}

TEST(ResGenModels, FilesFollowTheLoaderGrammar)
{
    for (const auto& m : kModels) {
        std::ifstream in(BinPath(m.file));
        ASSERT_TRUE(in) << m.file;
        std::string line;
        int lineNo = 0;
        while (std::getline(in, line)) {
            ++lineNo;
            SCOPED_TRACE(std::string(m.file) + ":" + std::to_string(lineNo) + ": " + line);
            ASSERT_FALSE(line.empty());
            ASSERT_EQ(line.find('\t'), std::string::npos);
            ASSERT_EQ(line.find('\r'), std::string::npos);
            ASSERT_NE(line[0], ' ');
            ASSERT_EQ(line.find("  "), std::string::npos);
            ASSERT_NE(line.back(), ' ');
            if (line[0] == '#')
                continue;
            std::vector<std::string> t;
            ObjLoader::SplitString(" ", line, t);
            const std::string& k = t[0];
            if (k == "v" || k == "vn") {
                ASSERT_EQ(t.size(), 4u);
                for (size_t i = 1; i < 4; ++i)
                    ASSERT_TRUE(IsPlainDecimal(t[i]));
            } else if (k == "vt") {
                ASSERT_TRUE(m.texCoords);
                ASSERT_EQ(t.size(), 3u);
                for (size_t i = 1; i < 3; ++i)
                    ASSERT_TRUE(IsPlainDecimal(t[i]));
            } else if (k == "f") {
                ASSERT_EQ(t.size(), 4u);  // triangles only
            } else {
                ASSERT_TRUE(k == "g" || k == "usemtl" || k == "mtllib") << k;
                ASSERT_EQ(t.size(), 2u);
            }
        }
    }
}

TEST(ResGenModels, EveryCornerHasTheIndicesTheBuildersRead)
{
    for (const auto& m : kModels) {
        SCOPED_TRACE(m.file);
        Loaded l(m.file);
        ASSERT_FALSE(l->faces.empty());
        ASSERT_FALSE(l->materials.empty()) << "material library not found";
        for (const ObjFace& f : l->faces) {
            ASSERT_EQ(f.size(), 3u);
            for (const ObjFaceVertex& c : f) {
                ASSERT_GE(c.position, 1);
                ASSERT_LE(c.position, static_cast<int>(l->positions.size()));
                ASSERT_GE(c.normal, 1);
                ASSERT_LE(c.normal, static_cast<int>(l->normals.size()));
                if (m.texCoords) {
                    ASSERT_GE(c.texCoord, 1);
                    ASSERT_LE(c.texCoord, static_cast<int>(l->texCoords.size()));
                }
            }
        }
        // Each mesh names a material its library defines.
        for (const ObjMesh& mesh : l->meshes)
            EXPECT_FALSE(mesh.material.name.empty()) << mesh.name;
    }
}

TEST(ResGenModels, TrianglesFaceTheWayTheirNormalsPoint)
{
    // Direct3D culls counter-clockwise triangles: Cross(b-a, c-a) must agree with the normal the
    // show ends up with (the text loader negates the file's normals).
    for (const auto& m : kModels) {
        SCOPED_TRACE(m.file);
        Loaded l(m.file);
        size_t bad = 0;
        for (const ObjFace& f : l->faces) {
            Vec3 a = Pos(*l, f[0]), b = Pos(*l, f[1]), c = Pos(*l, f[2]);
            Vec3 n = Nrm(*l, f[0]) + Nrm(*l, f[1]) + Nrm(*l, f[2]);
            if (m.textNormals)
                n = -n;
            if (Dot(Cross(b - a, c - a), n) <= 0)
                ++bad;
        }
        EXPECT_LE(bad, l->faces.size() / 1000) << bad << " of " << l->faces.size();
    }
}

TEST(ResGenModels, SheepAndTextsKeepAllFacesInTheirFirstMesh)
{
    for (const char* file : {"Res/sheep.obj", "Res/Text1.obj", "Res/Text2.obj", "Res/Text3.obj"}) {
        SCOPED_TRACE(file);
        Loaded l(file);
        ASSERT_EQ(l->meshes.size(), 1u);
        EXPECT_EQ(l->meshes[0].faces.size(), l->faces.size());
    }
}

// What a viewer needs to name the sheep at a glance, measured on the file: the proportions of a real
// sheep, a head standing out forward and a little down, ears reaching out past the fleece, thin legs
// on wider hooves, and a fleece of separate tufts rather than one smooth lump.
TEST(ResGenModels, SheepHasTheShapeOfASheep)
{
    Loaded l("Res/sheep.obj");
    std::vector<Vec3> v;
    for (const ObjPosition& p : l->positions)
        v.push_back({p.x, p.y, p.z});
    auto extreme = [&](auto keep, auto value, bool highest) {
        double best = highest ? -1e9 : 1e9;
        for (const Vec3& p : v)
            if (keep(p))
                best = highest ? std::max(best, value(p)) : std::min(best, value(p));
        return best;
    };
    auto any = [](const Vec3&) { return true; };
    auto y = [](const Vec3& p) { return p.y; };
    auto z = [](const Vec3& p) { return p.z; };
    auto x = [](const Vec3& p) { return p.x; };

    const double ground = extreme(any, y, false);
    const double back = extreme([](const Vec3& p) { return std::fabs(p.z) < 0.3; }, y, true);
    const double height = back - ground;
    // The trunk at half its height: nothing but fleece there (the head is higher, the legs are inside).
    const double mid = ground + height * 0.5;
    auto trunk = [&](const Vec3& p) { return std::fabs(p.y - mid) < 0.03; };
    const double front = extreme(trunk, z, true), rear = extreme(trunk, z, false);
    EXPECT_NEAR((front - rear) / height, 1.5, 0.15) << "fleece length " << front - rear << ", height " << height;
    // Head towards +z, at the show's scale (8 times this is about 12 units nose to tail).
    EXPECT_GT(extreme(any, z, true), 0.6);
    EXPECT_NEAR(extreme(any, z, true) - extreme(any, z, false), 1.45, 0.15);

    // Bare legs a third of the height: the belly between them is that far off the ground.
    auto underTheMiddle = [](const Vec3& p) { return std::fabs(p.x) < 0.04 && std::fabs(p.z) < 0.12; };
    const double belly = extreme(underTheMiddle, y, false);
    EXPECT_NEAR((belly - ground) / height, 1.0 / 3.0, 0.06);

    // Four thin legs on four hooves with flat soles, each hoof wider than the leg above it.
    auto widthBetween = [&](double from, double to, int qx, int qz) {
        auto in = [&](const Vec3& p) {
            return p.y >= from && p.y <= to && (p.x > 0) == (qx > 0) && (p.z > 0) == (qz > 0);
        };
        return extreme(in, x, true) - extreme(in, x, false);
    };
    for (int qx : {-1, 1}) {
        for (int qz : {-1, 1}) {
            SCOPED_TRACE(::testing::Message() << "leg at x " << qx << ", z " << qz);
            const double shin = widthBetween(ground + 0.07, ground + 0.2, qx, qz);
            const double sole = widthBetween(ground, ground + 0.002, qx, qz);
            EXPECT_GT(shin, 0.02);
            EXPECT_LT(shin, 0.07);  // about a sixteenth of the height across
            EXPECT_GT(sole, shin * 1.15);
            size_t onGround = 0;
            for (const Vec3& p : v)
                onGround += p.y < ground + 1e-4 && (p.x > 0) == (qx > 0) && (p.z > 0) == (qz > 0);
            EXPECT_GE(onGround, 8u);
        }
    }

    // The head stands out ahead of the fleece, its nose well below the back and above the belly.
    const Vec3 nose = *std::max_element(v.begin(), v.end(), [](const Vec3& a, const Vec3& b) { return a.z < b.z; });
    EXPECT_GT(nose.z - front, 0.2);
    EXPECT_LT(nose.y, back - 0.08);
    EXPECT_GT(nose.y, belly);
    // Ears reach out sideways past the fleece on both sides.
    auto head = [&](const Vec3& p) { return p.z > front; };
    auto body = [&](const Vec3& p) { return std::fabs(p.z) < 0.3 && p.y > belly; };
    EXPECT_GT(extreme(head, x, true), extreme(body, x, true) + 0.01);
    EXPECT_LT(extreme(head, x, false), extreme(body, x, false) - 0.01);
    // A flat face: the normals down the bridge of the nose agree.
    std::vector<Vec3> bridge;
    for (const ObjFace& f : l->faces)
        for (const ObjFaceVertex& c : f) {
            const Vec3 p = Pos(*l, c), n = Normalize(Nrm(*l, c));
            if (std::fabs(p.x) < 0.015 && p.z > nose.z - 0.1 && p.z < nose.z - 0.02 && n.y > 0.5)
                bridge.push_back(n);
        }
    ASSERT_GE(bridge.size(), 6u);
    for (const Vec3& n : bridge)
        EXPECT_GT(Dot(n, bridge.front()), std::cos(8 * kPi32 / 180));

    // Separate tufts: along the top of the back the outline rises and falls, tuft after tuft.
    std::map<int, double> top;
    for (const Vec3& p : v) {
        if (std::fabs(p.x) > 0.02 || p.z < rear + 0.15 || p.z > front - 0.25)
            continue;
        const int bin = static_cast<int>(std::floor(p.z / 0.01));
        top[bin] = top.count(bin) ? std::max(top[bin], p.y) : p.y;
    }
    int tufts = 0;
    double low = 1e9, high = -1e9;
    bool rising = true;
    for (const auto& [bin, h] : top) {
        if (rising) {
            high = std::max(high, h);
            if (h < high - 0.008)
                rising = false, low = h, ++tufts;
        } else {
            low = std::min(low, h);
            if (h > low + 0.008)
                rising = true, high = h;
        }
    }
    EXPECT_GE(tufts, 5);

    // Few enough triangles for a software rasteriser, enough for the curls.
    EXPECT_GE(l->faces.size(), 8000u);
    EXPECT_LE(l->faces.size(), 30000u);
}

// ---- pod and room slots ---------------------------------------------------------------------------

template <size_t N>
void ExpectSlotsFilled(const char* file, const std::array<ModelPart, N>& parts)
{
    SCOPED_TRACE(file);
    Loaded l(file);
    std::map<std::string, size_t> faces;
    for (const ObjMesh& m : l->meshes) {
        EXPECT_EQ(faces.count(m.name), 0u) << "duplicate mesh " << m.name;
        faces[m.name] += m.faces.size();
        // Nothing that only nearly matches a slot: every mesh must fill one exactly.
        EXPECT_GE(FindPartSlot(parts, m.name), 0) << "mesh outside the table: " << m.name;
    }
    for (const ModelPart& p : parts) {
        auto it = faces.find(std::string(p.meshName));
        ASSERT_NE(it, faces.end()) << p.meshName;
        EXPECT_GT(it->second, 0u) << p.meshName;
    }
}

TEST(ResGenModels, PodAndRoomFillEverySlot)
{
    ExpectSlotsFilled("Res/cryo8.obj", PodPart);
    ExpectSlotsFilled("Res/cryoRoom2.obj", RoomPart);
}

TEST(ResGenModels, NoTriangleIsDegenerateInTextureSpace)
{
    // The builders divide by the texture-space area to get tangents; the room's coordinates are
    // negated on load, which flips no area but is applied here as the builder does.
    for (auto [file, negate] : {std::pair{"Res/cryo8.obj", false}, std::pair{"Res/cryoRoom2.obj", true}}) {
        SCOPED_TRACE(file);
        Loaded l(file);
        const double s = negate ? -1.0 : 1.0;
        for (const ObjFace& f : l->faces) {
            ObjTexCoord t[3];
            for (int i = 0; i < 3; ++i)
                t[i] = l->texCoords[f[i].texCoord - 1];
            float du1 = float(s * (t[1].u - t[0].u)), dv1 = float(s * (t[1].v - t[0].v));
            float du2 = float(s * (t[2].u - t[0].u)), dv2 = float(s * (t[2].v - t[0].v));
            float r = 1.0f / (du1 * dv2 - du2 * dv1);
            ASSERT_TRUE(std::isfinite(r))
                << "face at " << Pos(*l, f[0]).x << " " << Pos(*l, f[0]).y << " " << Pos(*l, f[0]).z;
        }
    }
}

TEST(ResGenModels, TextureSpaceKeepsTheHandednessOfTheNormalMaps)
{
    // The shader takes its bitangent as cross(normal, tangent); the normal maps are drawn for that
    // to be +v. A mirrored texture layout would light every bump from the wrong side.
    for (auto [file, negate] : {std::pair{"Res/cryo8.obj", false}, std::pair{"Res/cryoRoom2.obj", true}}) {
        SCOPED_TRACE(file);
        Loaded l(file);
        const double s = negate ? -1.0 : 1.0;
        size_t mirrored = 0;
        for (const ObjFace& f : l->faces) {
            Vec3 p0 = Pos(*l, f[0]), e1 = Pos(*l, f[1]) - p0, e2 = Pos(*l, f[2]) - p0;
            ObjTexCoord t[3];
            for (int i = 0; i < 3; ++i)
                t[i] = l->texCoords[f[i].texCoord - 1];
            double du1 = s * (t[1].u - t[0].u), dv1 = s * (t[1].v - t[0].v);
            double du2 = s * (t[2].u - t[0].u), dv2 = s * (t[2].v - t[0].v);
            double r = 1.0 / (du1 * dv2 - du2 * dv1);
            Vec3 tangent = (e1 * dv2 - e2 * dv1) * r, bitangent = (e2 * du1 - e1 * du2) * r;
            Vec3 n = Nrm(*l, f[0]) + Nrm(*l, f[1]) + Nrm(*l, f[2]);
            if (Dot(Cross(n, tangent), bitangent) <= 0)
                ++mirrored;
        }
        EXPECT_LE(mirrored, l->faces.size() / 1000) << mirrored << " of " << l->faces.size();
    }
}

// ---- the corridor against the camera path ------------------------------------------------------------

struct Triangle {
    Vec3 a, b, c;
    Vec3 lo, hi;
};

double PointTriangleDistance(Vec3 p, const Triangle& t)
{
    // Closest point on a triangle (Ericson, Real-Time Collision Detection 5.1.5).
    Vec3 ab = t.b - t.a, ac = t.c - t.a, ap = p - t.a;
    double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return Length(p - t.a);
    Vec3 bp = p - t.b;
    double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return Length(p - t.b);
    double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return Length(p - (t.a + ab * (d1 / (d1 - d3))));
    Vec3 cp = p - t.c;
    double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return Length(p - t.c);
    double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return Length(p - (t.a + ac * (d2 / (d2 - d6))));
    double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return Length(p - (t.b + (t.c - t.b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)))));
    double denom = 1.0 / (va + vb + vc);
    return Length(p - (t.a + ab * (vb * denom) + ac * (vc * denom)));
}

std::vector<Triangle> Copies(const ObjLoader& l, const std::vector<double>& zs)
{
    std::vector<Triangle> out;
    for (double z : zs) {
        for (const ObjFace& f : l.faces) {
            Triangle t{
                Pos(l, f[0]) + Vec3{0, 0, z}, Pos(l, f[1]) + Vec3{0, 0, z}, Pos(l, f[2]) + Vec3{0, 0, z}, {}, {}};
            t.lo = {std::min({t.a.x, t.b.x, t.c.x}), std::min({t.a.y, t.b.y, t.c.y}), std::min({t.a.z, t.b.z, t.c.z})};
            t.hi = {std::max({t.a.x, t.b.x, t.c.x}), std::max({t.a.y, t.b.y, t.c.y}), std::max({t.a.z, t.b.z, t.c.z})};
            out.push_back(t);
        }
    }
    return out;
}

std::vector<Placement> CameraPath()
{
    std::vector<Placement> path;
    for (double t = 48 * kBeat; t < 112 * kBeat; t += 1.0 / 60) {
        if (auto p = SecondCameraAt(t))
            path.push_back(*p);
    }
    return path;
}

TEST(ResGenModels, CameraPathKeepsClearOfPodsAndRoom)
{
    Loaded pod("Res/cryo8.obj"), room("Res/cryoRoom2.obj");
    std::vector<Triangle> tris = Copies(*pod, {0, -4, -8, 43, 39, 35});
    std::vector<Triangle> roomTris = Copies(*room, {0, 43});
    tris.insert(tris.end(), roomTris.begin(), roomTris.end());
    // Bucket by z so each camera sample only meets nearby triangles.
    std::map<int, std::vector<const Triangle*>> buckets;
    for (const Triangle& t : tris)
        for (int z = static_cast<int>(std::floor(t.lo.z - 1)); z <= static_cast<int>(std::floor(t.hi.z + 1)); ++z)
            buckets[z].push_back(&t);
    const std::vector<Placement> path = CameraPath();
    ASSERT_GT(path.size(), 1500u);
    double nearest = 1e9;
    Vec3 where{};
    for (const Placement& p : path) {
        for (const Triangle* t : buckets[static_cast<int>(std::floor(p.position.z))]) {
            if (p.position.x < t->lo.x - 1 || p.position.x > t->hi.x + 1 || p.position.y < t->lo.y - 1 ||
                p.position.y > t->hi.y + 1)
                continue;
            double d = PointTriangleDistance(p.position, *t);
            if (d < nearest)
                nearest = d, where = p.position;
        }
    }
    EXPECT_GT(nearest, 1.0) << "camera at " << where.x << " " << where.y << " " << where.z;
}

TEST(ResGenModels, RoomCoversTheWholeCameraPath)
{
    // Under every camera position there is floor, and above it roof, in one of the two copies.
    Loaded room("Res/cryoRoom2.obj");
    double zMin = 1e9, zMax = -1e9;
    for (const ObjMesh& m : room->meshes) {
        if (m.name != "Floor_FloorMesh")
            continue;
        for (const ObjFace& f : m.faces)
            for (const ObjFaceVertex& c : f)
                zMin = std::min(zMin, Pos(*room, c).z), zMax = std::max(zMax, Pos(*room, c).z);
    }
    for (const Placement& p : CameraPath()) {
        bool covered = (p.position.z > zMin && p.position.z < zMax) ||
                       (p.position.z > zMin + 43 && p.position.z < zMax + 43);
        ASSERT_TRUE(covered) << p.position.z;
    }
}

TEST(ResGenModels, RoomEndsMeetTheirCopy)
{
    // The corridor repeats every period: the outline at its start recurs one and two periods on.
    Loaded room("Res/cryoRoom2.obj");
    auto key = [](double x, double y, double z) {
        return std::tuple<long, long, long>(std::lround(x * 1000), std::lround(y * 1000), std::lround(z * 1000));
    };
    std::set<std::tuple<long, long, long>> all;
    std::vector<Vec3> start;
    for (const ObjPosition& p : room->positions) {
        all.insert(key(p.x, p.y, p.z));
        if (std::fabs(p.z - layout::kRoomStart) < 1e-4)
            start.push_back({p.x, p.y, p.z});
    }
    ASSERT_GT(start.size(), 10u);
    for (const Vec3& p : start) {
        for (int k = 1; k <= layout::kRoomPeriods; ++k)
            EXPECT_TRUE(all.count(key(p.x, p.y, p.z + k * layout::kRoomPeriod))) << p.x << " " << p.y;
    }
}

// ---- text placement ------------------------------------------------------------------------------

struct TextView {
    const char* file;
    double t;                         // running time shown
    Vec3 (*world)(Vec3 p, double t);  // the show's world matrix
    Vec3 eye;
    double yaw, pitch;
    double minVisible;  // share of vertices on screen
};

Vec3 Text1World(Vec3 p, double t)
{
    double theta = kPi32 / (t + 1.5) - kPi32 / 4;
    return RotY(RotX(p, -kPi32 / 2) + Vec3{4.5, 0, 0}, theta) + Vec3{31, 13, -61};
}
Vec3 Text2World(Vec3 p, double)
{
    return RotX(p * 2.0, -kPi32) + Vec3{44, -20, -35};
}
Vec3 Text3World(Vec3 p, double)
{
    return RotY(RotX(p, -kPi32 / 2), kPi32) + Vec3{6, 2, 13};
}

TEST(ResGenModels, TextsFaceTheirCamerasAndFitTheView)
{
    const TextView views[] = {
        {"Res/Text1.obj", 2.5, Text1World, {27, 11, -50}, 2.9452431, -0.19634955, 0.7},
        {"Res/Text2.obj", 10.0, Text2World, {28, 15, -40}, kPi32, 1.5707964, 1.0},
        {"Res/Text3.obj", 46.0, Text3World, {10, 0, -3.3}, 0, 0, 1.0},
        {"Res/Text3.obj", 51.0, Text3World, {10, 0, 1.69}, 0, 0, 1.0},
    };
    for (const TextView& v : views) {
        SCOPED_TRACE(std::string(v.file) + " at " + std::to_string(v.t));
        Loaded l(v.file);
        const Axes axes = CameraAxes(v.yaw, v.pitch);
        size_t visible = 0, total = 0, facing = 0, fronts = 0;
        double minX = 1e9, maxX = -1e9;
        for (const ObjFace& f : l->faces) {
            Vec3 a = v.world(Pos(*l, f[0]), v.t), b = v.world(Pos(*l, f[1]), v.t), c = v.world(Pos(*l, f[2]), v.t);
            Vec3 n = Normalize(Cross(b - a, c - a));
            Vec3 fileNormal = Nrm(*l, f[0]);
            if (std::fabs(fileNormal.y) > 0.99) {  // front and back caps
                ++fronts;
                if (Dot(n, v.eye - a) > 0)
                    ++facing;
            }
            for (Vec3 p : {a, b, c}) {
                ++total;
                auto s = Project(p, v.eye, axes);
                if (s && std::fabs(s->x) <= 1 && std::fabs(s->y) <= 1)
                    ++visible, minX = std::min(minX, s->x), maxX = std::max(maxX, s->x);
            }
        }
        // Half the cap triangles face the camera (the front), none edge-on ambiguity.
        EXPECT_NEAR(static_cast<double>(facing) / fronts, 0.5, 0.01);
        EXPECT_GE(static_cast<double>(visible) / total, v.minVisible);
        EXPECT_GT(maxX - minX, 0.3);  // large enough to read
    }
}

TEST(ResGenModels, TextsReadLeftToRightOnScreen)
{
    // The first letter of each text must appear left of the last one from its camera: project the
    // left-most and right-most glyph-plane points and compare with the written order.
    const TextView views[] = {
        {"Res/Text1.obj", 2.5, Text1World, {27, 11, -50}, 2.9452431, -0.19634955, 0},
        {"Res/Text2.obj", 10.0, Text2World, {28, 15, -40}, kPi32, 1.5707964, 0},
        {"Res/Text3.obj", 46.0, Text3World, {10, 0, -3.3}, 0, 0, 0},
    };
    for (const TextView& v : views) {
        SCOPED_TRACE(v.file);
        Loaded l(v.file);
        const Axes axes = CameraAxes(v.yaw, v.pitch);
        // Model x falls as the text is read; so screen x must fall as model x rises.
        double xMin = 1e9, xMax = -1e9;
        for (const ObjPosition& p : l->positions)
            xMin = std::min(xMin, double(p.x)), xMax = std::max(xMax, double(p.x));
        double zMid = 0;
        for (const ObjPosition& p : l->positions)
            zMid += p.z;
        zMid /= l->positions.size();
        auto sLow = Project(v.world({xMin, 0, zMid}, v.t), v.eye, axes);
        auto sHigh = Project(v.world({xMax, 0, zMid}, v.t), v.eye, axes);
        ASSERT_TRUE(sLow && sHigh);
        EXPECT_GT(sLow->x, sHigh->x);
        // And up is up: the top of the text projects above its bottom.
        double zMin = 1e9, zMax = -1e9;
        for (const ObjPosition& p : l->positions)
            zMin = std::min(zMin, double(p.z)), zMax = std::max(zMax, double(p.z));
        double xc = (xMin + xMax) / 2;
        auto sBottom = Project(v.world({xc, 0, zMin}, v.t), v.eye, axes);
        auto sTop = Project(v.world({xc, 0, zMax}, v.t), v.eye, axes);
        ASSERT_TRUE(sBottom && sTop);
        EXPECT_GT(sTop->y, sBottom->y);
    }
}

}  // namespace
