#include "tools/resgen/SkyCubemap.h"

#include <cmath>

#include <stb_perlin.h>

#include "tools/resgen/Random.h"

namespace resgen {

Vec3 CubeFaceDirection(int face, double x, double y, int size)
{
    double s = 2.0 * (x + 0.5) / size - 1.0;
    double t = 2.0 * (y + 0.5) / size - 1.0;
    switch (face) {
    case 0: return Normalize({1, -t, -s});
    case 1: return Normalize({-1, -t, s});
    case 2: return Normalize({s, 1, t});
    case 3: return Normalize({s, -1, -t});
    case 4: return Normalize({s, -t, 1});
    default: return Normalize({-s, -t, -1});
    }
}

namespace {

Vec3 SkyColour(Vec3 d)
{
    const double h = d.y;
    Vec3 zenith{0.015, 0.025, 0.09};
    Vec3 mid{0.06, 0.07, 0.22};
    Vec3 horizon{0.55, 0.28, 0.22};
    Vec3 ground{0.03, 0.03, 0.05};
    // The warm glow is strongest towards the sunset direction.
    Vec3 sunDir = Normalize(Vec3{-0.6, 0.0, -0.8});
    double towardsSun = 0.5 + 0.5 * Dot(Normalize(Vec3{d.x, 0, d.z}), sunDir);
    Vec3 c;
    if (h >= 0) {
        double a = Smoothstep(0.0, 0.35, h);
        double b = Smoothstep(0.25, 1.0, h);
        Vec3 glow = Lerp(horizon * (0.5 + 0.5 * towardsSun), mid, a);
        c = Lerp(glow, zenith, b);
    } else {
        double a = Smoothstep(0.0, -0.25, h);
        c = Lerp(horizon * (0.25 + 0.3 * towardsSun), ground, a);
    }
    // Thin clouds near the horizon, lit from below by the glow.
    double n = stb_perlin_fbm_noise3(static_cast<float>(d.x * 3), static_cast<float>(d.y * 12),
                                     static_cast<float>(d.z * 3), 2.0f, 0.5f, 5);
    double band = Smoothstep(0.02, 0.1, h) * Smoothstep(0.4, 0.15, h);
    double cloud = Smoothstep(0.05, 0.45, n) * band;
    c = Lerp(c, Vec3{0.3, 0.16, 0.2} * (0.4 + 0.6 * towardsSun), cloud * 0.7);
    return c;
}

}  // namespace

std::array<Image, 6> MakeSkyCube(int size)
{
    // Stars are points on the sphere, splatted onto whichever face they fall on, so they stay
    // consistent across face edges.
    struct Star {
        Vec3 dir;
        double brightness;
        Vec3 tint;
    };
    std::vector<Star> stars;
    Random rng(20261207);
    for (int i = 0; i < 3000; ++i) {
        double z = rng.Range(-1, 1), a = rng.Range(0, 2 * kPi);
        double r = std::sqrt(1 - z * z);
        Vec3 d{r * std::cos(a), z, r * std::sin(a)};
        double b = std::pow(rng.Uniform(), 6.0) * 1.6 + 0.08;
        double warm = rng.Uniform();
        stars.push_back({d, b, {0.85 + 0.15 * warm, 0.88, 1.0 - 0.2 * warm}});
    }
    const Vec3 moonDir = Normalize(Vec3{0.35, 0.42, -0.84});
    std::array<Image, 6> faces;
    for (int f = 0; f < 6; ++f) {
        Image img(size, size, 4);
        std::vector<Vec3> acc(static_cast<size_t>(size) * size);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                Vec3 d = CubeFaceDirection(f, x, y, size);
                Vec3 c = SkyColour(d);
                double m = Dot(d, moonDir);
                double moon = Smoothstep(0.99955, 0.99965, m);
                double halo = std::pow(std::max(0.0, m), 400.0) * 0.25;
                double craters = stb_perlin_fbm_noise3(static_cast<float>(d.x * 200), static_cast<float>(d.y * 200),
                                                       static_cast<float>(d.z * 200), 2.0f, 0.5f, 3);
                c = c + Vec3{0.8, 0.85, 0.9} * halo;
                c = Lerp(c, Vec3{0.95, 0.93, 0.85} * (0.85 + 0.3 * craters), moon);
                acc[static_cast<size_t>(y) * size + x] = c;
            }
        }
        for (const Star& s : stars) {
            if (s.dir.y < -0.02)
                continue;  // none below the horizon
            // Which face and where: the major axis picks the face.
            Vec3 d = s.dir;
            double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
            int face;
            double sc, tc, ma;
            if (ax >= ay && ax >= az) {
                face = d.x > 0 ? 0 : 1;
                ma = ax;
                sc = d.x > 0 ? -d.z : d.z;
                tc = -d.y;
            } else if (ay >= az) {
                face = d.y > 0 ? 2 : 3;
                ma = ay;
                sc = d.x;
                tc = d.y > 0 ? d.z : -d.z;
            } else {
                face = d.z > 0 ? 4 : 5;
                ma = az;
                sc = d.z > 0 ? d.x : -d.x;
                tc = -d.y;
            }
            if (face != f)
                continue;
            double px = (sc / ma + 1) * 0.5 * size - 0.5, py = (tc / ma + 1) * 0.5 * size - 0.5;
            double fade = Smoothstep(-0.02, 0.25, d.y);
            for (int oy = -2; oy <= 2; ++oy) {
                for (int ox = -2; ox <= 2; ++ox) {
                    int ix = static_cast<int>(std::floor(px)) + ox, iy = static_cast<int>(std::floor(py)) + oy;
                    if (ix < 0 || iy < 0 || ix >= size || iy >= size)
                        continue;
                    double dx = ix - px, dy = iy - py;
                    double w = std::exp(-(dx * dx + dy * dy) / 0.6) * s.brightness * fade;
                    acc[static_cast<size_t>(iy) * size + ix] += s.tint * w;
                }
            }
        }
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                Vec3 c = acc[static_cast<size_t>(y) * size + x];
                uint8_t* p = img.At(x, y);
                // A gentle curve keeps the dark sky from banding.
                p[0] = static_cast<uint8_t>(std::lround(Clamp(std::pow(c.x, 1 / 1.1), 0, 1) * 255));
                p[1] = static_cast<uint8_t>(std::lround(Clamp(std::pow(c.y, 1 / 1.1), 0, 1) * 255));
                p[2] = static_cast<uint8_t>(std::lround(Clamp(std::pow(c.z, 1 / 1.1), 0, 1) * 255));
                p[3] = 255;
            }
        }
        faces[f] = std::move(img);
    }
    return faces;
}

}  // namespace resgen
