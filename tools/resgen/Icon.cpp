#include "tools/resgen/Icon.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "tools/resgen/Models.h"

namespace resgen {

namespace {

// Each icon pixel averages kSamples x kSamples samples, which smooths the mesh's edges and the tile's.
constexpr int kSamples = 4;

struct ScreenVertex {
    double x, y, z;  // samples from the left and top; depth grows away from the viewer
    Vec3 normal;     // in view space
};

// A turn about y, then a tilt about x, so the sheep is seen from the front left and a little above.
Vec3 ToView(Vec3 p)
{
    const double yaw = -2.35, pitch = 0.32;
    const Vec3 r{p.x * std::cos(yaw) + p.z * std::sin(yaw), p.y, -p.x * std::sin(yaw) + p.z * std::cos(yaw)};
    return {r.x, r.y * std::cos(pitch) - r.z * std::sin(pitch), r.y * std::sin(pitch) + r.z * std::cos(pitch)};
}

// Distance from a point (in units of the tile's half width, centred) to the rounded square's edge:
// negative inside.
double TileDistance(double x, double y)
{
    const double half = 0.92, radius = 0.3;
    const double qx = std::fabs(x) - (half - radius), qy = std::fabs(y) - (half - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

Vec3 Shade(Vec3 normal)
{
    const Vec3 wool{0.88, 0.87, 0.9};
    const Vec3 key = Normalize(Vec3{-0.5, 0.7, -0.6});  // towards the light, in view space
    const double diffuse = std::max(0.0, Dot(normal, key));
    const double rim = std::pow(1.0 - std::fabs(normal.z), 3.0);  // edges glow as in the show's sky light
    Vec3 c = wool * (0.28 + 0.8 * diffuse);
    c += Vec3{0.35, 0.6, 0.9} * (0.45 * rim);
    return c;
}

Vec3 Background(double x, double y)
{
    // Night blue at the top to the show's teal near the bottom, with a soft light behind the sheep.
    const double t = Clamp((y + 1.0) * 0.5, 0.0, 1.0);
    Vec3 c = Lerp(Vec3{0.03, 0.06, 0.16}, Vec3{0.05, 0.3, 0.38}, t);
    const double glow = std::exp(-3.0 * (x * x + (y + 0.1) * (y + 0.1)));
    return c + Vec3{0.1, 0.16, 0.24} * glow;
}

}  // namespace

Image RenderIcon(int size)
{
    if (size < 16 || size > 1024) {
        throw std::runtime_error("icon size " + std::to_string(size) + " is outside 16 to 1024");
    }
    const int n = size * kSamples;
    const Mesh mesh = BuildSheepMesh();

    // Fit the sheep's view-space bounds into the middle of the tile.
    Vec3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (const MeshGroup& g : mesh.groups) {
        for (const MeshVertex& v : g.vertices) {
            const Vec3 p = ToView(v.position);
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
    }
    const double scale = 0.74 * n / std::max(hi.x - lo.x, hi.y - lo.y);
    const Vec3 centre = (lo + hi) * 0.5;

    std::vector<Vec3> colour(static_cast<size_t>(n) * n);
    std::vector<double> depth(colour.size(), std::numeric_limits<double>::infinity());
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            colour[static_cast<size_t>(y) * n + x] = Background(2.0 * (x + 0.5) / n - 1.0, 2.0 * (y + 0.5) / n - 1.0);
        }
    }

    // Depth-buffered triangles with normals interpolated across them; either winding is drawn.
    for (const MeshGroup& g : mesh.groups) {
        std::vector<ScreenVertex> sv;
        sv.reserve(g.vertices.size());
        for (const MeshVertex& v : g.vertices) {
            const Vec3 p = ToView(v.position) - centre;
            sv.push_back({n * 0.5 + p.x * scale, n * 0.53 - p.y * scale, p.z, Normalize(ToView(v.normal))});
        }
        for (const auto& tri : g.triangles) {
            const ScreenVertex &a = sv[tri[0]], &b = sv[tri[1]], &c = sv[tri[2]];
            const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
            if (std::fabs(area) < 1e-12) {
                continue;
            }
            const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
            const int x1 = std::min(n - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
            const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
            const int y1 = std::min(n - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    const double px = x + 0.5, py = y + 0.5;
                    const double wa = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
                    const double wb = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
                    const double wc = 1.0 - wa - wb;
                    if (wa < 0 || wb < 0 || wc < 0) {
                        continue;
                    }
                    const double z = wa * a.z + wb * b.z + wc * c.z;
                    const size_t i = static_cast<size_t>(y) * n + x;
                    if (z >= depth[i]) {
                        continue;
                    }
                    depth[i] = z;
                    Vec3 normal = Normalize(a.normal * wa + b.normal * wb + c.normal * wc);
                    if (normal.z > 0) {
                        normal = -normal;  // the side facing the viewer
                    }
                    colour[i] = Shade(normal);
                }
            }
        }
    }

    Image icon(size, size, 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Vec3 sum{};
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const int X = x * kSamples + sx, Y = y * kSamples + sy;
                    if (TileDistance(2.0 * (X + 0.5) / n - 1.0, 2.0 * (Y + 0.5) / n - 1.0) > 0) {
                        continue;
                    }
                    sum += colour[static_cast<size_t>(Y) * n + X];
                    ++inside;
                }
            }
            uint8_t* out = icon.At(x, y);
            if (inside == 0) {
                continue;  // clear
            }
            // Straight (not premultiplied) alpha, as PNG stores it.
            for (int k = 0; k < 3; ++k) {
                const double v = (k == 0 ? sum.x : k == 1 ? sum.y : sum.z) / inside;
                out[k] = static_cast<uint8_t>(std::lround(255.0 * std::pow(Clamp(v, 0.0, 1.0), 1.0 / 2.2)));
            }
            out[3] = static_cast<uint8_t>(std::lround(255.0 * inside / (kSamples * kSamples)));
        }
    }
    return icon;
}

}  // namespace resgen
