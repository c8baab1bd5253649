// The cryo-chamber corridor. Its cross-section: a grated floor at y = -3.5 from x = 0 to 16, walls
// up to y = 2, slopes in to a roof at y = 4.5; the camera flies along x = 10..12.5, y = -2..0.
// Everything repeats every kRoomPeriod along z, and the file holds more than one period so that
// the show's two copies cover the whole flight; where the copies overlap their surfaces coincide
// exactly (same shape, same texture phase), so the overlap is invisible.
// Texture coordinates are built upright (v down) and written negated: the room loader negates them.
#include <cmath>
#include <functional>

#include "tools/resgen/Layout.h"
#include "tools/resgen/Models.h"

namespace resgen {

using namespace layout;

namespace {

constexpr double kUv = kUvPerUnit;

// Calls fn(z) for every repeat of a feature at period offset `offset` inside the file's range.
void ForEachRepeat(double offset, const std::function<void(double)>& fn)
{
    for (int k = 0; k <= kRoomPeriods + 1; ++k) {
        double z = kRoomStart + offset + k * kRoomPeriod;
        if (z >= kRoomStart && z < kRoomEnd)
            fn(z);
    }
}

// Calls fn(z0, z1) for every strip of the file's range.
void ForEachStrip(const std::function<void(double, double)>& fn)
{
    const int strips = static_cast<int>(std::lround((kRoomEnd - kRoomStart) / kStrip));
    for (int i = 0; i < strips; ++i)
        fn(kRoomStart + i * kStrip, kRoomStart + (i + 1) * kStrip);
}

Frame At(Vec3 origin)
{
    Frame f;
    f.origin = origin;
    return f;
}

// A box between two corners, axis aligned.
void AddSpan(MeshGroup& g, Vec3 lo, Vec3 hi, double uv = kUv)
{
    AddBox(g, At((lo + hi) * 0.5), (hi - lo) * 0.5, uv);
}

const double kSlopeDy = kRoofY - kWallTopY;

struct PipeDef {
    double x, y, r;
};
const PipeDef kPipes[8] = {{15.55, 1.35, 0.18}, {15.6, 0.9, 0.12}, {0.45, 1.45, 0.2},  {0.4, -2.95, 0.22},
                           {5.5, 4.22, 0.2},    {6.1, 4.22, 0.2},  {10.5, 4.27, 0.15}, {15.5, -3.0, 0.2}};

const double kRibOffsets[3] = {1.33, 15.67, 30.0};  // z = -12.67, 1.67, 16.0 in the first period
const double kFrontWallOffset = 3.0;                // z = -11
const double kBackWallOffset = 28.3;                // z = 14.3, just behind the farewell text
const double kDrawingZ[4] = {18.3, 21.3, 24.3, 27.3};

// The rib's outline: column, slope, roof, slope, column (x, y) points.
void AddRib(MeshGroup& g, double z)
{
    const double hz = 0.2;
    AddSpan(g, {kWallX0, kFloorY, z - hz}, {kWallX0 + 0.35, kWallTopY, z + hz});
    AddSpan(g, {kWallX1 - 0.35, kFloorY, z - hz}, {kWallX1, kWallTopY, z + hz});
    AddSpan(g, {kWallX0 + kSlopeInset, kRoofY - 0.3, z - hz}, {kWallX1 - kSlopeInset, kRoofY, z + hz});
    // Slope beams, as boxes tilted along the slopes.
    for (int side = 0; side < 2; ++side) {
        Vec3 a = side == 0 ? Vec3{kWallX0, kWallTopY, z} : Vec3{kWallX1, kWallTopY, z};
        Vec3 b = side == 0 ? Vec3{kWallX0 + kSlopeInset, kRoofY, z} : Vec3{kWallX1 - kSlopeInset, kRoofY, z};
        Vec3 dir = Normalize(b - a);
        Vec3 inward = side == 0 ? Vec3{dir.y, -dir.x, 0} : Vec3{-dir.y, dir.x, 0};
        Frame f;
        f.ax = dir;
        f.ay = inward;
        f.az = {0, 0, 1};
        f.origin = (a + b) * 0.5 + inward * 0.15;
        AddBox(g, f, {Length(b - a) / 2, 0.15, hz}, kUv);
    }
}

// A bulkhead across the corridor with a wide opening on the camera's side.
void AddBulkhead(MeshGroup& g, double z)
{
    const double hz = 0.15;
    AddSpan(g, {kWallX0, kFloorY, z - hz}, {8.0, kRoofY, z + hz});
    AddSpan(g, {8.0, 2.6, z - hz}, {kWallX1, kRoofY, z + hz});
    AddSpan(g, {kWallX1 - 0.6, kFloorY, z - hz}, {kWallX1, 2.6, z + hz});
    // Frame trim round the opening.
    AddSpan(g, {7.8, kFloorY, z - 0.25}, {8.0, 2.6, z + 0.25});
    AddSpan(g, {7.8, 2.6, z - 0.25}, {kWallX1 - 0.6, 2.8, z + 0.25});
    AddSpan(g, {kWallX1 - 0.8, kFloorY, z - 0.25}, {kWallX1 - 0.6, 2.6, z + 0.25});
}

void AddCrate(MeshGroup& g, Vec3 centre, double size, double yaw)
{
    Frame f;
    f.origin = centre;
    f.ax = {std::cos(yaw), 0, std::sin(yaw)};
    f.az = {-std::sin(yaw), 0, std::cos(yaw)};
    const double h = size / 2;
    AddBox(g, f, {h, h, h}, 1.0 / size);
    // Reinforcing bands round the crate.
    for (double y : {-0.6, 0.6}) {
        Frame b = f;
        b.origin = f.Point({0, y * h, 0});
        AddBox(g, b, {h + 0.03, 0.06, h + 0.03}, 1.0 / size);
    }
}

void AddDrawing(MeshGroup& g, double zc)
{
    const double x = kWallX1 - 0.14, x1 = kWallX1 - 0.02;
    const double y0 = -1.6, y1 = 0.5, hw = 1.3;
    // Seen from the corridor (looking +x), screen right is -z and v runs down.
    AddQuad(g, {x, y1, zc + hw}, {x, y1, zc - hw}, {x, y0, zc - hw}, {x, y0, zc + hw}, {-1, 0, 0}, {0, 0}, {1, 0},
            {1, 1}, {0, 1});
    // The plate's edges (u mirrored where needed to keep the normal maps' handedness).
    const double t = (x1 - x) * 0.5;
    AddQuad(g, {x, y1, zc + hw}, {x1, y1, zc + hw}, {x1, y1, zc - hw}, {x, y1, zc - hw}, {0, 1, 0}, {1, 0}, {1, t},
            {0, t}, {0, 0});
    AddQuad(g, {x, y0, zc + hw}, {x1, y0, zc + hw}, {x1, y0, zc - hw}, {x, y0, zc - hw}, {0, -1, 0}, {1, 1}, {1, 1 - t},
            {0, 1 - t}, {0, 1});
    AddQuad(g, {x, y0, zc + hw}, {x1, y0, zc + hw}, {x1, y1, zc + hw}, {x, y1, zc + hw}, {0, 0, 1}, {t, 1}, {0, 1},
            {0, 0}, {t, 0});
    AddQuad(g, {x, y0, zc - hw}, {x1, y0, zc - hw}, {x1, y1, zc - hw}, {x, y1, zc - hw}, {0, 0, -1}, {1 - t, 1}, {1, 1},
            {1, 0}, {1 - t, 0});
}

}  // namespace

Mesh BuildRoomMesh()
{
    Mesh mesh;
    {
        MeshGroup& g = mesh.Begin("Floor_FloorMesh", "MetalGrid");
        ForEachStrip([&](double z0, double z1) {
            for (int half = 0; half < 2; ++half) {
                double x0 = half * 8.0, x1 = x0 + 8.0;
                // Seen from above with u along +x, v must run along -z to keep the normal map's handedness.
                AddQuad(g, {x0, kFloorY, z0}, {x1, kFloorY, z0}, {x1, kFloorY, z1}, {x0, kFloorY, z1}, {0, 1, 0},
                        {x0 * kUv, -z0 * kUv}, {x1 * kUv, -z0 * kUv}, {x1 * kUv, -z1 * kUv}, {x0 * kUv, -z1 * kUv});
            }
        });
    }
    {
        MeshGroup& g = mesh.Begin("Basket_BasketMesh", "ScifiFloor");
        ForEachRepeat(31.0, [&](double z) {
            const Vec3 c{2.2, kFloorY, z};
            const double hx = 0.7, hz = 0.5, h = 0.9, bar = 0.03;
            AddSpan(g, c + Vec3{-hx, 0.05, -hz}, c + Vec3{hx, 0.1, hz}, 1.0);
            for (double sx : {-1.0, 1.0})
                for (double sz : {-1.0, 1.0})
                    AddSpan(g, c + Vec3{sx * hx - bar, 0, sz * hz - bar}, c + Vec3{sx * hx + bar, h, sz * hz + bar},
                            1.0);
            for (double y : {0.35, 0.62, h - bar}) {
                for (double sz : {-1.0, 1.0})
                    AddSpan(g, c + Vec3{-hx, y - bar, sz * hz - bar}, c + Vec3{hx, y + bar, sz * hz + bar}, 1.0);
                for (double sx : {-1.0, 1.0})
                    AddSpan(g, c + Vec3{sx * hx - bar, y - bar, -hz}, c + Vec3{sx * hx + bar, y + bar, hz}, 1.0);
            }
            for (int i = 1; i < 6; ++i) {
                double x = -hx + 2 * hx * i / 6;
                for (double sz : {-1.0, 1.0})
                    AddSpan(g, c + Vec3{x - bar * 0.6, 0.1, sz * hz - bar * 0.6},
                            c + Vec3{x + bar * 0.6, h, sz * hz + bar * 0.6}, 1.0);
            }
        });
    }
    {
        MeshGroup& g0 = mesh.Begin("SideWall0_SideWall0Mesh", "Container");
        ForEachStrip([&](double z0, double z1) {
            AddQuad(g0, {kWallX0, kFloorY, z0}, {kWallX0, kFloorY, z1}, {kWallX0, kWallTopY, z1},
                    {kWallX0, kWallTopY, z0}, {1, 0, 0}, {z0 * kUv, -kFloorY * kUv}, {z1 * kUv, -kFloorY * kUv},
                    {z1 * kUv, -kWallTopY * kUv}, {z0 * kUv, -kWallTopY * kUv});
        });
        MeshGroup& g1 = mesh.Begin("SideWall1_SideWall1Mesh", "Container");
        ForEachStrip([&](double z0, double z1) {
            AddQuad(g1, {kWallX1, kFloorY, z0}, {kWallX1, kFloorY, z1}, {kWallX1, kWallTopY, z1},
                    {kWallX1, kWallTopY, z0}, {-1, 0, 0}, {-z0 * kUv, -kFloorY * kUv}, {-z1 * kUv, -kFloorY * kUv},
                    {-z1 * kUv, -kWallTopY * kUv}, {-z0 * kUv, -kWallTopY * kUv});
        });
        MeshGroup& s = mesh.Begin("Slope_SlopeMesh", "Container");
        const double slopeLen = std::hypot(kSlopeInset, kSlopeDy);
        ForEachStrip([&](double z0, double z1) {
            Vec3 nl = Normalize(Vec3{kSlopeDy, -kSlopeInset, 0}), nr = Normalize(Vec3{-kSlopeDy, -kSlopeInset, 0});
            double vTop = 0, vBot = slopeLen * kUv;
            AddQuad(s, {kWallX0, kWallTopY, z0}, {kWallX0, kWallTopY, z1}, {kWallX0 + kSlopeInset, kRoofY, z1},
                    {kWallX0 + kSlopeInset, kRoofY, z0}, nl, {z0 * kUv, vBot}, {z1 * kUv, vBot}, {z1 * kUv, vTop},
                    {z0 * kUv, vTop});
            AddQuad(s, {kWallX1, kWallTopY, z0}, {kWallX1, kWallTopY, z1}, {kWallX1 - kSlopeInset, kRoofY, z1},
                    {kWallX1 - kSlopeInset, kRoofY, z0}, nr, {-z0 * kUv, vBot}, {-z1 * kUv, vBot}, {-z1 * kUv, vTop},
                    {-z0 * kUv, vTop});
        });
    }
    {
        MeshGroup& f = mesh.Begin("FrontWall_FrontWallMesh", "Padded");
        ForEachRepeat(kFrontWallOffset, [&](double z) { AddBulkhead(f, z); });
        MeshGroup& b = mesh.Begin("BackWall_BackWallMesh", "Padded");
        ForEachRepeat(kBackWallOffset, [&](double z) { AddBulkhead(b, z); });
    }
    for (int i = 0; i < 8; ++i) {
        MeshGroup& g = mesh.Begin("RedPipe" + std::to_string(i) + "_RedPipe" + std::to_string(i) + "Mesh",
                                  "RedPlastic");
        const PipeDef& p = kPipes[i];
        std::vector<Vec3> path;
        ForEachStrip([&](double z0, double) { path.push_back({p.x, p.y, z0}); });
        path.push_back({p.x, p.y, kRoomEnd});
        AddTube(g, path, std::vector<double>(path.size(), p.r), 14, false, false, kUv);
        // Flanges at every strip joint.
        ForEachStrip([&](double z0, double) {
            Frame f;
            f.origin = {p.x, p.y, z0};
            f.ax = {1, 0, 0};
            f.ay = {0, 0, 1};
            f.az = {0, -1, 0};
            AddTorus(g, f, p.r + 0.02, 0.04, 20, 8, kUv);
        });
    }
    // Hoses: four sagging along the right wall, two across the roof.
    const struct {
        Vec3 a, b;
        double sag, r, offset;
    } hoses[6] = {
        {{15.25, 2.45, 0}, {15.3, 2.4, 4.3}, 0.7, 0.09, 2.0}, {{15.3, 2.4, 0}, {15.25, 2.5, 5.1}, 0.9, 0.07, 9.0},
        {{15.25, 2.45, 0}, {15.3, 2.4, 3.8}, 0.6, 0.1, 31.0}, {{0.7, 2.5, 0}, {0.75, 2.45, 4.6}, 0.8, 0.09, 20.0},
        {{4.0, 4.35, 0}, {12.0, 4.35, 1.2}, 0.9, 0.08, 7.0},  {{4.2, 4.35, 0}, {11.8, 4.35, -1.0}, 1.1, 0.07, 24.0},
    };
    const char* hoseNames[6] = {"Hosepipe0_Hosepipe0Mesh", "Hosepipe1_Hosepipe1Mesh", "Hosepipe2_Hosepipe2Mesh",
                                "Hosepipe3_Hosepipe3Mesh", "HosePipe4_HosePipe4Mesh", "HosePipe5_Hosepipe5Mesh"};
    for (int i = 0; i < 6; ++i) {
        MeshGroup& g = mesh.Begin(hoseNames[i], "Rubber");
        ForEachRepeat(hoses[i].offset, [&](double z) {
            Vec3 shift{0, 0, z};
            auto path = SagCurve(hoses[i].a + shift, hoses[i].b + shift, hoses[i].sag, 24);
            AddTube(g, path, std::vector<double>(path.size(), hoses[i].r), 12, true, true, 2.0);
        });
    }
    {
        const struct {
            Vec3 offset;
            double size, yaw;
        } crates[4] = {
            {{1.3, kFloorY + 0.75, 17.5}, 1.5, 0.0},
            {{1.4, kFloorY + 2.0, 17.6}, 1.0, 0.3},
            {{14.8, kFloorY + 0.6, 20.0}, 1.2, 0.15},
            {{2.0, kFloorY + 0.6, 35.5}, 1.2, -0.4},
        };
        for (int i = 0; i < 4; ++i) {
            MeshGroup& g = mesh.Begin("Cube" + std::to_string(i) + "_Cube" + std::to_string(i) + "Mesh",
                                      "ChippedPaint");
            ForEachRepeat(crates[i].offset.z, [&](double z) {
                AddCrate(g, {crates[i].offset.x, crates[i].offset.y, z}, crates[i].size, crates[i].yaw);
            });
        }
    }
    {
        MeshGroup& s0 = mesh.Begin("Support0_Support0Mesh", "RustStreaks");
        for (double off : kRibOffsets)
            ForEachRepeat(off, [&](double z) { AddRib(s0, z); });
        MeshGroup& s1 = mesh.Begin("Support1_Support1Mesh", "RustStreaks");
        // Clamps holding the wall pipes, and hangers for the roof pipes.
        ForEachStrip([&](double z0, double) {
            double z = z0 + kStrip * 0.5;
            AddSpan(s1, {15.5, 0.8, z - 0.08}, {kWallX1, 1.45, z + 0.08});
            AddSpan(s1, {kWallX0, 1.3, z - 0.08}, {0.5, 1.6, z + 0.08});
            AddSpan(s1, {kWallX0, -3.1, z - 0.08}, {0.45, -2.8, z + 0.08});
            AddSpan(s1, {15.45, -3.15, z - 0.08}, {kWallX1, -2.85, z + 0.08});
            AddSpan(s1, {5.2, 4.1, z - 0.06}, {6.4, 4.2, z + 0.06});
            AddSpan(s1, {10.4, 4.15, z - 0.05}, {10.6, kRoofY, z + 0.05});
        });
        MeshGroup& s3 = mesh.Begin("Support3_Support3Mesh", "RustStreaks");
        // Girders along the roof edges and kerbs along the floor edges.
        ForEachStrip([&](double z0, double z1) {
            AddSpan(s3, {kWallX0 + kSlopeInset - 0.15, kRoofY - 0.25, z0}, {kWallX0 + kSlopeInset + 0.15, kRoofY, z1});
            AddSpan(s3, {kWallX1 - kSlopeInset - 0.15, kRoofY - 0.25, z0}, {kWallX1 - kSlopeInset + 0.15, kRoofY, z1});
            AddSpan(s3, {kWallX0, kFloorY, z0}, {0.25, kFloorY + 0.2, z1});
            AddSpan(s3, {kWallX1 - 0.25, kFloorY, z0}, {kWallX1, kFloorY + 0.2, z1});
        });
    }
    {
        MeshGroup& g = mesh.Begin("Roof_RoofMesh", "RoofGrid");
        ForEachStrip([&](double z0, double z1) {
            const double x0 = kWallX0 + kSlopeInset, x1 = kWallX1 - kSlopeInset;
            AddQuad(g, {x0, kRoofY, z0}, {x1, kRoofY, z0}, {x1, kRoofY, z1}, {x0, kRoofY, z1}, {0, -1, 0},
                    {x0 * kUv, z0 * kUv}, {x1 * kUv, z0 * kUv}, {x1 * kUv, z1 * kUv}, {x0 * kUv, z1 * kUv});
        });
    }
    for (int i = 0; i < 4; ++i) {
        MeshGroup& g = mesh.Begin("Drawing" + std::to_string(i) + "_Drawing" + std::to_string(i) + "Mesh",
                                  "Drawing" + std::to_string(i));
        AddDrawing(g, kDrawingZ[i]);
    }
    return mesh;
}

}  // namespace resgen
