// The cryo pod: a glass capsule in a metal shell on a round base, with a number pad, two posts
// behind it and hoses to the wall. It stands at x = kPodX, z = 0; the show places six copies along z,
// 4 units apart, so everything stays within |z| < 1.9.
#include <cmath>

#include "tools/resgen/Layout.h"
#include "tools/resgen/Models.h"

namespace resgen {

using namespace layout;

namespace {

constexpr double kUv = 1.0 / 1.5;  // one texture repeat per 1.5 units

Frame PodFrame()
{
    Frame f;
    f.origin = {kPodX, 0, 0};
    return f;
}

// Points of a cubic Bezier curve.
std::vector<Vec3> Bezier(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int n)
{
    std::vector<Vec3> out;
    for (int i = 0; i <= n; ++i) {
        double t = static_cast<double>(i) / n, u = 1 - t;
        out.push_back(a * (u * u * u) + b * (3 * u * u * t) + c * (3 * u * t * t) + d * (t * t * t));
    }
    return out;
}

}  // namespace

Mesh BuildPodMesh()
{
    Mesh mesh;
    const Frame pod = PodFrame();
    const double r = kPodRadius;
    const double glassBottom = -2.7, glassTop = 1.3;

    {
        MeshGroup& g = mesh.Begin("ShieldingCapsule_ShieldingCapsuleMesh", "GreasyMetal");
        // Lower collar and the domed top cap.
        AddLathe(g, pod, {{r + 0.12, kFloorY + 0.3}, {r + 0.12, glassBottom - 0.05}, {r + 0.04, glassBottom + 0.12}},
                 40, kUv, kUv);
        AddLathe(g, pod,
                 {{r + 0.04, glassTop - 0.12},
                  {r + 0.12, glassTop + 0.05},
                  {r + 0.12, glassTop + 0.35},
                  {r * 0.85, glassTop + 0.7},
                  {r * 0.5, glassTop + 0.88},
                  {0.0, glassTop + 0.93}},
                 40, kUv, kUv);
        // Four ribs up the glass, clear of the side facing the corridor.
        for (double a : {0.9, 2.2, 4.1, 5.4}) {
            Vec3 d{std::cos(a), 0, std::sin(a)};
            Frame f;
            f.origin = pod.origin + d * (r + 0.03) + Vec3{0, (glassBottom + glassTop) / 2, 0};
            f.ax = d;
            f.ay = {0, 1, 0};
            f.az = Cross(f.ax, f.ay);
            AddBox(g, f, {0.05, (glassTop - glassBottom) / 2, 0.06}, kUv);
        }
    }
    {
        MeshGroup& g = mesh.Begin("CircleSupport_CircleSupportMesh", "GreasyMetal");
        AddLathe(g, pod,
                 {{r + 0.3, kFloorY}, {r + 0.3, kFloorY + 0.18}, {r + 0.2, kFloorY + 0.3}, {0.0, kFloorY + 0.3}}, 48,
                 kUv, kUv);
        Frame ring = pod;
        ring.origin.y = glassBottom + 0.3;
        AddTorus(g, ring, r + 0.06, 0.05, 48, 10, kUv);
        ring.origin.y = glassTop - 0.3;
        AddTorus(g, ring, r + 0.06, 0.05, 48, 10, kUv);
    }
    {
        MeshGroup& g = mesh.Begin("NumPad_NumPadMesh", "GreasyMetal");
        // A post in front of the pod's right side, topped by a slanted keypad facing the corridor.
        const Vec3 base{kPodX + 1.45, kFloorY, 0.95};
        Frame post;
        post.origin = base + Vec3{0, 1.35, 0};
        AddBox(g, post, {0.06, 1.35, 0.06}, kUv);
        Frame pad;
        pad.origin = base + Vec3{0.05, 2.85, 0};
        const double tilt = 0.35;
        pad.ax = {std::cos(tilt), std::sin(tilt), 0};
        pad.ay = {-std::sin(tilt), std::cos(tilt), 0};
        pad.az = {0, 0, 1};
        AddBox(g, pad, {0.06, 0.26, 0.2}, kUv * 3);
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 3; ++col) {
                Frame key = pad;
                key.origin = pad.Point({0.075, 0.16 - row * 0.1, -0.1 + col * 0.1});
                AddBox(g, key, {0.02, 0.035, 0.035}, kUv * 3);
            }
        }
    }
    {
        MeshGroup& g = mesh.Begin("VerticalSupport", "GreasyMetal");
        for (double z : {-0.75, 0.75}) {
            Frame f;
            f.origin = {kPodX - r - 0.35, (kFloorY + 3.55) / 2, z};
            AddBox(g, f, {0.1, (3.55 - kFloorY) / 2, 0.1}, kUv);
        }
        Frame beam;
        beam.origin = {kPodX - r - 0.35, glassTop + 0.2, 0};
        AddBox(g, beam, {0.08, 0.1, 0.85}, kUv);
        Frame arm;
        arm.origin = {kPodX - r * 0.55, glassTop + 0.2, 0};
        AddBox(g, arm, {0.45, 0.07, 0.07}, kUv);
    }
    {
        MeshGroup& g = mesh.Begin("HumanShield_HumanShieldMesh", "LeakDecal");
        // The glass, with texture rows running downwards along the capsule so leaks run down.
        std::vector<Vec2> profile = {
            {r - 0.03, glassBottom}, {r, glassBottom + 0.15}, {r, glassTop - 0.15}, {r - 0.03, glassTop}};
        MeshGroup tmp;
        AddLathe(tmp, pod, profile, 48, 1.0 / (2 * kPi * r), 1.0 / (glassTop - glassBottom));
        for (auto& v : tmp.vertices)
            v.uv.y = 1.0 + v.uv.y;  // 0 at the top, 1 at the bottom
        g.vertices = tmp.vertices;
        g.triangles = tmp.triangles;
    }
    // Hoses from the top cap and the base back to the wall.
    const Vec3 c = pod.origin;
    const struct {
        Vec3 a, b, cc, d;
        double radius;
    } hoses[7] = {
        {c + Vec3{-0.3, glassTop + 0.8, 0.2},
         c + Vec3{-0.4, glassTop + 1.6, 0.3},
         {1.2, 3.0, 0.6},
         {0.3, 1.7, 0.7},
         0.07},
        {c + Vec3{-0.2, glassTop + 0.85, -0.2},
         c + Vec3{-0.3, glassTop + 1.5, -0.4},
         {1.0, 3.1, -0.5},
         {0.3, 2.2, -0.6},
         0.06},
        {c + Vec3{-0.8, glassTop + 0.45, 0.5},
         c + Vec3{-1.5, glassTop + 0.4, 0.9},
         {0.8, 0.6, 1.1},
         {0.3, 0.3, 1.2},
         0.08},
        {c + Vec3{-0.8, glassTop + 0.45, -0.5},
         c + Vec3{-1.6, glassTop + 0.2, -0.9},
         {0.7, 0.0, -1.2},
         {0.3, -0.4, -1.2},
         0.08},
        {c + Vec3{-1.2, kFloorY + 0.2, 0.3},
         c + Vec3{-1.8, kFloorY + 0.1, 0.5},
         {0.8, kFloorY + 0.1, 0.7},
         {0.3, kFloorY + 0.8, 0.8},
         0.09},
        {c + Vec3{-1.2, kFloorY + 0.2, -0.3},
         c + Vec3{-1.8, kFloorY + 0.1, -0.6},
         {0.8, kFloorY + 0.1, -0.9},
         {0.3, kFloorY + 0.6, -1.0},
         0.09},
        {c + Vec3{-0.9, glassBottom + 0.1, 0.0},
         c + Vec3{-1.6, glassBottom - 0.3, 0.0},
         {0.6, kFloorY + 1.2, 0.1},
         {0.3, kFloorY + 1.4, 0.0},
         0.06},
    };
    for (int i = 0; i < 7; ++i) {
        std::string n = std::to_string(i);
        MeshGroup& g = mesh.Begin("Hosepipe" + n + "_HosepipeMesh" + n, "Rubber");
        auto path = Bezier(hoses[i].a, hoses[i].b, hoses[i].cc, hoses[i].d, 24);
        AddTube(g, path, std::vector<double>(path.size(), hoses[i].radius), 12, true, true, 2.0);
    }
    return mesh;
}

}  // namespace resgen
