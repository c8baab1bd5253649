// The MTL reader on arbitrary text: it must either append materials or throw one of the reader's
// own exceptions.
#include <cstddef>
#include <cstdint>

#include "assets/ObjLoader.h"
#include "fuzz/FuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzFiles files;
    files.Write("fuzz.mtl", data, size);
    ObjLoader loader(files.Path("no-model.obj"));  // a missing model is no error and reads nothing
    try {
        loader.LoadMaterials(files.Path("fuzz.mtl"));
    } catch (const ObjInvalidNumber&) {
    } catch (const ObjNumberOutOfRange&) {
    } catch (const ObjFormatError&) {
    }
    return 0;
}
