// The stage-blob parser on arbitrary bytes: the device creates shader objects and binds resources
// from every field it accepts, so an accepted blob must be within the limits and must come back
// unchanged from being written and parsed again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/blobs/StageBlob.h"

namespace {

void CheckLimits(const StageBlob& blob)
{
    if (blob.glsl.size() > kStageBlobMaxSource || blob.inputs.size() > kStageBlobMaxInputs)
        std::abort();
    for (const StageInput& in : blob.inputs)
        if (in.componentCount < 1 || in.componentCount > 4)
            std::abort();
    for (const StageConstantBuffer& cb : blob.constantBuffers)
        if (cb.binding >= kStageBlobMaxBindings)
            std::abort();
    for (const StageTexture& t : blob.textures)
        if (t.unit >= kStageBlobMaxBindings)
            std::abort();
    for (const StageImage& i : blob.images)
        if (i.unit >= kStageBlobMaxBindings)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StageBlob blob;
    if (ParseStageBlob(data, size, blob)) {
        CheckLimits(blob);
        const std::vector<std::uint8_t> again = WriteStageBlob(blob);
        StageBlob reparsed;
        if (!ParseStageBlob(again.data(), again.size(), reparsed))
            std::abort();
        if (WriteStageBlob(reparsed) != again)
            std::abort();
    }
    // The input-layout path accepts stage blobs and bare input signatures alike.
    std::vector<StageInput> inputs;
    if (ParseAnyInputSignature(data, size, inputs)) {
        if (inputs.size() > kStageBlobMaxInputs)
            std::abort();
        const std::vector<std::uint8_t> again = WriteInputSignatureBlob(inputs);
        std::vector<StageInput> reparsed;
        if (!ParseInputSignatureBlob(again.data(), again.size(), reparsed) || reparsed.size() != inputs.size())
            std::abort();
    }
    return 0;
}
