// The OBJ reader on arbitrary text. The input's text up to its first NUL byte is the model file;
// whatever follows is the material library "fuzz.mtl", so a model's "mtllib fuzz.mtl" line reads
// mutated materials too. Errors must come as the reader's own exceptions and nothing else; what
// it accepts must be self-consistent, since model assembly indexes the lists with it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "assets/ObjLoader.h"
#include "fuzz/FuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzFiles files;
    const auto [obj, mtl] = SplitAtNul(data, size);
    files.Write("fuzz.obj", reinterpret_cast<const std::uint8_t*>(obj.data()), obj.size());
    files.Write("fuzz.mtl", reinterpret_cast<const std::uint8_t*>(mtl.data()), mtl.size());
    files.InDir([] {
        std::optional<ObjLoader> read;
        try {
            read.emplace("fuzz.obj");  // the constructor reads the file
        } catch (const ObjInvalidNumber&) {
            return;
        } catch (const ObjNumberOutOfRange&) {
            return;
        } catch (const ObjFormatError&) {
            return;
        }
        const ObjLoader& loader = *read;
        // Model assembly indexes with these, so they must match the corners one for one.
        std::size_t corner = 0;
        for (const ObjFace& face : loader.faces)
            for (const ObjFaceVertex& v : face) {
                if (corner >= loader.positionIndices.size() ||
                    std::int64_t(loader.positionIndices[corner]) != std::int64_t(v.position) - 1)
                    std::abort();
                ++corner;
            }
        if (corner != loader.positionIndices.size())
            std::abort();
        std::size_t meshFaces = 0;
        for (const ObjMesh& mesh : loader.meshes)
            meshFaces += mesh.faces.size();
        if (meshFaces > loader.faces.size())
            std::abort();
    });
    return 0;
}
