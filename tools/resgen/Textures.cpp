#include "tools/resgen/Textures.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#include <stb_perlin.h>

#include "tools/resgen/ImageWriter.h"
#include "tools/resgen/Random.h"
#include "tools/resgen/VecMath.h"

namespace resgen {

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;
};
Rgb operator*(Rgb a, double s)
{
    return {a.r * s, a.g * s, a.b * s};
}
Rgb operator+(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb MixRgb(Rgb a, Rgb b, double t)
{
    return a * (1 - t) + b * t;
}

// Tileable noise over the unit square: freq must be a power of two up to 256.
double Noise(double u, double v, int freq, int seed)
{
    return stb_perlin_noise3_seed(static_cast<float>(u * freq), static_cast<float>(v * freq),
                                  static_cast<float>(seed) * 0.618f, freq, freq, 0, seed);
}

double Fbm(double u, double v, int freq, int octaves, int seed, double gain = 0.5)
{
    double sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves && freq <= 256; ++i) {
        sum += amp * Noise(u, v, freq, seed + i * 17);
        norm += amp;
        amp *= gain;
        freq *= 2;
    }
    return sum / norm;  // about -0.7..0.7
}

// Distance to the nearest cell border of an n x n grid, in cell units (0 at the border, 0.5 at centre).
double CellEdge(double u, double v, double n)
{
    double fu = u * n - std::floor(u * n), fv = v * n - std::floor(v * n);
    return std::min(std::min(fu, 1 - fu), std::min(fv, 1 - fv));
}

struct Texel {
    double height = 0;  // 0..1
    Rgb colour;
    double alpha = 1;
};

using TexelFn = std::function<Texel(double u, double v)>;

struct Field {
    int size = 0;
    std::vector<Texel> texels;
};

Field Evaluate(int size, const TexelFn& fn)
{
    Field f;
    f.size = size;
    f.texels.resize(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            f.texels[static_cast<size_t>(y) * size + x] = fn((x + 0.5) / size, (y + 0.5) / size);
    return f;
}

uint8_t ToByte(double v)
{
    return static_cast<uint8_t>(std::lround(Clamp(v, 0.0, 1.0) * 255.0));
}

Image ColourImage(const Field& f, int channels)
{
    Image img(f.size, f.size, channels);
    for (int y = 0; y < f.size; ++y) {
        for (int x = 0; x < f.size; ++x) {
            const Texel& t = f.texels[static_cast<size_t>(y) * f.size + x];
            uint8_t* p = img.At(x, y);
            p[0] = ToByte(t.colour.r);
            p[1] = ToByte(t.colour.g);
            p[2] = ToByte(t.colour.b);
            if (channels == 4)
                p[3] = ToByte(t.alpha);
        }
    }
    return img;
}

// Tangent-space normals from the height field; strength is the height of 1.0 in texels. Green
// points down the image (along +v): the normal-mapping shader builds its bitangent as
// cross(normal, tangent), which is +v for the models' texture layout.
Image NormalImage(const Field& f, double strength, int channels, bool alphaFromField = false)
{
    Image img(f.size, f.size, channels);
    const int n = f.size;
    auto h = [&](int x, int y) { return f.texels[static_cast<size_t>((y + n) % n) * n + (x + n) % n].height; };
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double dx = (h(x + 1, y) - h(x - 1, y)) * 0.5 * strength;
            double dy = (h(x, y + 1) - h(x, y - 1)) * 0.5 * strength;  // image y runs down
            Vec3 nrm = Normalize(Vec3{-dx, -dy, 1.0});
            uint8_t* p = img.At(x, y);
            p[0] = ToByte(nrm.x * 0.5 + 0.5);
            p[1] = ToByte(nrm.y * 0.5 + 0.5);
            p[2] = ToByte(nrm.z * 0.5 + 0.5);
            if (channels == 4)
                p[3] = alphaFromField ? ToByte(f.texels[static_cast<size_t>(y) * n + x].alpha) : 255;
        }
    }
    return img;
}

// A colour map and its normal map come from one field; the field is computed once and shared by
// the two jobs, whichever runs first.
struct SharedField {
    std::once_flag once;
    Field field;
    int size;
    TexelFn fn;
    const Field& Get()
    {
        std::call_once(once, [&] { field = Evaluate(size, fn); });
        return field;
    }
};

void AddPair(std::vector<TextureJob>& jobs, const std::string& colourName, const std::string& normalName, int size,
             double strength, TexelFn fn)
{
    auto shared = std::make_shared<SharedField>();
    shared->size = size;
    shared->fn = std::move(fn);
    jobs.push_back(
        {colourName, [shared](const std::string& path) { WriteImage(path, ColourImage(shared->Get(), 3)); }});
    jobs.push_back({normalName, [shared, strength](const std::string& path) {
                        WriteImage(path, NormalImage(shared->Get(), strength, 3));
                    }});
}

// ---- the materials --------------------------------------------------------------------------

Texel GreasyMetal(double u, double v)
{
    Texel t;
    double seam = CellEdge(u, v, 2);  // four panels
    double groove = Smoothstep(0.0, 0.012, seam);
    // Rivets along the panel edges.
    double ru = u * 2 * 8, rv = v * 2 * 8;
    double cu = ru - std::floor(ru) - 0.5, cv = rv - std::floor(rv) - 0.5;
    double rivet = seam < 0.07 && seam > 0.02 ? Smoothstep(0.22, 0.12, std::sqrt(cu * cu + cv * cv)) : 0.0;
    double brushed = Noise(u * 0.25, v, 256, 3) * 0.5 + Noise(u, v, 64, 5) * 0.5;
    double grease = Smoothstep(0.05, 0.4, Fbm(u, v, 4, 5, 11));
    double dents = Fbm(u, v, 8, 4, 21) * 0.15;
    t.height = 0.5 + dents + brushed * 0.03 - (1 - groove) * 0.35 + rivet * 0.25;
    Rgb steel{0.56, 0.58, 0.6};
    steel = steel * (0.85 + brushed * 0.25 + Fbm(u, v, 16, 3, 7) * 0.2);
    Rgb oil{0.16, 0.13, 0.08};
    t.colour = MixRgb(steel, oil, grease * 0.75);
    t.colour = t.colour * (0.45 + 0.55 * groove) + Rgb{0.1, 0.1, 0.1} * rivet;
    return t;
}

double LeakMask(double u, double v)
{
    // Streaks run down the image from a few sources near the top.
    double m = 0;
    for (int i = 0; i < 9; ++i) {
        double cx = Hash01(i, 1, 77);
        double top = 0.05 + 0.3 * Hash01(i, 2, 77);
        double len = 0.35 + 0.55 * Hash01(i, 3, 77);
        double width = 0.012 + 0.03 * Hash01(i, 4, 77);
        double wobble = Noise(u, v * 0.5, 8, 40 + i) * 0.03;
        double du = std::fabs(std::remainder(u - cx - wobble, 1.0));
        double along = (v - top) / len;
        if (along < 0 || along > 1)
            continue;
        double w = width * (1.0 - 0.6 * along);
        double s = Smoothstep(w, w * 0.3, du) * (1 - along * along);
        m = std::max(m, s);
    }
    double blot = Smoothstep(0.25, 0.45, Fbm(u, v, 4, 4, 91)) * 0.6;
    return Clamp(std::max(m, blot), 0.0, 1.0);
}

Texel LeakDecal(double u, double v)
{
    Texel t;
    double m = LeakMask(u, v);
    double grime = Fbm(u, v, 8, 5, 5);
    Rgb glass{0.55, 0.72, 0.78};
    glass = glass * (0.9 + grime * 0.2);
    Rgb leak{0.32, 0.22, 0.1};
    t.colour = MixRgb(glass, leak, m * 0.85);
    t.height = 0.5 + m * 0.25 + grime * 0.05;
    t.alpha = m;
    return t;
}

Texel SynthRubber(double u, double v)
{
    Texel t;
    double rib = 0.5 + 0.5 * std::cos(v * 2 * kPi * 16);  // corrugation across the image
    double grain = Fbm(u, v, 64, 3, 13);
    double wear = Smoothstep(0.1, 0.5, Fbm(u, v, 4, 4, 17));
    t.height = rib * 0.7 + grain * 0.1;
    Rgb black{0.1, 0.1, 0.105};
    t.colour = black * (0.7 + 0.6 * rib + grain * 0.5) + Rgb{0.1, 0.1, 0.09} * wear;
    return t;
}

Texel ScuffedPlastic(double u, double v)
{
    Texel t;
    double scratches = 0;
    for (int i = 0; i < 40; ++i) {
        double x0 = Hash01(i, 1, 5), y0 = Hash01(i, 2, 5);
        double ang = Hash01(i, 3, 5) * kPi, len = 0.05 + 0.2 * Hash01(i, 4, 5);
        double dx = std::remainder(u - x0, 1.0), dy = std::remainder(v - y0, 1.0);
        double along = dx * std::cos(ang) + dy * std::sin(ang);
        double across = -dx * std::sin(ang) + dy * std::cos(ang);
        if (std::fabs(along) < len)
            scratches = std::max(scratches, Smoothstep(0.0025, 0.0, std::fabs(across)));
    }
    double scuff = Smoothstep(0.2, 0.5, Fbm(u, v, 8, 5, 23));
    double n = Fbm(u, v, 32, 3, 29);
    t.height = 0.5 - scratches * 0.3 + n * 0.05;
    Rgb red{0.62, 0.08, 0.06};
    red = red * (0.9 + n * 0.3);
    t.colour = MixRgb(red, Rgb{0.75, 0.55, 0.5}, scuff * 0.35 + scratches * 0.5);
    return t;
}

Texel MetalGrid3(double u, double v)
{
    Texel t;
    const double cells = 8;
    double e = CellEdge(u, v, cells);        // distance from a bar centre line, in cells
    double bar = Smoothstep(0.13, 0.09, e);  // 1 on the bars
    double n = Fbm(u, v, 16, 4, 31);
    double rust = Smoothstep(0.15, 0.45, Fbm(u, v, 4, 4, 37));
    t.height = bar * (0.85 + n * 0.1);
    Rgb metal{0.45, 0.46, 0.47};
    metal = MixRgb(metal * (0.9 + n * 0.3), Rgb{0.4, 0.24, 0.12}, rust * 0.5);
    Rgb hole{0.02, 0.02, 0.025};
    t.colour = MixRgb(hole, metal, bar);
    return t;
}

Texel ScifiFloor(double u, double v)
{
    Texel t;
    double e = CellEdge(u, v, 2);
    double groove = Smoothstep(0.0, 0.015, e);
    double inner = CellEdge(u, v, 4);
    double insetEdge = Smoothstep(0.08, 0.1, inner);
    double stripe = (std::fmod(u * 2, 1.0) > 0.1 && std::fmod(u * 2, 1.0) < 0.22)
                        ? (std::fmod((u + v) * 24, 1.0) < 0.5 ? 1.0 : 0.0)
                        : -1.0;
    double n = Fbm(u, v, 16, 4, 41);
    double dirt = Smoothstep(0.1, 0.5, Fbm(u, v, 4, 4, 43));
    t.height = 0.5 - (1 - groove) * 0.4 + insetEdge * 0.08 + n * 0.04;
    Rgb base{0.42, 0.45, 0.5};
    base = base * (0.9 + n * 0.2);
    if (stripe >= 0)
        base = stripe > 0.5 ? Rgb{0.85, 0.65, 0.1} : Rgb{0.1, 0.1, 0.1};
    t.colour = MixRgb(base, Rgb{0.2, 0.18, 0.15}, dirt * 0.5) * (0.4 + 0.6 * groove) * (0.85 + 0.15 * insetEdge);
    return t;
}

Texel StorageContainer(double u, double v)
{
    Texel t;
    // Trapezoidal corrugation across u, in 12 ribs.
    double x = std::fmod(u * 12, 1.0);
    double rib = Smoothstep(0.1, 0.25, x) * Smoothstep(0.9, 0.75, x);
    double n = Fbm(u, v, 16, 4, 51);
    double rust = Smoothstep(0.25, 0.55, Fbm(u, v, 4, 5, 53) + (1 - rib) * 0.1);
    double streak = Smoothstep(0.2, 0.6, Noise(u, v * 0.0625, 64, 57) * 0.5 + 0.5) * 0.3;
    t.height = rib * 0.8 + n * 0.05 - rust * 0.05;
    Rgb paint{0.16, 0.33, 0.42};
    paint = paint * (0.85 + n * 0.3 + rib * 0.1);
    Rgb rustC{0.38, 0.2, 0.09};
    t.colour = MixRgb(paint, rustC, Clamp(rust * 0.8 + streak, 0.0, 1.0));
    // Weld seams between container sheets, every quarter of the height.
    double seam = std::fabs(std::fmod(v * 4, 1.0) - 0.5);
    if (seam > 0.49)
        t.colour = t.colour * 0.6, t.height -= 0.1;
    return t;
}

Texel ChippedPaint(double u, double v)
{
    Texel t;
    double chips = Fbm(u, v, 8, 6, 61);
    double chip = Smoothstep(0.18, 0.24, chips);  // 1 where paint is gone
    double n = Fbm(u, v, 32, 3, 63);
    double edge = CellEdge(u, v, 1);
    double frame = Smoothstep(0.06, 0.07, edge);
    t.height = 0.6 - chip * 0.2 + n * 0.03 - (1 - frame) * 0.1;
    Rgb paint{0.78, 0.55, 0.1};
    paint = paint * (0.9 + n * 0.3);
    Rgb metal{0.42, 0.42, 0.44};
    metal = metal * (0.8 + n * 0.5);
    t.colour = MixRgb(paint, metal, chip) * (0.8 + 0.2 * frame);
    return t;
}

Texel PaddedPlastic(double u, double v)
{
    Texel t;
    const double cells = 6;
    // Diamond quilting: rotate the grid by 45 degrees (still tileable with these counts).
    double a = (u + v) * cells, b = (u - v) * cells;
    double fa = a - std::floor(a), fb = b - std::floor(b);
    double cushion = std::sin(fa * kPi) * std::sin(fb * kPi);
    double stud = Smoothstep(0.08, 0.03, std::hypot(std::min(fa, 1 - fa), std::min(fb, 1 - fb)));
    double n = Fbm(u, v, 16, 4, 71);
    t.height = std::sqrt(std::max(0.0, cushion)) * 0.8 + n * 0.03 - stud * 0.2;
    Rgb base{0.78, 0.8, 0.82};
    t.colour = base * (0.75 + 0.25 * std::sqrt(std::max(0.0, cushion)) + n * 0.1) * (1 - stud * 0.6);
    return t;
}

Texel RustStreaks(double u, double v)
{
    Texel t;
    double streaks = Noise(u, v * 0.125, 64, 81) * 0.5 + 0.5;
    double big = Fbm(u, v, 4, 5, 83);
    double rust = Clamp(Smoothstep(0.0, 0.4, big) * 0.7 + Smoothstep(0.45, 0.8, streaks) * 0.6, 0.0, 1.0);
    double pits = Smoothstep(0.3, 0.5, Fbm(u, v, 32, 3, 87));
    t.height = 0.5 + rust * 0.2 - pits * 0.2 + big * 0.1;
    Rgb iron{0.42, 0.42, 0.44};
    Rgb rustC{0.5, 0.22, 0.06};
    Rgb dark{0.2, 0.1, 0.05};
    t.colour = MixRgb(MixRgb(iron, rustC, rust), dark, pits * 0.6);
    return t;
}

Texel MetalGrid1K(double u, double v)
{
    Texel t;
    // Diagonal expanded-metal mesh over a dark backing plate.
    const double cells = 16;
    double a = (u + v) * cells, b = (u - v) * cells;
    double ea = std::fabs(a - std::round(a)), eb = std::fabs(b - std::round(b));
    double bar = std::max(Smoothstep(0.14, 0.08, ea), Smoothstep(0.14, 0.08, eb));
    double n = Fbm(u, v, 16, 4, 91);
    t.height = bar * 0.8 + n * 0.05;
    Rgb metal{0.5, 0.52, 0.55};
    Rgb back{0.08, 0.09, 0.1};
    t.colour = MixRgb(back, metal * (0.85 + n * 0.3), bar);
    return t;
}

// Shapes of the four wall pictures, as coverage 0..1 at (x, y) in 0..1 (y down).
double Disc(double x, double y, double cx, double cy, double rx, double ry)
{
    double d = std::hypot((x - cx) / rx, (y - cy) / ry);
    return Smoothstep(1.02, 0.98, d);
}
double Rect(double x, double y, double x0, double y0, double x1, double y1)
{
    return (x > x0 && x < x1 && y > y0 && y < y1) ? 1.0 : 0.0;
}

// Returns coverage and the paint colour of the picture at (x, y).
std::pair<double, Rgb> Picture(int which, double x, double y)
{
    double c = 0;
    Rgb col{0.9, 0.88, 0.8};
    switch (which) {
    case 0: {  // a sheep
        for (int i = 0; i < 7; ++i) {
            double a = i / 7.0 * 2 * kPi;
            c = std::max(c, Disc(x, y, 0.48 + 0.18 * std::cos(a), 0.5 + 0.1 * std::sin(a), 0.1, 0.1));
        }
        c = std::max(c, Disc(x, y, 0.48, 0.5, 0.22, 0.14));
        double head = Disc(x, y, 0.76, 0.44, 0.07, 0.09);
        double legs = 0;
        for (double lx : {0.36, 0.44, 0.54, 0.62})
            legs = std::max(legs, Rect(x, y, lx - 0.02, 0.6, lx + 0.02, 0.8));
        double ear = Disc(x, y, 0.82, 0.37, 0.05, 0.02);
        double dark = std::max({head, legs, ear});
        if (dark > c) {
            col = {0.12, 0.1, 0.1};
            c = dark;
        }
        break;
    }
    case 1: {  // a rhino
        double body = Disc(x, y, 0.45, 0.52, 0.25, 0.15);
        double head = Disc(x, y, 0.72, 0.56, 0.1, 0.08);
        // Two horns on the snout: triangles pointing up and forwards.
        auto tri = [&](Vec2 a, Vec2 b, Vec2 c) {
            auto side = [&](Vec2 p0, Vec2 p1) { return (p1.x - p0.x) * (y - p0.y) - (p1.y - p0.y) * (x - p0.x); };
            double s1 = side(a, b), s2 = side(b, c), s3 = side(c, a);
            return ((s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0)) ? 1.0 : 0.0;
        };
        double horn = std::max(tri({0.76, 0.53}, {0.83, 0.53}, {0.84, 0.36}),
                               tri({0.7, 0.5}, {0.75, 0.5}, {0.74, 0.42}));
        double legs = 0;
        for (double lx : {0.28, 0.36, 0.52, 0.6})
            legs = std::max(legs, Rect(x, y, lx - 0.03, 0.6, lx + 0.03, 0.8));
        double ear = Disc(x, y, 0.67, 0.45, 0.02, 0.04);
        c = std::max({body, head, horn, legs, ear});
        col = {0.55, 0.6, 0.62};
        break;
    }
    case 2: {  // a rocket
        double body = Disc(x, y, 0.5, 0.45, 0.09, 0.25);
        double window = Disc(x, y, 0.5, 0.38, 0.04, 0.04);
        double finL = (x > 0.36 && x < 0.45 && y > 0.55 && y < 0.72 && (y - 0.55) > (0.45 - x) * 1.5) ? 1.0 : 0.0;
        double finR = (x > 0.55 && x < 0.64 && y > 0.55 && y < 0.72 && (y - 0.55) > (x - 0.55) * 1.5) ? 1.0 : 0.0;
        double flame = Disc(x, y, 0.5, 0.78, 0.05, 0.1);
        c = std::max({body, finL, finR});
        col = {0.85, 0.85, 0.82};
        if (finL + finR > 0.5)
            col = {0.75, 0.15, 0.1};
        if (window > 0.5)
            col = {0.2, 0.45, 0.7};
        if (flame > c) {
            c = flame;
            col = {0.95, 0.6, 0.1};
        }
        break;
    }
    default: {  // a ringed planet and stars
        double planet = Disc(x, y, 0.5, 0.5, 0.2, 0.2);
        double ring = Disc(x, y, 0.5, 0.5, 0.38, 0.08) * (1 - Disc(x, y, 0.5, 0.5, 0.27, 0.05));
        bool behind = y < 0.5 && planet > 0.5;
        c = std::max(planet, behind ? 0.0 : ring);
        col = planet > 0.5 && !(ring > 0.5 && !behind) ? Rgb{0.8, 0.5, 0.25} : Rgb{0.85, 0.8, 0.6};
        for (int i = 0; i < 12; ++i) {
            double s = Disc(x, y, 0.08 + 0.84 * Hash01(i, 1, 9), 0.08 + 0.84 * Hash01(i, 2, 9), 0.012, 0.012);
            if (s > c) {
                c = s;
                col = {0.95, 0.95, 0.8};
            }
        }
        break;
    }
    }
    return {c, col};
}

double RustedPlateHeight(double u, double v)
{
    double frame = CellEdge(u, v, 1);
    double lip = Smoothstep(0.03, 0.045, frame);
    double bolts = 0;
    for (double cx : {0.025, 0.975})
        for (double cy : {0.025, 0.975})
            bolts = std::max(bolts, Smoothstep(0.018, 0.01, std::hypot(u - cx, v - cy)));
    return 0.5 + Fbm(u, v, 8, 5, 101) * 0.2 - (1 - lip) * 0.0 + lip * 0.1 + bolts * 0.3 -
           Smoothstep(0.3, 0.5, Fbm(u, v, 32, 3, 103)) * 0.15;
}

Texel RustedPicture(int which, double u, double v)
{
    Texel t;
    double rust = Fbm(u, v, 4, 6, 111 + which);
    double n = Fbm(u, v, 32, 3, 113 + which);
    Rgb base = MixRgb(Rgb{0.45, 0.23, 0.1}, Rgb{0.3, 0.27, 0.25}, Smoothstep(-0.1, 0.3, rust));
    base = base * (0.85 + n * 0.4);
    // Dark painted background panel, then the figure, with flaking paint.
    double panel = Smoothstep(0.06, 0.08, CellEdge(u, v, 1));
    Rgb bg = which % 2 == 0 ? Rgb{0.08, 0.12, 0.2} : Rgb{0.18, 0.08, 0.06};
    if (which == 0)
        bg = v < 0.72 ? Rgb{0.35, 0.55, 0.75} : Rgb{0.25, 0.45, 0.15};  // sky over a meadow
    auto [cover, col] = Picture(which, u, v);
    double flake = Smoothstep(0.22, 0.3, Fbm(u, v, 16, 4, 121 + which));
    Rgb painted = MixRgb(bg, col, cover);
    t.colour = MixRgb(base, painted, panel * (1 - flake) * 0.92);
    t.height = RustedPlateHeight(u, v);
    return t;
}

}  // namespace

std::vector<TextureJob> TextureJobs()
{
    std::vector<TextureJob> jobs;
    AddPair(jobs, "greasy-metal-pan1-albedo.png", "greasy-metal-pan1-normal.png", 512, 6.0, GreasyMetal);
    {
        auto shared = std::make_shared<SharedField>();
        shared->size = 512;
        shared->fn = LeakDecal;
        jobs.push_back({"Texora_DecalsLeaking0208_2_S.jpg",
                        [shared](const std::string& path) { WriteImage(path, ColourImage(shared->Get(), 3)); }});
        // The masked decal carries its leak mask in alpha; its colour channels hold the leak relief
        // as a normal map, since the pod samples it as one.
        jobs.push_back({"Texora_DecalsLeaking0208_1_masked_S.png", [shared](const std::string& path) {
                            WriteImage(path, NormalImage(shared->Get(), 4.0, 4, true));
                        }});
    }
    AddPair(jobs, "synth-rubber-albedo.png", "synth-rubber-normal.png", 512, 5.0, SynthRubber);
    AddPair(jobs, "scuffed-plastic4-alb.png", "scuffed-plastic-normal.png", 512, 4.0, ScuffedPlastic);
    AddPair(jobs, "metalgrid3_basecolor.png", "metalgrid3_normal-ogl.png", 512, 8.0, MetalGrid3);
    AddPair(jobs, "Texora_Scifi_Floor4_1K_albedo.tif", "Texora_Scifi_Floor4_1K_normal.tif", 1024, 8.0, ScifiFloor);
    AddPair(jobs, "storage-container2-albedo.png", "storage-container2-normal-ogl.png", 512, 6.0, StorageContainer);
    AddPair(jobs, "chipped-paint-metal-albedo.png", "chipped-paint-metal-normal-ogl.png", 512, 5.0, ChippedPaint);
    AddPair(jobs, "Texora_Plastic_Padded_1K_albedo.tif", "Texora_Plastic_Padded_1K_normal.tif", 1024, 10.0,
            PaddedPlastic);
    AddPair(jobs, "rustediron-streaks_basecolor.png", "rustediron-streaks_normal.png", 512, 5.0, RustStreaks);
    AddPair(jobs, "Texora_Metal_Grid_1K_albedo.tif", "Texora_Metal_Grid_1K_normal.tif", 1024, 10.0, MetalGrid1K);
    for (int i = 0; i < 4; ++i) {
        std::string name = "iron-rusted_sp" + std::to_string(i + 1) + "-basecolor.png";
        jobs.push_back(
            {name, [i](const std::string& path) {
                 WriteImage(path,
                            ColourImage(Evaluate(512, [i](double u, double v) { return RustedPicture(i, u, v); }), 3));
             }});
    }
    jobs.push_back({"iron-rusted4-normal.png", [](const std::string& path) {
                        WriteImage(path, NormalImage(Evaluate(512,
                                                              [](double u, double v) {
                                                                  Texel t;
                                                                  t.height = RustedPlateHeight(u, v);
                                                                  return t;
                                                              }),
                                                     6.0, 3));
                    }});
    return jobs;
}

}  // namespace resgen
