#include "tools/resgen/Mesh.h"

#include <cmath>

namespace resgen {

uint32_t MeshGroup::AddVertex(const MeshVertex& v)
{
    vertices.push_back(v);
    return static_cast<uint32_t>(vertices.size() - 1);
}

void MeshGroup::AddTriangle(uint32_t a, uint32_t b, uint32_t c)
{
    const Vec3 pa = vertices[a].position, pb = vertices[b].position, pc = vertices[c].position;
    Vec3 n = Cross(pb - pa, pc - pa);
    if (Length(n) < 1e-9)
        return;
    Vec3 avg = vertices[a].normal + vertices[b].normal + vertices[c].normal;
    // In a left-handed frame a clockwise triangle seen from its front has Cross(b-a, c-a) pointing
    // towards the viewer, so the cross product must agree with the outward normal.
    if (Dot(n, avg) < 0)
        std::swap(b, c);
    triangles.push_back({a, b, c});
}

MeshGroup& Mesh::Begin(const std::string& name, const std::string& material)
{
    groups.push_back(MeshGroup{name, material, {}, {}});
    return groups.back();
}

size_t Mesh::TriangleCount() const
{
    size_t n = 0;
    for (const auto& g : groups)
        n += g.triangles.size();
    return n;
}

void AddQuad(MeshGroup& g, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 normal, Vec2 t0, Vec2 t1, Vec2 t2, Vec2 t3)
{
    uint32_t a = g.AddVertex({p0, normal, t0});
    uint32_t b = g.AddVertex({p1, normal, t1});
    uint32_t c = g.AddVertex({p2, normal, t2});
    uint32_t d = g.AddVertex({p3, normal, t3});
    g.AddTriangle(a, b, c);
    g.AddTriangle(a, c, d);
}

void AddBox(MeshGroup& g, const Frame& f, Vec3 half, double uvScale)
{
    // Each face: outward axis and the in-plane axis its texture's v runs against.
    struct FaceDef {
        Vec3 n, v;
    };
    const FaceDef faces[6] = {
        {{1, 0, 0}, {0, 1, 0}},  {{-1, 0, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}},
        {{0, -1, 0}, {0, 0, 1}}, {{0, 0, 1}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}},
    };
    auto scaled = [&](Vec3 a) { return Vec3{a.x * half.x, a.y * half.y, a.z * half.z}; };
    // A left-handed frame mirrors the box, and with it the texture layout: flip u back.
    const bool mirrored = Dot(Cross(f.ax, f.ay), f.az) < 0;
    for (const auto& fd : faces) {
        Vec3 c = scaled(fd.n);
        // u runs along n x v, so that (u, v, n) has the handedness the normal maps assume.
        Vec3 du = scaled(Cross(fd.n, fd.v)), dv = scaled(fd.v);
        Vec3 corners[4] = {c - du - dv, c + du - dv, c + du + dv, c - du + dv};
        Vec3 wn = f.Dir(fd.n);
        double lu = Length(f.ax * du.x + f.ay * du.y + f.az * du.z) * 2 * uvScale;
        double lv = Length(f.ax * dv.x + f.ay * dv.y + f.az * dv.z) * 2 * uvScale;
        if (mirrored)
            AddQuad(g, f.Point(corners[0]), f.Point(corners[1]), f.Point(corners[2]), f.Point(corners[3]), wn, {lu, lv},
                    {0, lv}, {0, 0}, {lu, 0});
        else
            AddQuad(g, f.Point(corners[0]), f.Point(corners[1]), f.Point(corners[2]), f.Point(corners[3]), wn, {0, lv},
                    {lu, lv}, {lu, 0}, {0, 0});
    }
}

void AddTube(MeshGroup& g, const std::vector<Vec3>& path, const std::vector<double>& radius, int sides, bool capStart,
             bool capEnd, double uvScale)
{
    const size_t n = path.size();
    if (n < 2)
        return;
    // Tangents and parallel-transported frames, so the tube does not twist.
    std::vector<Vec3> tangent(n), side(n);
    for (size_t i = 0; i < n; ++i) {
        Vec3 d = i == 0 ? path[1] - path[0] : (i == n - 1 ? path[i] - path[i - 1] : path[i + 1] - path[i - 1]);
        tangent[i] = Normalize(d);
    }
    side[0] = AnyPerpendicular(tangent[0]);
    for (size_t i = 1; i < n; ++i) {
        Vec3 s = side[i - 1] - tangent[i] * Dot(side[i - 1], tangent[i]);
        side[i] = Length(s) > 1e-6 ? Normalize(s) : AnyPerpendicular(tangent[i]);
    }
    double along = 0;
    std::vector<uint32_t> prev;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0)
            along += Length(path[i] - path[i - 1]);
        Vec3 b = Cross(tangent[i], side[i]);
        std::vector<uint32_t> ring;
        double circumference = 2 * kPi * radius[i];
        for (int s = 0; s <= sides; ++s) {
            double a = 2 * kPi * s / sides;
            Vec3 dir = side[i] * std::cos(a) + b * std::sin(a);
            ring.push_back(
                g.AddVertex({path[i] + dir * radius[i], dir, {circumference * s / sides * uvScale, along * uvScale}}));
        }
        if (i > 0) {
            for (int s = 0; s < sides; ++s) {
                g.AddTriangle(prev[s], ring[s], ring[s + 1]);
                g.AddTriangle(prev[s], ring[s + 1], prev[s + 1]);
            }
        }
        prev = ring;
    }
    auto cap = [&](size_t i, Vec3 normal) {
        Vec3 b = Cross(tangent[i], side[i]);
        const double flip = Dot(normal, tangent[i]) > 0 ? 1.0 : -1.0;  // keep (u, v, n) right-handed
        uint32_t c = g.AddVertex({path[i], normal, {0.5, 0.5}});
        std::vector<uint32_t> ring;
        for (int s = 0; s <= sides; ++s) {
            double a = 2 * kPi * s / sides;
            Vec3 dir = side[i] * std::cos(a) + b * std::sin(a);
            ring.push_back(g.AddVertex(
                {path[i] + dir * radius[i],
                 normal,
                 {0.5 + std::cos(a) * radius[i] * uvScale, 0.5 + flip * std::sin(a) * radius[i] * uvScale}}));
        }
        for (int s = 0; s < sides; ++s)
            g.AddTriangle(c, ring[s], ring[s + 1]);
    };
    if (capStart)
        cap(0, -tangent[0]);
    if (capEnd)
        cap(n - 1, tangent[n - 1]);
}

void AddLathe(MeshGroup& g, const Frame& f, const std::vector<Vec2>& profile, int segments, double uvScaleU,
              double uvScaleV, double angle0, double angle1)
{
    const size_t n = profile.size();
    if (n < 2)
        return;
    // Normals from the profile's slope (perpendicular to it in the (r, h) plane).
    std::vector<Vec2> pn(n);
    for (size_t i = 0; i < n; ++i) {
        Vec2 d = i == 0 ? profile[1] - profile[0]
                        : (i == n - 1 ? profile[i] - profile[i - 1] : profile[i + 1] - profile[i - 1]);
        pn[i] = Normalize(Vec2{d.y, -d.x});  // (dr, dh) -> outward (dh, -dr)
    }
    std::vector<double> along(n, 0.0);
    for (size_t i = 1; i < n; ++i)
        along[i] = along[i - 1] + Length(profile[i] - profile[i - 1]);
    double maxR = 0;
    for (auto p : profile)
        maxR = std::max(maxR, p.x);
    std::vector<std::vector<uint32_t>> rings(n);
    for (size_t i = 0; i < n; ++i) {
        for (int s = 0; s <= segments; ++s) {
            double a = angle0 + (angle1 - angle0) * s / segments;
            Vec3 radial{std::cos(a), 0, std::sin(a)};
            Vec3 local = radial * profile[i].x + Vec3{0, profile[i].y, 0};
            Vec3 nl = radial * pn[i].x + Vec3{0, pn[i].y, 0};
            double u = (angle1 - angle0) * maxR * s / segments * uvScaleU;
            // v runs down the profile, so that (u, v, n) has the handedness the normal maps assume.
            rings[i].push_back(g.AddVertex({f.Point(local), f.Dir(nl), {u, -along[i] * uvScaleV}}));
        }
    }
    for (size_t i = 1; i < n; ++i) {
        for (int s = 0; s < segments; ++s) {
            uint32_t a = rings[i - 1][s], b = rings[i - 1][s + 1], c = rings[i][s + 1], d = rings[i][s];
            if (profile[i - 1].x > 1e-9)
                g.AddTriangle(a, b, c);
            if (profile[i].x > 1e-9)
                g.AddTriangle(a, c, d);
        }
    }
}

void AddTorus(MeshGroup& g, const Frame& f, double majorRadius, double minorRadius, int majorSegments,
              int minorSegments, double uvScale)
{
    // A circle in the (radius, height) plane, walked so that the lathe normals point out.
    std::vector<Vec2> p2;
    for (int i = 0; i <= minorSegments; ++i) {
        double a = 2 * kPi * i / minorSegments;
        p2.push_back({majorRadius - minorRadius * std::cos(a), -minorRadius * std::sin(a)});
    }
    AddLathe(g, f, p2, majorSegments, uvScale, uvScale);
}

std::vector<Vec3> SagCurve(Vec3 a, Vec3 b, double sag, int points)
{
    std::vector<Vec3> out;
    for (int i = 0; i <= points; ++i) {
        double t = static_cast<double>(i) / points;
        Vec3 p = Lerp(a, b, t);
        p.y -= sag * 4 * t * (1 - t);
        out.push_back(p);
    }
    return out;
}

}  // namespace resgen
