// The sheep: an implicit surface (wool bumps smoothly merged over an ellipsoid body, head, ears,
// legs, tail) polygonised with marching tetrahedra. Head towards +z, about 1.2 units long.
#include <cmath>
#include <map>
#include <vector>

#include <stb_perlin.h>

#include "tools/resgen/Models.h"
#include "tools/resgen/Random.h"

namespace resgen {

namespace {

double SmoothMin(double a, double b, double k) {
    double h = Clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return Mix(b, a, h) - k * h * (1.0 - h);
}

double Ellipsoid(Vec3 p, Vec3 c, Vec3 r) {
    Vec3 q{(p.x - c.x) / r.x, (p.y - c.y) / r.y, (p.z - c.z) / r.z};
    double minR = std::min(r.x, std::min(r.y, r.z));
    return (Length(q) - 1.0) * minR;
}

double Capsule(Vec3 p, Vec3 a, Vec3 b, double r) {
    Vec3 pa = p - a, ba = b - a;
    double h = Clamp(Dot(pa, ba) / Dot(ba, ba), 0.0, 1.0);
    return Length(pa - ba * h) - r;
}

struct Bump {
    Vec3 c;
    double r;
};

class SheepField {
public:
    SheepField() {
        // Wool tufts over the body's upper surface and a cap on the head.
        Random rng(8);
        const Vec3 bodyC{0, 0.05, -0.05}, bodyR{0.3, 0.27, 0.42};
        const int count = 230;
        for (int i = 0; i < count; ++i) {
            double y = 1.0 - 2.0 * (i + 0.5) / count;
            double r = std::sqrt(1 - y * y);
            double a = i * 2.399963;
            Vec3 d{r * std::cos(a), y, r * std::sin(a)};
            if (d.y < -0.55) continue; // belly stays smooth
            // Tufts sit a little proud of the body so the fleece reads as curls.
            Vec3 c{bodyC.x + d.x * (bodyR.x + 0.025), bodyC.y + d.y * (bodyR.y + 0.025), bodyC.z + d.z * (bodyR.z + 0.025)};
            bumps_.push_back({c, 0.065 + 0.035 * rng.Uniform()});
        }
        for (int i = 0; i < 7; ++i) {
            double a = i * 0.9;
            bumps_.push_back({{0.05 * std::cos(a), 0.31 + 0.02 * std::sin(a * 3), 0.4 + 0.05 * std::sin(a)}, 0.06});
        }
    }

    double Wool(Vec3 p) const {
        double d = Ellipsoid(p, {0, 0.05, -0.05}, {0.3, 0.27, 0.42});
        for (const Bump& b : bumps_) {
            double e = Length(p - b.c) - b.r;
            if (e < d + 0.1) d = SmoothMin(d, e, 0.025);
        }
        double n = stb_perlin_noise3(static_cast<float>(p.x * 28), static_cast<float>(p.y * 28),
                                     static_cast<float>(p.z * 28), 0, 0, 0);
        return d - 0.008 * n;
    }

    double operator()(Vec3 p) const {
        double d = Wool(p);
        // Head, snout, ears and eyes.
        double head = Ellipsoid(p, {0, 0.2, 0.46}, {0.1, 0.12, 0.15});
        head = SmoothMin(head, Ellipsoid(p, {0, 0.15, 0.6}, {0.075, 0.07, 0.08}), 0.05);
        double ears = std::min(Ellipsoid(p, {0.15, 0.25, 0.42}, {0.08, 0.022, 0.035}),
                               Ellipsoid(p, {-0.15, 0.25, 0.42}, {0.08, 0.022, 0.035}));
        head = SmoothMin(head, ears, 0.02);
        head = std::min(head, std::min(Length(p - Vec3{0.07, 0.23, 0.56}) - 0.022,
                                       Length(p - Vec3{-0.07, 0.23, 0.56}) - 0.022));
        double neck = Capsule(p, {0, 0.1, 0.25}, {0, 0.18, 0.42}, 0.09);
        d = SmoothMin(d, SmoothMin(head, neck, 0.05), 0.04);
        // Legs with small hooves.
        double legs = 1e9;
        for (double x : {-0.14, 0.14}) {
            for (double z : {-0.28, 0.22}) {
                legs = std::min(legs, Capsule(p, {x, -0.1, z}, {x, -0.5, z}, 0.045));
                legs = std::min(legs, Ellipsoid(p, {x, -0.52, z + 0.01}, {0.055, 0.035, 0.065}));
            }
        }
        d = SmoothMin(d, legs, 0.03);
        d = SmoothMin(d, Length(p - Vec3{0, 0.12, -0.5}) - 0.065, 0.03); // tail
        return d;
    }

private:
    std::vector<Bump> bumps_;
};

} // namespace

Mesh BuildSheepMesh() {
    Mesh mesh;
    MeshGroup& g = mesh.Begin("Sheep", "Wool");
    SheepField field;
    const double h = 0.036;
    const Vec3 lo{-0.42, -0.6, -0.62};
    const int nx = static_cast<int>(std::ceil(0.84 / h)), ny = static_cast<int>(std::ceil(1.0 / h)),
              nz = static_cast<int>(std::ceil(1.36 / h));
    auto idx = [&](int x, int y, int z) { return (static_cast<int64_t>(z) * (ny + 1) + y) * (nx + 1) + x; };
    std::vector<double> values(static_cast<size_t>((nx + 1) * (ny + 1) * (nz + 1)));
    for (int z = 0; z <= nz; ++z)
        for (int y = 0; y <= ny; ++y)
            for (int x = 0; x <= nx; ++x) values[idx(x, y, z)] = field(lo + Vec3{x * h, y * h, z * h});
    auto pointOf = [&](int64_t i) {
        int64_t x = i % (nx + 1), y = (i / (nx + 1)) % (ny + 1), z = i / ((nx + 1) * (ny + 1));
        return lo + Vec3{x * h, y * h, z * h};
    };
    std::map<std::pair<int64_t, int64_t>, uint32_t> edgeVertex;
    auto vertexOn = [&](int64_t a, int64_t b) {
        if (a > b) std::swap(a, b);
        auto key = std::make_pair(a, b);
        auto it = edgeVertex.find(key);
        if (it != edgeVertex.end()) return it->second;
        double va = values[a], vb = values[b];
        double t = va / (va - vb);
        Vec3 p = Lerp(pointOf(a), pointOf(b), t);
        const double e = 0.002;
        Vec3 n = Normalize(Vec3{field(p + Vec3{e, 0, 0}) - field(p - Vec3{e, 0, 0}),
                                field(p + Vec3{0, e, 0}) - field(p - Vec3{0, e, 0}),
                                field(p + Vec3{0, 0, e}) - field(p - Vec3{0, 0, e})});
        uint32_t v = g.AddVertex({p, n, {0, 0}});
        edgeVertex.emplace(key, v);
        return v;
    };
    // Six tetrahedra around the cube diagonal 0-6; neighbouring cubes split shared faces alike.
    static const int corner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                     {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    static const int tets[6][4] = {{0, 5, 1, 6}, {0, 1, 2, 6}, {0, 2, 3, 6},
                                   {0, 3, 7, 6}, {0, 7, 4, 6}, {0, 4, 5, 6}};
    for (int z = 0; z < nz; ++z) {
        for (int y = 0; y < ny; ++y) {
            for (int x = 0; x < nx; ++x) {
                int64_t c[8];
                bool anyIn = false, anyOut = false;
                for (int k = 0; k < 8; ++k) {
                    c[k] = idx(x + corner[k][0], y + corner[k][1], z + corner[k][2]);
                    (values[c[k]] < 0 ? anyIn : anyOut) = true;
                }
                if (!anyIn || !anyOut) continue;
                for (const auto& t : tets) {
                    int64_t in[4], out[4];
                    int ni = 0, no = 0;
                    for (int k = 0; k < 4; ++k) {
                        int64_t v = c[t[k]];
                        if (values[v] < 0) in[ni++] = v;
                        else out[no++] = v;
                    }
                    if (ni == 0 || no == 0) continue;
                    if (ni == 1 || no == 1) {
                        int64_t apex = ni == 1 ? in[0] : out[0];
                        const int64_t* others = ni == 1 ? out : in;
                        g.AddTriangle(vertexOn(apex, others[0]), vertexOn(apex, others[1]), vertexOn(apex, others[2]));
                    } else {
                        uint32_t a = vertexOn(in[0], out[0]), b = vertexOn(in[0], out[1]);
                        uint32_t cc = vertexOn(in[1], out[1]), d = vertexOn(in[1], out[0]);
                        g.AddTriangle(a, b, cc);
                        g.AddTriangle(a, cc, d);
                    }
                }
            }
        }
    }
    return mesh;
}

} // namespace resgen
