#pragma once
// Writes meshes as OBJ with an MTL library, in the narrow grammar the show's loader reads:
// single spaces, no tabs, plain decimals without exponents, triangles only.
#include <string>
#include <vector>

#include "tools/resgen/Mesh.h"

namespace resgen {

struct MaterialDef {
    std::string name;
    Vec3 diffuse{0.8, 0.8, 0.8};
    std::string diffuseMap;  // path as the show opens it, e.g. "Res/x.png"; empty for none
    std::string bumpMap;
};

struct ObjOptions {
    bool writeTexCoords = true;
    bool negateTexCoords = false;  // the room's builder negates them back on load
    bool negateNormals = false;    // the text builder negates them back on load
    std::string header;            // one comment line naming the asset
};

// Writes <dir>/<baseName>.obj and <dir>/<baseName>.mtl; the OBJ names its library as
// "Res/<baseName>.mtl" because the loader opens it relative to the working directory.
// Throws std::runtime_error naming the file when it cannot be written.
void WriteObj(const std::string& dir, const std::string& baseName, const Mesh& mesh,
              const std::vector<MaterialDef>& materials, const ObjOptions& options);

// Formats a number with a fixed count of decimals and never an exponent; "-0" becomes "0".
std::string FormatFixed(double v, int decimals);

}  // namespace resgen
