// Pieces of the generator that the asset checks cannot pin down on their own.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/resgen/Icon.h"
#include "tools/resgen/ImageWriter.h"
#include "tools/resgen/Mesh.h"
#include "tools/resgen/Music.h"
#include "tools/resgen/ObjWriter.h"
#include "tools/resgen/SkyCubemap.h"

using namespace resgen;

namespace {

TEST(ResGenParts, NumbersAreWrittenAsPlainDecimals)
{
    const struct {
        double v;
        int decimals;
        const char* text;
    } cases[] = {
        {1e-9, 5, "0.0"},           // tiny values never turn into exponents
        {-1e-9, 5, "0.0"},          // nor into a negative zero
        {123456.5, 5, "123456.5"},  // large values neither
        {-0.25, 4, "-0.25"},       {2.0, 5, "2.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.v, c.decimals), c.text) << c.v;
    EXPECT_THROW(FormatFixed(std::nan(""), 5), std::runtime_error);
    EXPECT_THROW(FormatFixed(INFINITY, 5), std::runtime_error);
}

TEST(ResGenParts, TrianglesAreWoundClockwiseSeenFromTheirNormal)
{
    MeshGroup g;
    const Vec3 n{0, 0, -1};  // facing a viewer at -z, as a left-handed camera at the origin sees it
    uint32_t a = g.AddVertex({{0, 0, 0}, n, {}}), b = g.AddVertex({{1, 0, 0}, n, {}}),
             c = g.AddVertex({{0, 1, 0}, n, {}});
    g.AddTriangle(a, b, c);
    ASSERT_EQ(g.triangles.size(), 1u);
    const auto& t = g.triangles[0];
    Vec3 cross = Cross(g.vertices[t[1]].position - g.vertices[t[0]].position,
                       g.vertices[t[2]].position - g.vertices[t[0]].position);
    EXPECT_GT(Dot(cross, n), 0);
    // A triangle with no area is dropped rather than written.
    uint32_t d = g.AddVertex({{2, 0, 0}, n, {}});
    g.AddTriangle(a, b, d);
    EXPECT_EQ(g.triangles.size(), 1u);
}

TEST(ResGenParts, CubeFacesMeetAtTheirEdges)
{
    // Adjacent faces must agree on the direction along a shared edge, or the sky shows seams.
    const int n = 64;
    struct Edge {
        int faceA, xA, yA, faceB, xB, yB;
    } edges[] = {
        {0, n - 1, n / 2, 5, 0, n / 2},  // +X right edge meets -Z left edge
        {4, n - 1, n / 2, 0, 0, n / 2},  // +Z right edge meets +X left edge
        {2, n / 2, n - 1, 4, n / 2, 0},  // +Y bottom edge meets +Z top edge
        {3, n / 2, 0, 4, n / 2, n - 1},  // -Y top edge meets +Z bottom edge
        {1, n - 1, n / 2, 4, 0, n / 2},  // -X right edge meets +Z left edge
    };
    for (const Edge& e : edges) {
        Vec3 a = CubeFaceDirection(e.faceA, e.xA, e.yA, n), b = CubeFaceDirection(e.faceB, e.xB, e.yB, n);
        EXPECT_GT(Dot(a, b), 0.999) << e.faceA << " / " << e.faceB;
    }
    EXPECT_GT(CubeFaceDirection(2, n / 2, n / 2, n).y, 0.99);
}

TEST(ResGenParts, CubeMapEncodingRejectsMismatchedFaces)
{
    std::array<Image, 6> faces;
    for (auto& f : faces)
        f = Image(4, 4, 4);
    EXPECT_EQ(EncodeDdsCube(faces).size(), 128u + 6 * 4 * 4 * 4);
    faces[3] = Image(4, 2, 4);
    EXPECT_THROW(EncodeDdsCube(faces), std::runtime_error);
    faces[3] = Image(4, 4, 3);
    EXPECT_THROW(EncodeDdsCube(faces), std::runtime_error);
}

TEST(ResGenParts, TrackStartsOnTheDownbeatAndStaysInRange)
{
    const StereoBuffer track = SynthesizeTrack();
    const size_t beatSamples = static_cast<size_t>(std::llround(kBeatSeconds * kSampleRate));
    ASSERT_EQ(track.left.size(), track.right.size());
    EXPECT_GE(track.left.size(), size_t(kTrackBeats) * beatSamples + size_t(1.5 * kSampleRate));
    // Loud within the first 10 ms: the picture's first cut has a sound to land on.
    float early = 0;
    for (size_t i = 0; i < 441; ++i)
        early = std::max(early, std::fabs(track.left[i]));
    EXPECT_GT(early, 0.3f);
    float peak = 0;
    for (size_t i = 0; i < track.left.size(); ++i) {
        ASSERT_TRUE(std::isfinite(track.left[i]) && std::isfinite(track.right[i]));
        peak = std::max({peak, std::fabs(track.left[i]), std::fabs(track.right[i])});
    }
    EXPECT_LE(peak, 1.0f);
    EXPECT_GT(peak, 0.5f);
    // Ends in silence.
    EXPECT_EQ(track.left.back(), 0.0f);
}

// The icon: clear outside its rounded tile, opaque inside it, with the white sheep in the middle
// at every installed size (a broken projection leaves an empty tile; a wrong fit clips the sheep).
TEST(ResGenParts, TheIconIsTheSheepOnAnOpaqueTile)
{
    for (const int size : kIconSizes) {
        const Image icon = RenderIcon(size);
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        ASSERT_EQ(icon.channels, 4);
        EXPECT_EQ(icon.At(0, 0)[3], 0) << size;
        EXPECT_EQ(icon.At(size - 1, size - 1)[3], 0) << size;
        int wool = 0, woolAtTheBorder = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = icon.At(x, y);
                const bool white = p[0] > 180 && p[1] > 180 && p[2] > 180;
                wool += white;
                woolAtTheBorder += white &&
                                   (x < size / 20 || y < size / 20 || x >= size - size / 20 || y >= size - size / 20);
            }
        }
        EXPECT_EQ(icon.At(size / 2, size / 2)[3], 255) << size;
        EXPECT_GT(wool, size * size / 10) << size;
        EXPECT_LT(wool, size * size / 2) << size;
        EXPECT_EQ(woolAtTheBorder, 0) << size;
    }
    EXPECT_THROW(RenderIcon(8), std::runtime_error);
}

}  // namespace
