#include "tools/resgen/ObjWriter.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "tools/resgen/FileUtil.h"

namespace resgen {

std::string FormatFixed(double v, int decimals)
{
    if (!std::isfinite(v))
        throw std::runtime_error("non-finite number in model data");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    // Trim trailing zeros to keep the files small; keep at least one digit after the point.
    size_t dot = s.find('.');
    if (dot != std::string::npos) {
        size_t end = s.size();
        while (end > dot + 2 && s[end - 1] == '0')
            --end;
        s.resize(end);
    }
    if (s == "-0.0")
        s = "0.0";
    return s;
}

void WriteObj(const std::string& dir, const std::string& baseName, const Mesh& mesh,
              const std::vector<MaterialDef>& materials, const ObjOptions& options)
{
    std::string mtl;
    mtl += "# " + options.header + " materials\n";
    for (const auto& m : materials) {
        mtl += "newmtl " + m.name + "\n";
        mtl += "Ka 0.2 0.2 0.2\n";
        mtl += "Kd " + FormatFixed(m.diffuse.x, 4) + " " + FormatFixed(m.diffuse.y, 4) + " " +
               FormatFixed(m.diffuse.z, 4) + "\n";
        mtl += "Ks 0.5 0.5 0.5\nNs 32.0\nNi 1.0\nd 1.0\nillum 2\n";
        if (!m.diffuseMap.empty())
            mtl += "map_Kd " + m.diffuseMap + "\n";
        if (!m.bumpMap.empty())
            mtl += "map_Bump " + m.bumpMap + "\n";
    }
    WriteTextFile(dir + "/" + baseName + ".mtl", mtl);

    std::string out;
    out.reserve(mesh.TriangleCount() * 200);
    out += "# " + options.header + "\n";
    out += "mtllib Res/" + baseName + ".mtl\n";
    const double ns = options.negateNormals ? -1.0 : 1.0;
    const double ts = options.negateTexCoords ? -1.0 : 1.0;
    for (const auto& g : mesh.groups) {
        for (const auto& v : g.vertices) {
            out += "v " + FormatFixed(v.position.x, 5) + " " + FormatFixed(v.position.y, 5) + " " +
                   FormatFixed(v.position.z, 5) + "\n";
        }
    }
    if (options.writeTexCoords) {
        for (const auto& g : mesh.groups) {
            for (const auto& v : g.vertices)
                out += "vt " + FormatFixed(ts * v.uv.x, 5) + " " + FormatFixed(ts * v.uv.y, 5) + "\n";
        }
    }
    for (const auto& g : mesh.groups) {
        for (const auto& v : g.vertices) {
            Vec3 n = Normalize(v.normal) * ns;
            out += "vn " + FormatFixed(n.x, 4) + " " + FormatFixed(n.y, 4) + " " + FormatFixed(n.z, 4) + "\n";
        }
    }
    size_t base = 1;
    for (const auto& g : mesh.groups) {
        out += "g " + g.name + "\n";
        out += "usemtl " + g.material + "\n";
        for (const auto& t : g.triangles) {
            out += "f";
            for (uint32_t i : t) {
                std::string idx = std::to_string(base + i);
                out += options.writeTexCoords ? " " + idx + "/" + idx + "/" + idx : " " + idx + "//" + idx;
            }
            out += "\n";
        }
        base += g.vertices.size();
    }
    WriteTextFile(dir + "/" + baseName + ".obj", out);
}

}  // namespace resgen
