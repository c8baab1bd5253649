#pragma once
#include <functional>
#include <string>
#include <vector>

namespace resgen {

// One texture file to generate, by its name under Res/.
struct TextureJob {
    std::string fileName;
    std::function<void(const std::string& path)> run;
};

// The 27 scene textures. Normal maps are tangent-space with +y (green) pointing down the image,
// along +v (the "DirectX" convention the show's normal-mapping shader expects), derived from the
// same height field as their colour map.
std::vector<TextureJob> TextureJobs();

}  // namespace resgen
