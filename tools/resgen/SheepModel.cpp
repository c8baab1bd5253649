// The sheep, head towards +z, y up, hooves standing on y = kGround; the show scales it by 8.
//
// Drawn untextured in one near-white material, so the shape alone has to say "sheep": a fleece of
// separate round tufts (their scalloped outline and the bumpy edge between lit and unlit wool are
// what reads as wool), a bare head held forward and a little down with a flat face and a narrower
// snout, ears standing out sideways, thin legs on hooves and a short tail. Proportions follow a
// real sheep: the fleece is about 1.5 times as long as the animal is tall, the bare legs a third of
// the height.
//
// The fleece, neck, head and tail are one implicit surface (tufts merged with a small blend, so a
// crease stays between them), polygonised by surface nets with each vertex moved towards the surface.
// Ears and legs are thin and would need a much finer grid; they are built as explicit surfaces
// that reach into the implicit one.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include <stb_perlin.h>

#include "tools/resgen/Models.h"
#include "tools/resgen/Random.h"

namespace resgen {

namespace {

constexpr double kGround = -0.5;

// Fleece: the body under the tufts (an ellipsoid) and the tufts on it.
const Vec3 kBodyCentre{0, -0.01, -0.06};
const Vec3 kBodyRadii{0.155, 0.195, 0.54};
constexpr double kTuftClosest = 0.08;  // least distance between tuft centres when placed
constexpr double kTuftSpacing = 0.1;   // neighbours nearer than this are pushed apart
constexpr double kTuftRadiusMin = 0.045;
constexpr double kTuftRadiusMax = 0.062;
constexpr double kTuftBlend = 0.01;  // small, so a crease stays between neighbours

// Neck (woolly) and head (bare), in the head's frame: poll at kPoll, axis kHeadAxis down the face.
const Vec3 kNeckFrom{0, 0.04, 0.34};
const Vec3 kNeckTo{0, 0.17, 0.54};
constexpr double kNeckRadius = 0.085;
const Vec3 kPoll{0, 0.25, 0.59};
const Vec3 kHeadAxis = Normalize(Vec3{0, -0.58, 1.0});  // about 30 degrees below level

double SmoothMin(double a, double b, double k)
{
    double h = Clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return Mix(b, a, h) - k * h * (1.0 - h);
}

double SmoothMax(double a, double b, double k)
{
    return -SmoothMin(-a, -b, k);
}

// Central-difference gradient of f at p.
template <typename F>
Vec3 GradientOf(const F& f, Vec3 p, double e)
{
    return Vec3{f(p + Vec3{e, 0, 0}) - f(p - Vec3{e, 0, 0}), f(p + Vec3{0, e, 0}) - f(p - Vec3{0, e, 0}),
                f(p + Vec3{0, 0, e}) - f(p - Vec3{0, 0, e})} *
           (1.0 / (2 * e));
}

// One Newton step of p towards the surface f = 0, along the gradient.
template <typename F>
Vec3 NewtonStep(const F& f, Vec3 p, double e)
{
    const Vec3 g = GradientOf(f, p, e);
    const double l2 = Dot(g, g);
    return l2 > 1e-12 ? p - g * (f(p) / l2) : p;
}

// Signed distance to an ellipsoid, close to exact near its surface however unequal the radii, so
// that an offset of it (the fleece's base) is an even shell.
double Ellipsoid(Vec3 p, Vec3 c, Vec3 r)
{
    const Vec3 d = p - c;
    const double k0 = Length(Vec3{d.x / r.x, d.y / r.y, d.z / r.z});
    const double k1 = Length(Vec3{d.x / (r.x * r.x), d.y / (r.y * r.y), d.z / (r.z * r.z)});
    return k1 > 0 ? k0 * (k0 - 1.0) / k1 : -std::min(r.x, std::min(r.y, r.z));
}

// A capsule whose radius runs from ra at a to rb at b.
double TaperedCapsule(Vec3 p, Vec3 a, Vec3 b, double ra, double rb)
{
    Vec3 pa = p - a, ba = b - a;
    double h = Clamp(Dot(pa, ba) / Dot(ba, ba), 0.0, 1.0);
    return Length(pa - ba * h) - Mix(ra, rb, h);
}

struct Tuft {
    Vec3 c;
    double r;
    Vec3 n;  // outward; a fleece tuft is a little flatter along it than across
};

// The head's frame: s along the face from the poll to the nose, t up from the face, x to the side.
struct HeadFrame {
    Vec3 s = kHeadAxis;
    Vec3 t = Normalize(Cross(kHeadAxis, Vec3{1, 0, 0}));
    Vec3 Point(double x, double up, double along) const { return kPoll + Vec3{x, 0, 0} + t * up + s * along; }
};

class SheepField {
public:
    SheepField()
    {
        PlaceFleeceTufts();
        // A cap of wool on the poll, between the ears.
        const HeadFrame f;
        for (double x : {-0.03, 0.03})
            tufts_.push_back({f.Point(x, 0.0, -0.005), 0.036, f.t});
        tufts_.push_back({f.Point(0, 0.012, 0.03), 0.034, f.t});
        // The tail: a short woolly stub hanging at the rump.
        tufts_.push_back({{0, 0.1, -0.66}, 0.05, {0, 0, -1}});
        tufts_.push_back({{0, 0.04, -0.69}, 0.045, {0, 0, -1}});
    }

    double operator()(Vec3 p) const { return SmoothMin(Fleece(p), Head(p), 0.035); }

private:
    // The surface the fleece tufts sit on: body and neck.
    static double WoolBase(Vec3 p)
    {
        double body = Ellipsoid(p, kBodyCentre, kBodyRadii);
        double neck = TaperedCapsule(p, kNeckFrom, kNeckTo, kNeckRadius, kNeckRadius * 0.8);
        return SmoothMin(body, neck, 0.08);
    }

    static Vec3 OntoWoolBase(Vec3 p)
    {
        for (int i = 0; i < 5; ++i)
            p = NewtonStep(WoolBase, p, 1e-4);
        return p;
    }

    // Bare skin from the poll forward: the face and the front of the head.
    static bool OnFace(Vec3 p) { return Dot(p - kPoll, HeadFrame{}.s) > -0.005 && p.z > 0.49; }

    void PlaceFleeceTufts()
    {
        // Dart throwing on the base surface (candidates from a thin shell around it, pulled onto it,
        // kept when no centre so far is nearer than the closest spacing), then a few rounds of
        // pushing near neighbours apart along the surface, so that the tufts lie evenly: every one
        // overlaps its neighbours a little and a crease of about the same depth runs between them.
        Random rng(8);
        const Vec3 lo{-0.3, -0.3, -0.68}, hi{0.3, 0.38, 0.66};
        std::vector<Vec3> centres;
        for (int attempt = 0; attempt < 300000; ++attempt) {
            Vec3 p{rng.Range(lo.x, hi.x), rng.Range(lo.y, hi.y), rng.Range(lo.z, hi.z)};
            if (std::fabs(WoolBase(p)) > 0.03)
                continue;
            p = OntoWoolBase(p);
            if (std::fabs(WoolBase(p)) > 1e-4 || OnFace(p))
                continue;
            bool free = true;
            for (const Vec3& c : centres) {
                if (Length(c - p) < kTuftClosest) {
                    free = false;
                    break;
                }
            }
            if (free)
                centres.push_back(p);
        }
        for (int round = 0; round < 30; ++round) {
            std::vector<Vec3> moved = centres;
            for (size_t i = 0; i < centres.size(); ++i) {
                Vec3 push{};
                for (size_t j = 0; j < centres.size(); ++j) {
                    const Vec3 d = centres[i] - centres[j];
                    const double l = Length(d);
                    if (j != i && l < kTuftSpacing && l > 1e-9)
                        push += d * ((kTuftSpacing - l) / l);
                }
                moved[i] = OntoWoolBase(centres[i] + push * 0.25);
            }
            centres = moved;
        }
        for (const Vec3& c : centres) {
            if (OnFace(c))
                continue;
            tufts_.push_back({c, rng.Range(kTuftRadiusMin, kTuftRadiusMax), Normalize(GradientOf(WoolBase, c, 1e-4))});
        }
    }

    double Fleece(Vec3 p) const
    {
        double tufts = 1.0;
        for (const Tuft& t : tufts_) {
            Vec3 q = p - t.c;
            if (std::fabs(q.x) > t.r + 0.05 || std::fabs(q.y) > t.r + 0.05 || std::fabs(q.z) > t.r + 0.05)
                continue;
            const double along = Dot(q, t.n);
            tufts = SmoothMin(tufts, Length(q + t.n * (along * 0.3)) - t.r, kTuftBlend);
        }
        // The base stays a little under the tufts, filling any gap between them; it meets them in a
        // rounder fillet than they meet each other, deep in the gaps where nobody looks.
        const double d = SmoothMin(WoolBase(p) + 0.03, tufts, 0.03);
        // Curls: a fine ripple over the wool breaks each tuft's highlight into glints.
        const double curl = stb_perlin_noise3(static_cast<float>(p.x * 22), static_cast<float>(p.y * 22),
                                              static_cast<float>(p.z * 22), 0, 0, 0);
        return d - 0.007 * curl;
    }

    static double Head(Vec3 p)
    {
        const HeadFrame f;
        Vec3 q = p - kPoll;
        double x = q.x, up = Dot(q, f.t), along = Dot(q, f.s);
        // Skull: rounded, widest behind the eyes.
        double skull = Ellipsoid({x, up, along}, {0, -0.04, 0.065}, {0.072, 0.07, 0.095});
        // Cheeks and jaw: the head is deepest at the back, below the eyes.
        double jaw = Ellipsoid({x, up, along}, {0, -0.1, 0.06}, {0.052, 0.06, 0.08});
        // Snout: narrower and tapering to the nose; taller than wide.
        Vec3 local{x * 1.2, up, along};
        double snout = TaperedCapsule(local, {0, -0.06, 0.09}, {0, -0.055, 0.2}, 0.064, 0.047);
        double head = SmoothMin(SmoothMin(skull, jaw, 0.04), snout, 0.04);
        // The face: a flat plane from the brow down the bridge of the nose.
        head = SmoothMax(head, up - 0.005 + 0.05 * Clamp(along / 0.24, 0.0, 1.0), 0.015);
        // The nose: cut square at the front.
        head = SmoothMax(head, along - 0.235, 0.012);
        // Eyes standing a little proud on either side of the brow.
        for (double side : {-1.0, 1.0}) {
            head = SmoothMin(head, Length(Vec3{x - side * 0.066, up + 0.012, along - 0.09}) - 0.02, 0.01);
        }
        return head;
    }

    std::vector<Tuft> tufts_;
};

// Adds a triangle of the surface nets, wound to face `out` (the side the grid says is outside), and
// drops it when it has no area. Moving the vertices towards the surface can fold a small triangle in a
// crease, or leave one whose corners' normals lean away from the way it faces; such a triangle is
// turned to face out and gets corners of its own with its own normal, so it is lit as it faces.
void AddWoundTriangle(MeshGroup& g, uint32_t a, uint32_t b, uint32_t c, Vec3 out)
{
    Vec3 pa = g.vertices[a].position, pb = g.vertices[b].position, pc = g.vertices[c].position;
    Vec3 n = Cross(pb - pa, pc - pa);
    if (Length(n) < 1e-12)
        return;
    if (Dot(n, out) < 0) {
        std::swap(b, c);
        std::swap(pb, pc);
        n = -n;
    }
    if (Dot(n, g.vertices[a].normal + g.vertices[b].normal + g.vertices[c].normal) <= 0) {
        const Vec3 flat = Normalize(n);
        a = g.AddVertex({pa, flat, {0, 0}});
        b = g.AddVertex({pb, flat, {0, 0}});
        c = g.AddVertex({pc, flat, {0, 0}});
    }
    g.triangles.push_back({a, b, c});
}

// Surface nets: one vertex per grid cell the surface passes through, moved onto the surface; one quad
// per grid edge the surface crosses, joining the four cells around that edge.
void Polygonise(MeshGroup& g, const SheepField& field, Vec3 lo, Vec3 hi, double h)
{
    const int nx = static_cast<int>(std::ceil((hi.x - lo.x) / h)), ny = static_cast<int>(std::ceil((hi.y - lo.y) / h)),
              nz = static_cast<int>(std::ceil((hi.z - lo.z) / h));
    auto point = [&](int x, int y, int z) { return lo + Vec3{x * h, y * h, z * h}; };
    auto at = [&](int x, int y, int z) { return (static_cast<size_t>(z) * (ny + 1) + y) * (nx + 1) + x; };
    std::vector<double> values(static_cast<size_t>(nx + 1) * (ny + 1) * (nz + 1));
    for (int z = 0; z <= nz; ++z)
        for (int y = 0; y <= ny; ++y)
            for (int x = 0; x <= nx; ++x)
                values[at(x, y, z)] = field(point(x, y, z));

    static const int corner[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0},
                                     {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
    static const int edge[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                    {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    std::unordered_map<size_t, uint32_t> cellVertex;
    auto vertexOf = [&](int x, int y, int z) -> uint32_t {
        const size_t key = at(x, y, z);
        auto it = cellVertex.find(key);
        if (it != cellVertex.end())
            return it->second;
        double v[8];
        for (int k = 0; k < 8; ++k)
            v[k] = values[at(x + corner[k][0], y + corner[k][1], z + corner[k][2])];
        Vec3 sum{};
        int crossings = 0;
        for (const auto& e : edge) {
            if ((v[e[0]] < 0) == (v[e[1]] < 0))
                continue;
            const double t = v[e[0]] / (v[e[0]] - v[e[1]]);
            const Vec3 a{double(corner[e[0]][0]), double(corner[e[0]][1]), double(corner[e[0]][2])};
            const Vec3 b{double(corner[e[1]][0]), double(corner[e[1]][1]), double(corner[e[1]][2])};
            sum += Lerp(a, b, t);
            ++crossings;
        }
        Vec3 p = point(x, y, z) + sum * (h / crossings);
        // Towards the surface by one Newton step, staying near the cell: flat parts such as the face
        // come out flat; more steps would pull vertices into the creases between tufts, as spikes.
        const Vec3 margin{h * 0.25, h * 0.25, h * 0.25};
        const Vec3 cellLo = point(x, y, z) - margin, cellHi = point(x + 1, y + 1, z + 1) + margin;
        p = NewtonStep(field, p, h * 0.25);
        p = {Clamp(p.x, cellLo.x, cellHi.x), Clamp(p.y, cellLo.y, cellHi.y), Clamp(p.z, cellLo.z, cellHi.z)};
        const uint32_t index = g.AddVertex({p, Normalize(GradientOf(field, p, h * 0.25)), {0, 0}});
        cellVertex.emplace(key, index);
        return index;
    };

    // For an edge along axis a from grid point (x, y, z), the four cells around it differ in the two
    // other axes.
    for (int z = 1; z < nz; ++z) {
        for (int y = 1; y < ny; ++y) {
            for (int x = 1; x < nx; ++x) {
                const bool inside = values[at(x, y, z)] < 0;
                const int next[3][3] = {{x + 1, y, z}, {x, y + 1, z}, {x, y, z + 1}};
                for (int a = 0; a < 3; ++a) {
                    if (next[a][0] > nx || next[a][1] > ny || next[a][2] > nz)
                        continue;
                    if ((values[at(next[a][0], next[a][1], next[a][2])] < 0) == inside)
                        continue;
                    int du[3] = {0, 0, 0}, dv[3] = {0, 0, 0};
                    du[(a + 1) % 3] = 1;
                    dv[(a + 2) % 3] = 1;
                    auto cell = [&](int i, int j) {
                        return vertexOf(x - du[0] * i - dv[0] * j, y - du[1] * i - dv[1] * j,
                                        z - du[2] * i - dv[2] * j);
                    };
                    // Taken in this order the four cells turn about +a; the surface faces +a when the
                    // field rises along the edge. The winding comes from the grid, not from the vertex
                    // normals, which can disagree with a small triangle in a crease.
                    uint32_t q[4] = {cell(0, 0), cell(1, 0), cell(1, 1), cell(0, 1)};
                    if (!inside)
                        std::swap(q[1], q[3]);
                    // Split along the diagonal whose two triangles both face the way the surface does
                    // here (+a or -a); a quad bent across the other diagonal would fold one of them.
                    const auto pos = [&](int i) { return g.vertices[q[i]].position; };
                    Vec3 out{};
                    (a == 0 ? out.x : a == 1 ? out.y : out.z) = inside ? 1.0 : -1.0;
                    const auto facing = [&](int i, int j, int k) {
                        return Dot(Cross(pos(j) - pos(i), pos(k) - pos(i)), out);
                    };
                    const double split02 = std::min(facing(0, 1, 2), facing(0, 2, 3));
                    const double split13 = std::min(facing(1, 2, 3), facing(1, 3, 0));
                    if (split02 >= split13) {
                        AddWoundTriangle(g, q[0], q[1], q[2], out);
                        AddWoundTriangle(g, q[0], q[2], q[3], out);
                    } else {
                        AddWoundTriangle(g, q[1], q[2], q[3], out);
                        AddWoundTriangle(g, q[1], q[3], q[0], out);
                    }
                }
            }
        }
    }
}

// A closed surface of revolution about `axis` through `base`, flattened across `flat` (a unit vector
// perpendicular to the axis) by `flatScale`; profile points are (radius, distance along the axis),
// closed where the radius is zero. Normals follow the flattening (inverse transpose).
void AddFlattenedLathe(MeshGroup& g, Vec3 base, Vec3 axis, Vec3 flat, double flatScale,
                       const std::vector<Vec2>& profile, int segments)
{
    const Vec3 other = Cross(axis, flat);
    const size_t n = profile.size();
    std::vector<std::vector<uint32_t>> rings(n);
    for (size_t i = 0; i < n; ++i) {
        const Vec2 d = i == 0       ? profile[1] - profile[0]
                       : i == n - 1 ? profile[i] - profile[i - 1]
                                    : profile[i + 1] - profile[i - 1];
        Vec2 pn = Normalize(Vec2{d.y, -d.x});  // outward in the (radius, along) plane
        for (int s = 0; s < segments; ++s) {
            const double a = 2 * kPi * s / segments;
            const double cf = std::cos(a), co = std::sin(a);
            Vec3 p = base + axis * profile[i].y + flat * (cf * profile[i].x * flatScale) + other * (co * profile[i].x);
            Vec3 nrm = axis * pn.y + flat * (cf * pn.x / flatScale) + other * (co * pn.x);
            rings[i].push_back(g.AddVertex({p, Normalize(nrm), {0, 0}}));
        }
    }
    for (size_t i = 1; i < n; ++i) {
        for (int s = 0; s < segments; ++s) {
            const int t = (s + 1) % segments;
            if (profile[i - 1].x > 1e-9)
                g.AddTriangle(rings[i - 1][s], rings[i - 1][t], rings[i][t]);
            if (profile[i].x > 1e-9)
                g.AddTriangle(rings[i - 1][s], rings[i][t], rings[i][s]);
        }
    }
}

// An ear: a leaf, thin across and pointed, from the side of the poll out and a little down and back.
void AddEar(MeshGroup& g, double side)
{
    const HeadFrame f;
    const Vec3 root = f.Point(side * 0.045, 0.0, 0.045);
    const Vec3 axis = Normalize(Vec3{side, -0.22, -0.12});
    // Its broad side faces forward and a little down, as a sheep holds its ears.
    const Vec3 facing{0, -0.35, 1};
    const Vec3 flat = Normalize(facing - axis * Dot(facing, axis));
    const std::vector<Vec2> profile = {{0, -0.01},    {0.02, 0.0},    {0.035, 0.035}, {0.042, 0.075},
                                       {0.039, 0.11}, {0.028, 0.145}, {0.013, 0.168}, {0, 0.18}};
    AddFlattenedLathe(g, root, axis, flat, 0.4, profile, 14);
}

// A leg: a tapering tube from inside the fleece through the knee to the fetlock, on a hoof with a
// flat sole. `stride` swings it forward (positive) or back about its top.
void AddLeg(MeshGroup& g, double x, double z, double stride, bool hind)
{
    const double top = -0.12, knee = hind ? -0.34 : -0.36, fetlock = kGround + 0.045;
    const double lean = std::tan(stride);
    auto at = [&](double y, double back) { return Vec3{x, y, z + (top - y) * lean + back}; };
    // Hind legs bend back at the hock, forelegs run nearly straight.
    const double hock = hind ? -0.03 : 0.0;
    std::vector<Vec3> path = {at(top, 0), at(-0.24, hind ? -0.01 : 0), at(knee, hock), at(fetlock, hock * 0.3)};
    std::vector<double> radius = {0.045, 0.03, 0.024, 0.019};
    AddTube(g, path, radius, 10, false, false, 1.0);
    // The hoof: a short cone widening to the sole, its top hidden inside the fetlock.
    const Vec3 foot = path.back();
    Frame frame;
    frame.origin = {foot.x, kGround, foot.z + 0.004};
    const std::vector<Vec2> hoof = {{0.0, 0.0},    {0.03, 0.0},   {0.031, 0.006},
                                    {0.027, 0.04}, {0.02, 0.055}, {0.0, 0.056}};
    AddLathe(g, frame, hoof, 12, 1.0, 1.0);
}

}  // namespace

Mesh BuildSheepMesh()
{
    Mesh mesh;
    MeshGroup& g = mesh.Begin("Sheep", "Wool");
    const SheepField field;
    Polygonise(g, field, {-0.34, -0.34, -0.8}, {0.34, 0.42, 0.9}, 0.02);
    AddEar(g, 1.0);
    AddEar(g, -1.0);
    // Walking: the diagonal pairs swing together.
    AddLeg(g, 0.085, 0.32, 0.12, false);
    AddLeg(g, -0.085, 0.32, -0.1, false);
    AddLeg(g, 0.085, -0.38, -0.1, true);
    AddLeg(g, -0.085, -0.38, 0.12, true);
    return mesh;
}

}  // namespace resgen
