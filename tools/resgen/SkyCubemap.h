#pragma once
#include <array>

#include "tools/resgen/ImageWriter.h"
#include "tools/resgen/VecMath.h"

namespace resgen {

// World direction through the centre of texel (x, y) of a cube face (0..5 = +X, -X, +Y, -Y, +Z,
// -Z), using Direct3D's face orientation (rows run down the face).
Vec3 CubeFaceDirection(int face, double x, double y, int size);

// A dusk sky: deep blue zenith, a warm band at the horizon, stars and a moon.
std::array<Image, 6> MakeSkyCube(int size);

}  // namespace resgen
