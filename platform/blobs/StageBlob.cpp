#include "platform/blobs/StageBlob.h"

#include "platform/blobs/ByteStream.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

namespace {

constexpr std::uint8_t kStageMagic[4] = {'S', 'H', 'S', 'B'};
constexpr std::uint8_t kSignatureMagic[4] = {'S', 'H', 'I', 'S'};
constexpr std::size_t kHeaderSize = 16;  // magic, version, kind/reserved, total size

using Writer = ByteWriter;
using Reader = ByteReader;

void WriteHeader(Writer& w, const std::uint8_t (&magic)[4], std::uint32_t kind)
{
    w.Bytes(magic, 4);
    w.U32(kStageBlobVersion);
    w.U32(kind);
    w.U32(0);  // total size, patched at the end
}

bool ReadHeader(Reader& r, const void* data, std::size_t size, const std::uint8_t (&magic)[4], std::uint32_t& kind)
{
    if (data == nullptr || size < kHeaderSize || std::memcmp(data, magic, 4) != 0) {
        return false;
    }
    std::uint32_t skip = 0, version = 0, total = 0;
    r.U32(skip);
    return r.U32(version) && version == kStageBlobVersion && r.U32(kind) && r.U32(total) && total == size;
}

void WriteInputs(Writer& w, const std::vector<StageInput>& inputs)
{
    w.U32(static_cast<std::uint32_t>(inputs.size()));
    for (const StageInput& in : inputs) {
        w.Str(in.semanticName);
        w.U32(in.semanticIndex);
        w.U32(in.location);
        w.U32(static_cast<std::uint32_t>(in.componentType));
        w.U32(in.componentCount);
    }
}

std::string Upper(const std::string& s)
{
    std::string u = s;
    for (char& c : u) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return u;
}

bool ReadInputs(Reader& r, std::vector<StageInput>& inputs)
{
    std::uint32_t n = 0;
    if (!r.Count(n, kStageBlobMaxInputs, 20)) {
        return false;
    }
    std::set<std::pair<std::string, std::uint32_t>> semantics;
    std::set<std::uint32_t> locations;
    for (std::uint32_t i = 0; i < n; ++i) {
        StageInput in;
        std::uint32_t type = 0;
        if (!r.Str(in.semanticName, kStageBlobMaxName, false) || !r.U32(in.semanticIndex) || !r.U32(in.location) ||
            !r.U32(type) || !r.U32(in.componentCount)) {
            return false;
        }
        if (type > static_cast<std::uint32_t>(StageComponentType::UInt) || in.componentCount < 1 ||
            in.componentCount > 4 || in.location >= kStageBlobMaxInputs) {
            return false;
        }
        in.componentType = static_cast<StageComponentType>(type);
        if (!semantics.emplace(Upper(in.semanticName), in.semanticIndex).second) {
            return false;
        }
        if (!locations.insert(in.location).second) {
            return false;
        }
        inputs.push_back(std::move(in));
    }
    return true;
}

// Reads "count, then entries of name + unit + (optional enum)"; units must be distinct and small.
template <typename T, typename Extra>
bool ReadBindings(Reader& r, std::vector<T>& items, std::size_t minEntry, Extra readExtra)
{
    std::uint32_t n = 0;
    if (!r.Count(n, kStageBlobMaxBindings, minEntry)) {
        return false;
    }
    std::set<std::uint32_t> units;
    for (std::uint32_t i = 0; i < n; ++i) {
        T item;
        std::uint32_t unit = 0;
        if (!r.Str(item.name, kStageBlobMaxName, false) || !r.U32(unit) || unit >= kStageBlobMaxBindings) {
            return false;
        }
        if (!units.insert(unit).second || !readExtra(r, item)) {
            return false;
        }
        if constexpr (requires { item.binding; }) {
            item.binding = unit;
        } else {
            item.unit = unit;
        }
        items.push_back(std::move(item));
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> WriteStageBlob(const StageBlob& blob)
{
    Writer w;
    WriteHeader(w, kStageMagic, static_cast<std::uint32_t>(blob.stage));
    w.Str(blob.glsl);
    WriteInputs(w, blob.inputs);
    w.U32(static_cast<std::uint32_t>(blob.constantBuffers.size()));
    for (const auto& cb : blob.constantBuffers) {
        w.Str(cb.name);
        w.U32(cb.binding);
        w.U32(cb.byteSize);
    }
    w.U32(static_cast<std::uint32_t>(blob.textures.size()));
    for (const auto& t : blob.textures) {
        w.Str(t.name);
        w.U32(t.unit);
        w.U32(static_cast<std::uint32_t>(t.dimension));
        w.U32(t.slot);
        w.U32(t.samplerSlot);
        w.U32(t.comparison ? 1 : 0);
    }
    w.U32(static_cast<std::uint32_t>(blob.samplers.size()));
    for (const auto& s : blob.samplers) {
        w.Str(s.name);
        w.U32(s.unit);
    }
    w.U32(static_cast<std::uint32_t>(blob.images.size()));
    for (const auto& im : blob.images) {
        w.Str(im.name);
        w.U32(im.unit);
        w.U32(static_cast<std::uint32_t>(im.format));
    }
    w.PatchU32(12, static_cast<std::uint32_t>(w.out.size()));
    return std::move(w.out);
}

bool ParseStageBlob(const void* data, std::size_t size, StageBlob& out)
{
    Reader r(data, size);
    std::uint32_t kind = 0;
    if (!ReadHeader(r, data, size, kStageMagic, kind) || kind > static_cast<std::uint32_t>(StageKind::Geometry)) {
        return false;
    }
    StageBlob blob;
    blob.stage = static_cast<StageKind>(kind);
    if (!r.Str(blob.glsl, kStageBlobMaxSource, false) || !ReadInputs(r, blob.inputs)) {
        return false;
    }
    if (blob.stage != StageKind::Vertex && !blob.inputs.empty()) {
        return false;
    }
    const bool ok = ReadBindings(r, blob.constantBuffers, 12,
                                 [](Reader& rr, StageConstantBuffer& cb) {
                                     // A constant buffer is at most 4096 float4 rows in Direct3D 11.
                                     return rr.U32(cb.byteSize) && cb.byteSize > 0 && cb.byteSize <= 65536;
                                 }) &&
                    ReadBindings(
                        r, blob.textures, 24,
                        [](Reader& rr, StageTexture& t) {
                            std::uint32_t d = 0, comparison = 0;
                            if (!rr.U32(d) || d > static_cast<std::uint32_t>(StageTextureDimension::Texture3D)) {
                                return false;
                            }
                            t.dimension = static_cast<StageTextureDimension>(d);
                            if (!rr.U32(t.slot) || !rr.U32(t.samplerSlot) || !rr.U32(comparison) || comparison > 1) {
                                return false;
                            }
                            t.comparison = comparison == 1;
                            return t.slot < kStageBlobMaxBindings &&
                                   (t.samplerSlot < kStageMaxSamplerSlots || t.samplerSlot == kStageNoSampler);
                        }) &&
                    ReadBindings(r, blob.samplers, 8, [](Reader&, StageSampler&) { return true; }) &&
                    ReadBindings(r, blob.images, 12, [](Reader& rr, StageImage& im) {
                        std::uint32_t f = 0;
                        if (!rr.U32(f) || f > static_cast<std::uint32_t>(StageImageFormat::Unspecified)) {
                            return false;
                        }
                        im.format = static_cast<StageImageFormat>(f);
                        return true;
                    });
    if (!ok || r.Left() != 0) {
        return false;
    }
    out = std::move(blob);
    return true;
}

std::vector<std::uint8_t> WriteInputSignatureBlob(const std::vector<StageInput>& inputs)
{
    Writer w;
    WriteHeader(w, kSignatureMagic, 0);
    WriteInputs(w, inputs);
    w.PatchU32(12, static_cast<std::uint32_t>(w.out.size()));
    return std::move(w.out);
}

bool ParseInputSignatureBlob(const void* data, std::size_t size, std::vector<StageInput>& out)
{
    Reader r(data, size);
    std::uint32_t kind = 0;
    std::vector<StageInput> inputs;
    if (!ReadHeader(r, data, size, kSignatureMagic, kind) || kind != 0 || !ReadInputs(r, inputs) || r.Left() != 0) {
        return false;
    }
    out = std::move(inputs);
    return true;
}

bool ParseAnyInputSignature(const void* data, std::size_t size, std::vector<StageInput>& out)
{
    if (ParseInputSignatureBlob(data, size, out)) {
        return true;
    }
    StageBlob blob;
    if (!ParseStageBlob(data, size, blob) || blob.stage != StageKind::Vertex) {
        return false;
    }
    out = std::move(blob.inputs);
    return true;
}
