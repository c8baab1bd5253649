// MergeBuffers, DecideBindings and BuildTables (CompilerPhases.h): the effect's constant buffers,
// every slot and unit, and the blob's tables made from them.
#include <algorithm>

#include "fxruntime/CompilerPhases.h"
#include "fxruntime/HlslTypeNames.h"

namespace {

EffectSourceLocation MainFile(const EffectSource& source)
{
    return {source.mainFile, 1, 1};
}

struct SlotRequest {
    EffectRegister reg;
    std::uint32_t count = 1;
};

// Explicit registers as given (CheckRegisters has refused clashes); the others, in order, at the
// lowest run of free slots long enough.
bool AssignSlots(const std::vector<SlotRequest>& requests, std::uint32_t limit, std::vector<std::uint32_t>& slots)
{
    std::vector<bool> taken(limit, false);
    slots.assign(requests.size(), 0);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (!requests[i].reg.given) {
            continue;
        }
        if (requests[i].reg.slot + requests[i].count > limit) {
            return false;
        }
        slots[i] = requests[i].reg.slot;
        for (std::uint32_t k = 0; k < requests[i].count; ++k) {
            taken[slots[i] + k] = true;
        }
    }
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (requests[i].reg.given) {
            continue;
        }
        std::uint32_t at = 0;
        for (;; ++at) {
            if (at + requests[i].count > limit) {
                return false;
            }
            bool free = true;
            for (std::uint32_t k = 0; free && k < requests[i].count; ++k) {
                free = !taken[at + k];
            }
            if (free) {
                break;
            }
        }
        slots[i] = at;
        for (std::uint32_t k = 0; k < requests[i].count; ++k) {
            taken[at + k] = true;
        }
    }
    return true;
}

// The merged buffers (a copy, sorted here) with their slots: declaration order gives stable slots,
// the implicit global buffer last.
bool BufferSlots(const EffectSource& source, std::vector<const PackedBuffer*> buffers, Bindings& out,
                 Diagnostics& diagnostics)
{
    auto rank = [&](const std::string& name) {
        const auto& decls = source.constantBuffers;
        const auto it = std::find_if(decls.begin(), decls.end(),
                                     [&](const EffectConstantBufferDecl& d) { return d.name == name; });
        return it == decls.end() ? decls.size() : static_cast<std::size_t>(it - decls.begin());
    };
    std::stable_sort(buffers.begin(), buffers.end(),
                     [&](const PackedBuffer* a, const PackedBuffer* b) { return rank(a->name) < rank(b->name); });
    if (buffers.size() > kEffectMaxBuffers) {
        ReportError(diagnostics, MainFile(source),
                    "more than " + std::to_string(kEffectMaxBuffers) + " constant buffers");
        return false;
    }
    std::vector<SlotRequest> requests;
    for (const PackedBuffer* b : buffers) {
        const std::size_t r = rank(b->name);
        requests.push_back({r < source.constantBuffers.size() ? source.constantBuffers[r].reg : EffectRegister{}, 1});
    }
    std::vector<std::uint32_t> slots;
    if (!AssignSlots(requests, kEffectMaxBuffers, slots)) {
        ReportError(diagnostics, MainFile(source),
                    "the constant buffers need more than " + std::to_string(kEffectMaxBuffers) + " slots");
        return false;
    }
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        out.buffers.push_back(
            {buffers[i], slots[i], buffers[i]->runs.empty() ? buffers[i]->size : buffers[i]->gpuSize});
    }
    return true;
}

// Textures, UAVs and samplers with their slots: explicit registers first, the rest in declaration
// order; an array takes consecutive slots.
bool ResourceSlots(const EffectSource& source, Bindings& out, Diagnostics& diagnostics)
{
    std::vector<SlotRequest> requests[3];
    std::vector<const EffectResourceDecl*> decls[3];
    for (const EffectResourceDecl& r : source.resources) {
        const auto kind = static_cast<std::size_t>(r.kind);
        requests[kind].push_back({r.reg, std::max(r.elements, 1u)});
        decls[kind].push_back(&r);
    }
    const std::uint32_t limits[3] = {kEffectMaxTextures, kEffectMaxUavs, kEffectMaxSamplers};
    const char* const kinds[3] = {"textures", "writable textures", "samplers"};
    std::vector<ResourceBinding>* const lists[3] = {&out.textures, &out.uavs, &out.samplers};
    for (std::size_t kind = 0; kind < 3; ++kind) {
        std::vector<std::uint32_t> slots;
        if (!AssignSlots(requests[kind], limits[kind], slots)) {
            ReportError(diagnostics, MainFile(source),
                        std::string("the ") + kinds[kind] + " need more than " + std::to_string(limits[kind]) +
                            " slots");
            return false;
        }
        for (std::size_t i = 0; i < slots.size(); ++i) {
            lists[kind]->push_back({decls[kind][i], slots[i]});
        }
    }
    for (const ResourceBinding& s : out.samplers) {
        out.samplerSlots = std::max(out.samplerSlots, s.slot + std::max(s.decl->elements, 1u));
    }
    return true;
}

// The effect's slots by name, for finding what a stage names.
struct SlotsByName {
    std::map<std::string, std::uint32_t> buffers, bufferGpuSizes, textures, uavs, samplers;

    explicit SlotsByName(const Bindings& b)
    {
        for (const BufferBinding& buffer : b.buffers) {
            buffers[buffer.layout->name] = buffer.slot;
            bufferGpuSizes[buffer.layout->name] = buffer.gpuSize;
        }
        for (const ResourceBinding& r : b.textures) {
            textures[r.decl->name] = r.slot;
        }
        for (const ResourceBinding& r : b.uavs) {
            uavs[r.decl->name] = r.slot;
        }
        for (const ResourceBinding& r : b.samplers) {
            samplers[r.decl->name] = r.slot;
        }
    }
};

// The Direct3D sampler slot of a pair's sampler (a sampler array's element reaches the GLSL as a
// sampler of its own); false, with the error, for a sampler not declared at file scope.
bool SamplerSlotOf(const EffectSource& source, const StageEntry& entry, const SlotsByName& slots,
                   const std::string& name, std::uint32_t& slot, Diagnostics& diagnostics)
{
    const auto element = source.samplerElements.find(name);
    const bool isElement = element != source.samplerElements.end();
    const std::string sampler = isElement ? element->second.sampler : name;
    const auto s = slots.samplers.find(sampler);
    if (s == slots.samplers.end()) {
        ReportError(diagnostics, entry.call.where, "sampler '" + sampler + "' must be declared at file scope");
        return false;
    }
    slot = s->second + (isElement ? element->second.index : 0);
    return true;
}

// A stage's texture-sampler pairs: named and bound to units in order, each with the slots of its
// texture (an array takes consecutive ones) and sampler.
bool StageTextures(const EffectSource& source, const StageEntry& entry, const StageReflection& r,
                   const SlotsByName& slots, StageBindings& out, Diagnostics& diagnostics)
{
    std::set<std::string> samplersUsed;
    std::uint32_t unit = 0;
    for (const CombinedSampler& c : r.combined) {
        const auto tex = slots.textures.find(c.texture);
        const EffectResourceDecl* texture = FindResource(source, c.texture, EffectResourceKind::Texture);
        if (tex == slots.textures.end() || texture == nullptr) {
            ReportError(diagnostics, entry.call.where, "texture '" + c.texture + "' must be declared at file scope");
            return false;
        }
        std::uint32_t samplerSlot = kStageNoSampler;
        if (!c.sampler.empty()) {
            if (!SamplerSlotOf(source, entry, slots, c.sampler, samplerSlot, diagnostics)) {
                return false;
            }
            if (samplersUsed.insert(c.sampler).second) {
                out.samplers.push_back({c.sampler, samplerSlot});
            }
        }
        const std::string name = "fx_" + c.texture + (c.sampler.empty() ? "" : "_" + c.sampler);
        out.pairs.push_back({c.id, name, unit});
        // An array of textures takes consecutive slots and units, one uniform element each.
        for (std::uint32_t e = 0; e < std::max(texture->elements, 1u); ++e) {
            StageTexture t;
            t.name = texture->elements > 0 ? name + "[" + std::to_string(e) + "]" : name;
            t.unit = unit++;
            t.slot = tex->second + e;
            t.dimension = texture->dimension;
            t.samplerSlot = samplerSlot;
            t.comparison = r.comparedTextures.count(c.texture) != 0;
            out.textures.push_back(std::move(t));
        }
    }
    return true;
}

// One stage's bindings: its blocks at their buffers' slots, its pairs at texture units, its images
// at their UAVs' slots.
bool BindStage(const EffectSource& source, const StageEntry& entry, const TranslatedStage& stage,
               const SlotsByName& slots, StageBindings& out, Diagnostics& diagnostics)
{
    for (const NamedId& b : stage.reflection.buffers) {
        const std::uint32_t slot = slots.buffers.at(b.name);
        // The device finds the block by name. An HLSL name GLSL cannot take ("$Globals", a keyword
        // such as "buffer") would be renamed by SPIRV-Cross, and the block then found by nobody:
        // every block gets a name of its own, made from its slot.
        out.blocks.push_back({b.id, b.typeId, {"fx_cb" + std::to_string(slot), slot, slots.bufferGpuSizes.at(b.name)}});
    }
    if (!StageTextures(source, entry, stage.reflection, slots, out, diagnostics)) {
        return false;
    }
    for (const NamedId& img : stage.reflection.images) {
        const auto u = slots.uavs.find(img.name);
        if (u == slots.uavs.end()) {
            ReportError(diagnostics, entry.call.where, "UAV '" + img.name + "' must be declared at file scope");
            return false;
        }
        const auto format = stage.images.formats.find(img.name);
        out.images.push_back({img.id,
                              {img.name, u->second,
                               format != stage.images.formats.end() ? format->second : StageImageFormat::Unspecified}});
    }
    return true;
}

// Appends `v` to the variables; false, with the error at `where`, when one of its name is there.
bool AddVariable(const EffectVariable& v, std::set<std::string>& names, const EffectSourceLocation& where,
                 const std::string& error, EffectBlob& blob, Diagnostics& diagnostics)
{
    if (!names.insert(v.name).second) {
        ReportError(diagnostics, where, error);
        return false;
    }
    blob.variables.push_back(v);
    return true;
}

// The constant buffers with their slots, and their members as variables.
bool BufferTable(const EffectSource& source, const Bindings& bindings, std::set<std::string>& names, EffectBlob& blob,
                 Diagnostics& diagnostics)
{
    for (std::size_t i = 0; i < bindings.buffers.size(); ++i) {
        const PackedBuffer& b = *bindings.buffers[i].layout;
        EffectConstantBuffer cb;
        cb.name = b.name;
        cb.slot = bindings.buffers[i].slot;
        cb.initialData.assign(b.size, 0);
        cb.gpuSize = bindings.buffers[i].gpuSize;
        cb.runs = b.runs;
        blob.constantBuffers.push_back(std::move(cb));
        for (std::size_t m = 0; m < b.members.size(); ++m) {
            EffectVariable v = b.members[m];
            v.buffer = static_cast<std::uint32_t>(i);
            const EffectSourceLocation& where = b.memberDecls[m].file.empty() ? MainFile(source) : b.memberDecls[m];
            if (!AddVariable(v, names, where, "variable '" + v.name + "' is declared in two constant buffers", blob,
                             diagnostics)) {
                return false;
            }
        }
    }
    return true;
}

// What a texture's or UAV's template argument holds: integers or not ("uint4": UInt; "float4", an
// unknown name or none: Float). The runtime names a view of the other kind given to it.
EffectBaseType ElementBaseType(const std::string& elementType)
{
    HlslTypeName name;
    if (!ParseHlslTypeName(elementType, name)) {
        return EffectBaseType::Float;
    }
    if (name.scalar == "uint" || name.scalar == "dword" || name.scalar == "min16uint") {
        return EffectBaseType::UInt;
    }
    if (name.scalar == "int" || name.scalar == "min16int" || name.scalar == "min12int") {
        return EffectBaseType::Int;
    }
    return EffectBaseType::Float;
}

// Textures, UAVs and samplers as variables with their slots; a UAV takes the format a stage reads
// it with.
bool ResourceTable(const Bindings& bindings, const std::vector<TranslatedStage>& stages, std::set<std::string>& names,
                   EffectBlob& blob, Diagnostics& diagnostics)
{
    for (const std::vector<ResourceBinding>* list : {&bindings.textures, &bindings.uavs, &bindings.samplers}) {
        for (const ResourceBinding& binding : *list) {
            const EffectResourceDecl& r = *binding.decl;
            EffectVariable v;
            v.name = r.name;
            v.slot = binding.slot;
            v.elements = r.elements;
            if (r.kind == EffectResourceKind::Texture) {
                v.kind = EffectVariableKind::Texture;
                v.dimension = r.dimension;
                v.baseType = ElementBaseType(r.elementType);
            } else if (r.kind == EffectResourceKind::Uav) {
                v.kind = EffectVariableKind::Uav;
                v.baseType = ElementBaseType(r.elementType);
                v.format = StageImageFormat::Unspecified;
                for (const TranslatedStage& stage : stages) {
                    const auto f = stage.images.formats.find(r.name);
                    if (f != stage.images.formats.end() && f->second != StageImageFormat::Unspecified) {
                        v.format = f->second;
                    }
                }
            } else {
                v.kind = EffectVariableKind::Sampler;
            }
            if (!AddVariable(v, names, r.where, "'" + v.name + "' is declared twice", blob, diagnostics)) {
                return false;
            }
        }
    }
    return true;
}

// The sampler list, indexed by slot; slots no declaration takes hold the default sampler.
void SamplerTable(const EffectSource& source, const Bindings& bindings, EffectBlob& blob)
{
    const SlotsByName slots(bindings);
    blob.samplers.assign(bindings.samplerSlots, EffectSamplerDesc{});
    for (const EffectSamplerDesc& desc : source.samplers) {
        const auto slot = slots.samplers.find(desc.name);
        if (slot == slots.samplers.end()) {
            continue;
        }
        const EffectResourceDecl* decl = FindResource(source, desc.name, EffectResourceKind::Sampler);
        for (std::uint32_t e = 0; e < std::max(decl != nullptr ? decl->elements : 0u, 1u); ++e) {
            blob.samplers[slot->second + e] = desc;
            if (decl != nullptr && decl->elements > 0) {
                blob.samplers[slot->second + e].name += "[" + std::to_string(e) + "]";
            }
        }
    }
    for (EffectSamplerDesc& desc : blob.samplers) {
        if (desc.name.empty()) {
            desc.name = "(default)";
        }
    }
}

}  // namespace

bool MergeBuffers(const std::vector<StageEntry>& entries, const std::vector<TranslatedStage>& stages,
                  std::vector<const PackedBuffer*>& merged, Diagnostics& diagnostics)
{
    std::vector<std::string> firstEntry;
    for (std::size_t s = 0; s < stages.size(); ++s) {
        for (const PackedBuffer& b : stages[s].buffers) {
            auto it = std::find_if(merged.begin(), merged.end(),
                                   [&](const PackedBuffer* x) { return x->name == b.name; });
            if (it == merged.end()) {
                merged.push_back(&b);
                firstEntry.push_back(entries[s].call.Key());
                continue;
            }
            const PackedBuffer& x = **it;
            bool same = x.size == b.size && x.gpuSize == b.gpuSize && x.members.size() == b.members.size();
            for (std::size_t i = 0; same && i < b.members.size(); ++i) {
                same = x.members[i].name == b.members[i].name && x.members[i].offset == b.members[i].offset &&
                       x.members[i].size == b.members[i].size;
            }
            if (!same) {
                ReportError(diagnostics, entries[s].call.where,
                            "constant buffer '" + b.name + "' is laid out differently in entry points '" +
                                firstEntry[static_cast<std::size_t>(it - merged.begin())] + "' and '" +
                                entries[s].call.Key() + "'");
                return false;
            }
        }
    }
    return true;
}

bool DecideBindings(const EffectSource& source, const std::vector<StageEntry>& entries,
                    const std::vector<const PackedBuffer*>& merged, const std::vector<TranslatedStage>& stages,
                    Bindings& out, Diagnostics& diagnostics)
{
    if (!BufferSlots(source, merged, out, diagnostics) || !ResourceSlots(source, out, diagnostics)) {
        return false;
    }
    const SlotsByName slots(out);
    out.stages.resize(stages.size());
    for (std::size_t i = 0; i < stages.size(); ++i) {
        if (!BindStage(source, entries[i], stages[i], slots, out.stages[i], diagnostics)) {
            return false;
        }
    }
    return true;
}

bool BuildTables(const EffectSource& source, const Bindings& bindings, const std::vector<TranslatedStage>& stages,
                 EffectBlob& blob, Diagnostics& diagnostics)
{
    std::set<std::string> names;  // of every variable, which must differ
    if (!BufferTable(source, bindings, names, blob, diagnostics) ||
        !ResourceTable(bindings, stages, names, blob, diagnostics)) {
        return false;
    }
    SamplerTable(source, bindings, blob);
    return true;
}
