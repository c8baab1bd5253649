#include "fxruntime/EffectBlob.h"

#include "platform/blobs/ByteStream.h"
#include "platform/d3d11/Checks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <type_traits>

namespace {

constexpr std::uint8_t kMagic[4] = {'S', 'H', 'F', 'X'};
constexpr std::size_t kHeaderSize = 12;  // magic, version, total size

using Writer = ByteWriter;

class Reader : public ByteReader {
public:
    using ByteReader::ByteReader;
    using ByteReader::Str;
    bool Enum(std::uint32_t& v, std::uint32_t lo, std::uint32_t hi) { return U32(v) && v >= lo && v <= hi; }
    bool Str(std::string& s, bool allowEmpty) { return Str(s, kEffectMaxName, allowEmpty); }
};

template <typename Member>
constexpr std::uint64_t LargestOf()
{
    if constexpr (std::is_enum_v<Member>) {
        return std::numeric_limits<std::underlying_type_t<Member>>::max();
    } else {
        return std::numeric_limits<Member>::max();
    }
}

// A description's fields in the order Direct3D declares them: BOOL as one byte, INT as i32, FLOAT
// as f32, everything else as u32.
template <typename Desc>
void WriteFields(Writer& w, const Desc& desc)
{
    d3dgl::VisitFields(desc, [&](const d3dgl::FieldInfo& f, const auto& member) {
        using Member = std::remove_cvref_t<decltype(member)>;
        if constexpr (std::is_array_v<Member>) {
            for (float c : member) {
                w.F32(c);
            }
        } else if constexpr (std::is_floating_point_v<Member>) {
            w.F32(member);
        } else if (f.domain == d3dgl::FieldDomain::Bool) {
            w.Bool(member != 0);
        } else if (f.domain == d3dgl::FieldDomain::Int) {
            w.I32(static_cast<std::int32_t>(member));
        } else {
            w.U32(static_cast<std::uint32_t>(member));
        }
    });
}

// The fields as WriteFields wrote them; false where one does not fit its member. Whether the values
// make a state the device accepts is the device's own check (Checks.h), which the callers apply.
template <typename Desc>
bool ReadFields(Reader& r, Desc& desc)
{
    bool ok = true;
    d3dgl::VisitFields(desc, [&](const d3dgl::FieldInfo& f, auto& member) {
        using Member = std::remove_cvref_t<decltype(member)>;
        if constexpr (std::is_array_v<Member>) {
            for (float& c : member) {
                ok = ok && r.F32(c);
            }
        } else if constexpr (std::is_floating_point_v<Member>) {
            ok = ok && r.F32(member);
        } else if (f.domain == d3dgl::FieldDomain::Bool) {
            bool b = false;
            ok = ok && r.Bool(b);
            member = static_cast<Member>(b ? TRUE : FALSE);
        } else if (f.domain == d3dgl::FieldDomain::Int) {
            std::int32_t i = 0;
            ok = ok && r.I32(i);
            member = static_cast<Member>(i);
        } else {
            std::uint32_t u = 0;
            ok = ok && r.U32(u) && u <= LargestOf<Member>();
            member = static_cast<Member>(u);
        }
    });
    return ok;
}

// A list of named states, each one the device accepts.
template <typename State, typename Check>
bool ReadStateList(Reader& r, std::vector<State>& states, std::uint32_t most, std::size_t minBytes, Check check)
{
    std::uint32_t n = 0;
    if (!r.Count(n, most, minBytes)) {
        return false;
    }
    states.resize(n);
    for (State& s : states) {
        if (!r.Str(s.name, false) || !ReadFields(r, s.desc) || check(&s.desc)) {
            return false;
        }
    }
    return true;
}

bool SetOnce(std::set<std::string>& seen, const std::string& name)
{
    return seen.insert(name).second;
}

void WriteBuffersAndVariables(Writer& w, const EffectBlob& blob)
{
    w.U32(static_cast<std::uint32_t>(blob.constantBuffers.size()));
    for (const EffectConstantBuffer& b : blob.constantBuffers) {
        w.Str(b.name);
        w.U32(b.slot);
        w.Data(b.initialData);
        w.U32(b.gpuSize);
        w.U32(static_cast<std::uint32_t>(b.runs.size()));
        for (const EffectCopyRun& r : b.runs) {
            w.U32(r.from);
            w.U32(r.to);
            w.U32(r.bytes);
        }
    }
    w.U32(static_cast<std::uint32_t>(blob.variables.size()));
    for (const EffectVariable& v : blob.variables) {
        w.Str(v.name);
        w.U32(static_cast<std::uint32_t>(v.kind));
        w.U32(v.buffer);
        w.U32(v.offset);
        w.U32(v.size);
        w.U32(static_cast<std::uint32_t>(v.baseType));
        w.U32(v.rows);
        w.U32(v.columns);
        w.U32(v.elements);
        w.U32(v.elementStride);
        w.Bool(v.columnMajor);
        w.Bool(v.matrix);
        w.U32(v.slot);
        w.U32(static_cast<std::uint32_t>(v.dimension));
        w.U32(static_cast<std::uint32_t>(v.format));
    }
}

template <typename State>
void WriteStateList(Writer& w, const std::vector<State>& states)
{
    w.U32(static_cast<std::uint32_t>(states.size()));
    for (const State& s : states) {
        w.Str(s.name);
        WriteFields(w, s.desc);
    }
}

void WriteStates(Writer& w, const EffectBlob& blob)
{
    WriteStateList(w, blob.samplers);
    WriteStateList(w, blob.rasterizerStates);
    WriteStateList(w, blob.depthStencilStates);
    WriteStateList(w, blob.blendStates);
}

void WriteTechniques(Writer& w, const EffectBlob& blob)
{
    w.U32(static_cast<std::uint32_t>(blob.techniques.size()));
    for (const EffectTechnique& t : blob.techniques) {
        w.Str(t.name);
        w.U32(static_cast<std::uint32_t>(t.passes.size()));
        for (const EffectPass& p : t.passes) {
            w.Str(p.name);
            for (std::int32_t s : p.shaders) {
                w.I32(s);
            }
            w.I32(p.rasterizerState);
            w.I32(p.depthStencilState);
            w.U32(p.stencilRef);
            w.I32(p.blendState);
            for (float f : p.blendFactor) {
                w.F32(f);
            }
            w.U32(p.sampleMask);
        }
    }
}

bool ReadShaders(Reader& r, EffectBlob& blob)
{
    std::uint32_t n = 0;
    if (!r.Count(n, kEffectMaxShaders, 12)) {
        return false;
    }
    blob.shaders.resize(n);
    for (EffectShader& s : blob.shaders) {
        std::uint32_t stage = 0;
        if (!r.Enum(stage, 0, 5) || !r.Str(s.entry, false) || !r.Data(s.code, kEffectMaxStageBlob)) {
            return false;
        }
        s.stage = static_cast<StageKind>(stage);
    }
    return true;
}

// Names are unique, and so are slots.
bool ReadConstantBuffers(Reader& r, EffectBlob& blob)
{
    std::uint32_t n = 0;
    std::set<std::string> names;
    std::set<std::uint32_t> bufferSlots;
    if (!r.Count(n, kEffectMaxBuffers, 20)) {
        return false;
    }
    blob.constantBuffers.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        EffectConstantBuffer& b = blob.constantBuffers[i];
        std::uint32_t runs = 0;
        if (!r.Str(b.name, false) || !SetOnce(names, b.name) || !r.U32(b.slot) || b.slot >= kEffectMaxBuffers ||
            !bufferSlots.insert(b.slot).second || !r.Data(b.initialData, kEffectMaxBufferSize) ||
            b.initialData.size() % 16 != 0 || !r.U32(b.gpuSize) || b.gpuSize % 16 != 0 || b.gpuSize == 0 ||
            b.gpuSize > kEffectMaxBufferSize || !r.Count(runs, kEffectMaxBufferSize / 4, 12)) {
            return false;
        }
        // Without runs the shaders read the buffer as it is; with them, a copy every run stays inside.
        if (runs == 0 && b.gpuSize != b.initialData.size()) {
            return false;
        }
        b.runs.resize(runs);
        for (EffectCopyRun& run : b.runs) {
            if (!r.U32(run.from) || !r.U32(run.to) || !r.U32(run.bytes) || run.bytes == 0 ||
                std::uint64_t{run.from} + run.bytes > b.initialData.size() ||
                std::uint64_t{run.to} + run.bytes > b.gpuSize) {
                return false;
            }
        }
    }
    return true;
}

// Names are unique; a numeric variable lies inside its buffer, a texture or UAV within the slots there are.
bool ReadVariables(Reader& r, EffectBlob& blob)
{
    std::uint32_t n = 0;
    std::set<std::string> names;
    if (!r.Count(n, kEffectMaxVariables, 60)) {
        return false;
    }
    blob.variables.resize(n);
    for (EffectVariable& v : blob.variables) {
        std::uint32_t kind = 0, base = 0, dim = 0, format = 0;
        if (!r.Str(v.name, false) || !SetOnce(names, v.name) || !r.Enum(kind, 0, 3) || !r.U32(v.buffer) ||
            !r.U32(v.offset) || !r.U32(v.size) || !r.Enum(base, 0, 4) || !r.Enum(v.rows, 1, 4) ||
            !r.Enum(v.columns, 1, 4) || !r.U32(v.elements) || !r.U32(v.elementStride) || !r.Bool(v.columnMajor) ||
            !r.Bool(v.matrix) || !r.U32(v.slot) || !r.Enum(dim, 0, 3) || !r.Enum(format, 0, 6)) {
            return false;
        }
        v.kind = static_cast<EffectVariableKind>(kind);
        v.baseType = static_cast<EffectBaseType>(base);
        v.dimension = static_cast<StageTextureDimension>(dim);
        v.format = static_cast<StageImageFormat>(format);
        switch (v.kind) {
        case EffectVariableKind::Numeric: {
            if (v.buffer >= blob.constantBuffers.size() || v.size == 0) {
                return false;
            }
            const std::uint64_t end = std::uint64_t{v.offset} + v.size;
            if (end > blob.constantBuffers[v.buffer].initialData.size()) {
                return false;
            }
            if (v.elements > kEffectMaxBufferSize || (v.elements > 0 && v.elementStride == 0)) {
                return false;
            }
            break;
        }
        case EffectVariableKind::Texture:
            if (std::uint64_t{v.slot} + std::max(v.elements, 1u) > kEffectMaxTextures) {
                return false;
            }
            break;
        case EffectVariableKind::Uav:
            if (v.elements != 0 || v.slot >= kEffectMaxUavs) {
                return false;
            }
            break;
        case EffectVariableKind::Sampler: break;  // checked against the sampler list in CheckBindings
        }
    }
    return true;
}

bool ReadSamplers(Reader& r, EffectBlob& blob)
{
    return ReadStateList(r, blob.samplers, kEffectMaxSamplers, 56, d3dgl::CheckSampler);
}

// No slot is taken by two variables, and every binding a stage makes must name something the effect
// owns, or the runtime would bind from outside its tables.
bool CheckBindings(EffectBlob& blob)
{
    std::set<std::uint32_t> bufferSlots;
    for (const EffectConstantBuffer& b : blob.constantBuffers) {
        bufferSlots.insert(b.slot);
    }
    std::set<std::uint32_t> textureSlots, uavSlots;
    for (const EffectVariable& v : blob.variables) {
        const std::uint32_t count = std::max(v.elements, 1u);
        if (v.kind == EffectVariableKind::Sampler && std::uint64_t{v.slot} + count > blob.samplers.size()) {
            return false;
        }
        for (std::uint32_t e = 0; v.kind == EffectVariableKind::Texture && e < count; ++e) {
            if (!textureSlots.insert(v.slot + e).second) {
                return false;
            }
        }
        if (v.kind == EffectVariableKind::Uav && !uavSlots.insert(v.slot).second) {
            return false;
        }
    }
    for (EffectShader& s : blob.shaders) {
        StageBlob& stage = s.parsed;
        if (!ParseStageBlob(s.code.data(), s.code.size(), stage) || stage.stage != s.stage) {
            return false;
        }
        for (const StageConstantBuffer& b : stage.constantBuffers) {
            if (bufferSlots.count(b.binding) == 0 || b.name.empty()) {
                return false;
            }
        }
        for (const StageTexture& t : stage.textures) {
            if (textureSlots.count(t.slot) == 0 ||
                (t.samplerSlot != kStageNoSampler && t.samplerSlot >= blob.samplers.size())) {
                return false;
            }
        }
        for (const StageImage& i : stage.images) {
            if (uavSlots.count(i.unit) == 0) {
                return false;
            }
        }
    }
    return true;
}

bool ReadStates(Reader& r, EffectBlob& blob)
{
    return ReadStateList(r, blob.rasterizerStates, kEffectMaxStates, 44, d3dgl::CheckRasterizer) &&
           ReadStateList(r, blob.depthStencilStates, kEffectMaxStates, 60, d3dgl::CheckDepthStencil) &&
           ReadStateList(r, blob.blendStates, kEffectMaxStates, 268, d3dgl::CheckBlend);
}

bool ReadTechniques(Reader& r, EffectBlob& blob)
{
    std::uint32_t n = 0;
    std::set<std::string> names;
    if (!r.Count(n, kEffectMaxTechniques, 8)) {
        return false;
    }
    blob.techniques.resize(n);
    for (EffectTechnique& t : blob.techniques) {
        std::uint32_t passes = 0;
        if (!r.Str(t.name, false) || !SetOnce(names, t.name) || !r.Count(passes, kEffectMaxPasses, 64)) {
            return false;
        }
        t.passes.resize(passes);
        for (EffectPass& p : t.passes) {
            if (!r.Str(p.name, true)) {
                return false;
            }
            for (std::size_t k = 0; k < kEffectStageCount; ++k) {
                std::int32_t& s = p.shaders[k];
                if (!r.I32(s) || s < -1 || s >= static_cast<std::int32_t>(blob.shaders.size())) {
                    return false;
                }
                if (s >= 0 && blob.shaders[static_cast<std::size_t>(s)].stage != static_cast<StageKind>(k)) {
                    return false;
                }
            }
            auto state = [&r](std::int32_t& v, std::size_t count) {
                return r.I32(v) && v >= kEffectStateDefault && v < static_cast<std::int32_t>(count);
            };
            if (!state(p.rasterizerState, blob.rasterizerStates.size()) ||
                !state(p.depthStencilState, blob.depthStencilStates.size()) || !r.U32(p.stencilRef) ||
                !state(p.blendState, blob.blendStates.size())) {
                return false;
            }
            for (float& f : p.blendFactor) {
                if (!r.F32(f)) {
                    return false;
                }
            }
            if (!r.U32(p.sampleMask)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> WriteEffectBlob(const EffectBlob& blob)
{
    Writer w;
    // Room for a typical effect up front; it also spares GCC 12 a false stringop-overflow warning
    // about the first small insert.
    w.out.reserve(64 * 1024);
    w.Bytes(kMagic, 4);
    w.U32(kEffectBlobVersion);
    w.U32(0);  // total size, patched below

    w.U32(static_cast<std::uint32_t>(blob.shaders.size()));
    for (const EffectShader& s : blob.shaders) {
        w.U32(static_cast<std::uint32_t>(s.stage));
        w.Str(s.entry);
        w.Data(s.code);
    }
    WriteBuffersAndVariables(w, blob);
    WriteStates(w, blob);
    WriteTechniques(w, blob);
    const auto total = static_cast<std::uint32_t>(w.out.size());
    for (int i = 0; i < 4; ++i) {
        w.out[8 + i] = static_cast<std::uint8_t>(total >> (8 * i));
    }
    return w.out;
}

bool ParseEffectBlob(const void* data, std::size_t size, EffectBlob& out)
{
    if (data == nullptr || size < kHeaderSize || std::memcmp(data, kMagic, 4) != 0) {
        return false;
    }
    Reader r(static_cast<const std::uint8_t*>(data) + 4, size - 4);
    std::uint32_t version = 0, total = 0;
    if (!r.U32(version) || version != kEffectBlobVersion || !r.U32(total) || total != size) {
        return false;
    }
    // In the order written; the stages' bindings are checked once the tables they name are read.
    EffectBlob blob;
    if (!ReadShaders(r, blob) || !ReadConstantBuffers(r, blob) || !ReadVariables(r, blob) || !ReadSamplers(r, blob) ||
        !CheckBindings(blob) || !ReadStates(r, blob) || !ReadTechniques(r, blob) || r.Left() != 0) {
        return false;
    }
    out = std::move(blob);
    return true;
}
