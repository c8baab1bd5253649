// The effect-blob parser on arbitrary bytes: it must refuse or accept without reading out of
// bounds, and what it accepts must survive being written and parsed again, since the effect
// runtime builds device objects from every field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fxruntime/EffectBlob.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    EffectBlob blob;
    if (!ParseEffectBlob(data, size, blob))
        return 0;
    const std::vector<std::uint8_t> again = WriteEffectBlob(blob);
    EffectBlob reparsed;
    if (!ParseEffectBlob(again.data(), again.size(), reparsed))
        std::abort();
    if (reparsed.techniques.size() != blob.techniques.size() || reparsed.variables.size() != blob.variables.size() ||
        reparsed.shaders.size() != blob.shaders.size())
        std::abort();
    return 0;
}
