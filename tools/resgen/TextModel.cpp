// Extruded, bevelled text from a TrueType font: outlines from stb_truetype, curves flattened,
// caps triangulated with the GLU tessellator, walls and bevels swept along the outlines.
//
// Placement. All three texts are laid out in the model's x-z plane, reading towards -x with +z up
// and the front face at y = 0 looking towards -y: the show's world matrices (a quarter turn about
// x, and for the title and farewell a half turn about y) turn that into upright, unmirrored text
// facing its camera. Normals are written pointing inwards because the text loader negates them.
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <vector>

#include <stb_truetype.h>

#include "tools/resgen/Models.h"

namespace resgen {

namespace {

struct TextStyle {
    const char* lines[3];
    int lineCount;
    double width;      // widest line fits this width (model units)
    double maxCap;     // cap height limit of the first line
    double lineScale;  // later lines' cap height relative to the first
    double depth;      // extrusion depth
    Vec2 centre;       // (model x, model z) of the block's centre
};

TextStyle StyleOf(int which)
{
    switch (which) {
    case 1:  // swings about a pivot 4.5 units from its origin (model x = -4.5); its first letters
        // swing furthest, so the word sits towards the pivot to stay inside the first camera
        return {{"VEXA RHINO", nullptr, nullptr}, 1, 6.4, 2.0, 1.0, 0.35, {-1.3, 0.0}};
    case 2:  // seen from straight above at scale 2, the camera's view centred on model (-8, 2.5)
        return {{"CODE + MUSIC", "MADE FROM SCRATCH", nullptr}, 2, 17.0, 1.6, 0.62, 0.3, {-8.0, 2.5}};
    default:  // stands ahead of the corridor camera, centred on world (10, 0.6, 13)
        return {{"THANKS FOR", "WATCHING", nullptr}, 2, 7.6, 0.9, 1.0, 0.28, {-4.0, -1.4}};
    }
}

using Contour = std::vector<Vec2>;

std::vector<unsigned char> ReadFile(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw std::runtime_error(path + ": cannot open font");
    std::vector<unsigned char> data;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    if (data.empty())
        throw std::runtime_error(path + ": empty font file");
    return data;
}

// Appends the closed contours of one glyph, in font units offset by (ox, oy) and scaled.
void GlyphContours(const stbtt_fontinfo& font, int codepoint, double ox, double scale, double oy,
                   std::vector<Contour>& out)
{
    stbtt_vertex* v = nullptr;
    int n = stbtt_GetCodepointShape(&font, codepoint, &v);
    Contour cur;
    Vec2 last{0, 0};
    auto flush = [&] {
        while (cur.size() > 1 && Length(cur.front() - cur.back()) < 1e-9)
            cur.pop_back();
        if (cur.size() >= 3)
            out.push_back(cur);
        cur.clear();
    };
    auto map = [&](double x, double y) { return Vec2{ox + x * scale, oy + y * scale}; };
    for (int i = 0; i < n; ++i) {
        Vec2 p = map(v[i].x, v[i].y);
        switch (v[i].type) {
        case STBTT_vmove:
            flush();
            cur.push_back(p);
            break;
        case STBTT_vline: cur.push_back(p); break;
        case STBTT_vcurve: {
            Vec2 c = map(v[i].cx, v[i].cy);
            const int steps = 8;
            for (int s = 1; s <= steps; ++s) {
                double t = static_cast<double>(s) / steps;
                cur.push_back(last * ((1 - t) * (1 - t)) + c * (2 * (1 - t) * t) + p * (t * t));
            }
            break;
        }
        case STBTT_vcubic: {
            Vec2 c1 = map(v[i].cx, v[i].cy), c2 = map(v[i].cx1, v[i].cy1);
            const int steps = 10;
            for (int s = 1; s <= steps; ++s) {
                double t = static_cast<double>(s) / steps, u = 1 - t;
                cur.push_back(last * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + p * (t * t * t));
            }
            break;
        }
        default: break;
        }
        last = p;
    }
    flush();
    stbtt_FreeShape(&font, v);
}

// Drops points closer than eps to their predecessor.
void Clean(Contour& c)
{
    Contour out;
    for (const Vec2& p : c)
        if (out.empty() || Length(p - out.back()) > 1e-5)
            out.push_back(p);
    while (out.size() > 1 && Length(out.front() - out.back()) <= 1e-5)
        out.pop_back();
    c = out;
}

// The filled side of a TrueType outline is to the right of its direction (outer contours run
// clockwise, holes anticlockwise), so insetting moves each point to the right.
Contour Inset(const Contour& c, double d)
{
    const size_t n = c.size();
    Contour out(n);
    for (size_t i = 0; i < n; ++i) {
        Vec2 prev = c[(i + n - 1) % n], cur = c[i], next = c[(i + 1) % n];
        Vec2 d1 = Normalize(cur - prev), d2 = Normalize(next - cur);
        Vec2 r1{d1.y, -d1.x}, r2{d2.y, -d2.x};
        Vec2 m = Normalize(r1 + r2);
        double cosHalf = Dot(m, r1);
        double len = cosHalf > 0.35 ? d / cosHalf : d / 0.35;
        out[i] = cur + m * len;
    }
    return out;
}

struct TessResult {
    std::deque<std::array<double, 3>> storage;  // stable addresses for GLU
    std::vector<const std::array<double, 3>*> corners;
    bool failed = false;
};

extern "C" {
static void GLAPIENTRY TessBegin(GLenum, void*) {}
static void GLAPIENTRY TessEdgeFlag(GLboolean, void*) {}
static void GLAPIENTRY TessVertex(void* vertex, void* data)
{
    static_cast<TessResult*>(data)->corners.push_back(static_cast<const std::array<double, 3>*>(vertex));
}
static void GLAPIENTRY TessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data)
{
    auto* r = static_cast<TessResult*>(data);
    r->storage.push_back({coords[0], coords[1], coords[2]});
    *out = &r->storage.back();
}
static void GLAPIENTRY TessError(GLenum, void* data)
{
    static_cast<TessResult*>(data)->failed = true;
}
}

// Triangulates the region of the contours under the non-zero rule; returns 2D triangles.
std::vector<std::array<Vec2, 3>> Triangulate(const std::vector<Contour>& contours)
{
    TessResult r;
    GLUtesselator* tess = gluNewTess();
    if (!tess)
        throw std::runtime_error("GLU tessellator unavailable");
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(TessBegin));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(TessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(TessVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(TessCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(TessError));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
    for (const auto& c : contours)
        for (const auto& p : c)
            r.storage.push_back({p.x, p.y, 0.0});
    gluTessBeginPolygon(tess, &r);
    size_t k = 0;
    for (const auto& c : contours) {
        gluTessBeginContour(tess);
        for (size_t i = 0; i < c.size(); ++i, ++k)
            gluTessVertex(tess, r.storage[k].data(), r.storage[k].data());
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    if (r.failed)
        throw std::runtime_error("text outline could not be triangulated");
    std::vector<std::array<Vec2, 3>> tris;
    for (size_t i = 0; i + 2 < r.corners.size(); i += 3) {
        std::array<Vec2, 3> t;
        for (int j = 0; j < 3; ++j)
            t[j] = {(*r.corners[i + j])[0], (*r.corners[i + j])[1]};
        tris.push_back(t);
    }
    return tris;
}

}  // namespace

const char* const* TextLines(int which, int* lineCount)
{
    static TextStyle styles[3] = {StyleOf(1), StyleOf(2), StyleOf(3)};
    const TextStyle& s = styles[(which - 1) % 3];
    *lineCount = s.lineCount;
    return s.lines;
}

Mesh BuildTextMesh(int which, const std::string& fontPath)
{
    const TextStyle style = StyleOf(which);
    std::vector<unsigned char> fontData = ReadFile(fontPath);
    stbtt_fontinfo font;
    if (!stbtt_InitFont(&font, fontData.data(), stbtt_GetFontOffsetForIndex(fontData.data(), 0)))
        throw std::runtime_error(fontPath + ": not a TrueType font");
    int x0, y0, x1, y1;
    stbtt_GetCodepointBox(&font, 'H', &x0, &y0, &x1, &y1);
    const double capUnits = y1 - y0;

    // Line widths in font units.
    auto lineWidth = [&](const char* text) {
        double w = 0;
        for (const char* c = text; *c; ++c) {
            int adv, lsb;
            stbtt_GetCodepointHMetrics(&font, *c, &adv, &lsb);
            w += adv;
            if (c[1])
                w += stbtt_GetCodepointKernAdvance(&font, *c, c[1]);
        }
        return w;
    };
    // Cap height of the first line: the widest line must fit the width.
    double cap = style.maxCap;
    for (int l = 0; l < style.lineCount; ++l) {
        double rel = l == 0 ? 1.0 : style.lineScale;
        double w = lineWidth(style.lines[l]) / capUnits * rel;
        cap = std::min(cap, style.width / w);
    }
    std::vector<Contour> contours;
    std::vector<double> lineCaps;
    double totalHeight = 0;
    for (int l = 0; l < style.lineCount; ++l) {
        lineCaps.push_back(cap * (l == 0 ? 1.0 : style.lineScale));
        totalHeight += lineCaps.back() + (l > 0 ? cap * 0.45 : 0.0);
    }
    double top = totalHeight / 2;  // glyph-plane y of the first line's cap top
    for (int l = 0; l < style.lineCount; ++l) {
        double lc = lineCaps[l];
        double scale = lc / capUnits;
        double w = lineWidth(style.lines[l]) * scale;
        double base = top - lc;
        double x = -w / 2;
        for (const char* c = style.lines[l]; *c; ++c) {
            GlyphContours(font, *c, x, scale, base, contours);
            int adv, lsb;
            stbtt_GetCodepointHMetrics(&font, *c, &adv, &lsb);
            x += adv * scale;
            if (c[1])
                x += stbtt_GetCodepointKernAdvance(&font, *c, c[1]) * scale;
        }
        top = base - cap * 0.45;
    }
    for (auto& c : contours)
        Clean(c);

    const double bevel = cap * 0.045;
    const double depth = style.depth;
    std::vector<Contour> inset;
    for (const auto& c : contours)
        inset.push_back(Inset(c, bevel));

    // Glyph plane (gx, gy) at extrusion e to model space: reading towards -x, up is +z.
    auto toModel = [&](Vec2 g, double e) { return Vec3{style.centre.x - g.x, e, style.centre.y + g.y}; };
    auto normalOf = [&](Vec2 n, double ny) { return Normalize(Vec3{-n.x, ny, n.y}); };

    Mesh mesh;
    MeshGroup& g = mesh.Begin("Text", "TextMaterial");
    // Front and back faces.
    for (const auto& t : Triangulate(inset)) {
        for (int side = 0; side < 2; ++side) {
            double e = side == 0 ? 0.0 : depth;
            Vec3 n{0, side == 0 ? -1.0 : 1.0, 0};
            uint32_t a = g.AddVertex({toModel(t[0], e), n, {0, 0}});
            uint32_t b = g.AddVertex({toModel(t[1], e), n, {0, 0}});
            uint32_t c = g.AddVertex({toModel(t[2], e), n, {0, 0}});
            g.AddTriangle(a, b, c);
        }
    }
    // Walls and bevels: per contour, strips between rings.
    for (size_t ci = 0; ci < contours.size(); ++ci) {
        const Contour& c = contours[ci];
        const Contour& in = inset[ci];
        const size_t n = c.size();
        std::vector<Vec2> edgeNormal(n);  // outward (left of direction), edge i -> i+1
        for (size_t i = 0; i < n; ++i) {
            Vec2 d = Normalize(c[(i + 1) % n] - c[i]);
            edgeNormal[i] = {-d.y, d.x};
        }
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            // Smooth across gentle bends (flattened curves), sharp at real corners.
            auto vertexNormal = [&](size_t v, size_t edge) {
                size_t prevEdge = (v + n - 1) % n;
                Vec2 a = edgeNormal[prevEdge], b = edgeNormal[v];
                if (Dot(a, b) > 0.8)
                    return Normalize(a + b);
                return edgeNormal[edge];
            };
            Vec2 ni = vertexNormal(i, i), nj = vertexNormal(j, i);
            struct Ring {
                const Contour* pts;
                double e;
            };
            const Ring rings[4] = {{&in, 0.0}, {&c, bevel}, {&c, depth - bevel}, {&in, depth}};
            for (int r = 0; r < 3; ++r) {
                const Ring& A = rings[r];
                const Ring& B = rings[r + 1];
                // Front bevel, wall, back bevel: the bevels lean halfway between wall and face.
                const double ny = r == 0 ? -1.0 : (r == 1 ? 0.0 : 1.0);
                auto nrm = [&](Vec2 wallN) { return normalOf(wallN, ny); };
                uint32_t a = g.AddVertex({toModel((*A.pts)[i], A.e), nrm(ni), {0, 0}});
                uint32_t b = g.AddVertex({toModel((*A.pts)[j], A.e), nrm(nj), {0, 0}});
                uint32_t cc = g.AddVertex({toModel((*B.pts)[j], B.e), nrm(nj), {0, 0}});
                uint32_t d = g.AddVertex({toModel((*B.pts)[i], B.e), nrm(ni), {0, 0}});
                g.AddTriangle(a, b, cc);
                g.AddTriangle(a, cc, d);
            }
        }
    }
    return mesh;
}

}  // namespace resgen
