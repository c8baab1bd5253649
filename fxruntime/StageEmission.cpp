// AssignVaryings, CheckPixelUavRegisters and EmitStage (CompilerPhases.h): where the stages' values
// meet, and each stage's GLSL with its bindings in a stage blob.
#include <algorithm>

#include "fxruntime/CompileStep.h"
#include "fxruntime/CompilerPhases.h"

namespace {

constexpr std::uint32_t kMaxVaryingLocations = 32;

// Gives each semantic (and index) the next free run of locations the first time it is seen, so that
// a vertex output and the pixel input of the same semantic meet.
class SemanticLocations {
public:
    bool Place(const StageEntry& entry, Varying& v, Diagnostics& diagnostics)
    {
        const std::string key = v.semantic + std::to_string(v.index);
        auto it = location.find(key);
        if (it == location.end()) {
            it = location.emplace(key, next).first;
            next += v.locations;
        }
        v.location = it->second;
        if (next > kMaxVaryingLocations) {
            ReportError(diagnostics, entry.call.where, "too many values passed between stages");
            return false;
        }
        return true;
    }

private:
    std::map<std::string, std::uint32_t> location;
    std::uint32_t next = 0;
};

// A vertex stage's inputs but the system values, with their component types.
bool VertexInputs(const StageEntry& entry, const std::vector<Varying>& inputs, StageBlob& stage,
                  Diagnostics& diagnostics)
{
    for (const Varying& v : inputs) {
        if (v.semantic.rfind("SV_", 0) == 0) {
            continue;
        }
        StageComponentType type = StageComponentType::Float;
        if (v.baseType == SPVC_BASETYPE_INT32) {
            type = StageComponentType::SInt;
        } else if (v.baseType == SPVC_BASETYPE_UINT32) {
            type = StageComponentType::UInt;
        } else if (v.baseType != SPVC_BASETYPE_FP32) {
            ReportError(diagnostics, entry.call.where, "vertex input '" + v.semantic + "' has an unsupported type");
            return false;
        }
        // A matrix input takes one location and one semantic index per row.
        for (std::uint32_t k = 0; k < v.locations; ++k) {
            stage.inputs.push_back({v.semantic, v.index + k, v.location + k, type, v.vectorSize});
        }
    }
    return true;
}

// Writes the bindings and the placed locations into the stage's SPIRV-Cross compiler, and the
// bindings into its stage blob.
void ApplyBindings(spvc_compiler compiler, const StageBindings& bindings, const StageVaryings& varyings,
                   StageBlob& stage)
{
    for (const StageBindings::Block& b : bindings.blocks) {
        spvc_compiler_set_decoration(compiler, b.id, SpvDecorationBinding, b.buffer.binding);
        spvc_compiler_set_decoration(compiler, b.id, SpvDecorationDescriptorSet, 0);
        spvc_compiler_set_name(compiler, b.typeId, b.buffer.name.c_str());
        stage.constantBuffers.push_back(b.buffer);
    }
    for (const StageBindings::Pair& p : bindings.pairs) {
        spvc_compiler_set_name(compiler, p.id, p.name.c_str());
        spvc_compiler_set_decoration(compiler, p.id, SpvDecorationBinding, p.unit);
    }
    stage.textures = bindings.textures;
    stage.samplers = bindings.samplers;
    for (const StageBindings::Image& i : bindings.images) {
        spvc_compiler_set_decoration(compiler, i.id, SpvDecorationBinding, i.image.unit);
        stage.images.push_back(i.image);
    }
    auto place = [&](const std::vector<Varying>& list) {
        for (const Varying& v : list) {
            spvc_compiler_set_decoration(compiler, v.id, SpvDecorationLocation, v.location);
        }
    };
    if (varyings.inputsPlaced) {
        place(varyings.inputs);
    }
    if (varyings.outputsPlaced) {
        place(varyings.outputs);
    }
}

}  // namespace

// glslang numbers a stage's inputs and outputs in declaration order; they are renumbered by
// semantic so that a vertex output meets the pixel input of the same semantic.
bool AssignVaryings(const std::vector<StageEntry>& entries, const std::vector<TranslatedStage>& stages,
                    std::vector<StageVaryings>& out, Diagnostics& diagnostics)
{
    out.resize(stages.size());
    for (std::size_t i = 0; i < stages.size(); ++i) {
        out[i].inputs = stages[i].reflection.inputs;
        out[i].outputs = stages[i].reflection.outputs;
    }
    SemanticLocations locations;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].call.stage != StageKind::Vertex) {
            continue;
        }
        out[i].outputsPlaced = true;
        for (Varying& v : out[i].outputs) {
            if (!locations.Place(entries[i], v, diagnostics)) {
                return false;
            }
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].call.stage != StageKind::Pixel) {
            continue;
        }
        out[i].inputsPlaced = out[i].outputsPlaced = true;
        for (Varying& v : out[i].inputs) {
            if (!locations.Place(entries[i], v, diagnostics)) {
                return false;
            }
        }
        for (Varying& v : out[i].outputs) {
            if (v.semantic != "SV_TARGET") {
                ReportError(diagnostics, entries[i].call.where,
                            "pixel shader output '" + v.semantic + "' is not a render target");
                return false;
            }
            if (v.baseType == SPVC_BASETYPE_FP64 || v.baseType == SPVC_BASETYPE_INT64 ||
                v.baseType == SPVC_BASETYPE_UINT64) {
                ReportError(diagnostics, entries[i].call.where,
                            "pixel shader output 'SV_Target" + std::to_string(v.index) +
                                "' is a 64-bit number; a render target takes 32-bit ones");
                return false;
            }
            v.location = v.index;
        }
    }
    return true;
}

bool CheckPixelUavRegisters(const EffectSource& source, const StageEntry& entry, const StageBindings& bindings,
                            const StageVaryings& varyings, Diagnostics& diagnostics)
{
    if (entry.call.stage != StageKind::Pixel || varyings.outputs.empty()) {
        return true;
    }
    std::uint32_t targets = 0;
    for (const Varying& v : varyings.outputs) {
        targets = std::max(targets, v.index + 1);
    }
    for (const StageBindings::Image& image : bindings.images) {
        const auto decl = std::find_if(source.resources.begin(), source.resources.end(),
                                       [&](const EffectResourceDecl& r) { return r.name == image.image.name; });
        if (decl != source.resources.end() && decl->reg.given && image.image.unit < targets) {
            ReportError(diagnostics, decl->where,
                        "'" + decl->name + "': register(u" + std::to_string(image.image.unit) +
                            ") is one of the output slots pixel shader '" + entry.call.Key() +
                            "' gives its render targets (SV_Target0 to SV_Target" + std::to_string(targets - 1) +
                            "); give it u" + std::to_string(targets) + " or above");
            return false;
        }
    }
    return true;
}

bool EmitStage(const StageEntry& entry, const StageReflection& reflection, const StageBindings& bindings,
               const StageVaryings& varyings, EffectShader& out, Diagnostics& diagnostics)
{
    StageBlob stage;
    stage.stage = entry.call.stage;
    ApplyBindings(reflection.compiler, bindings, varyings, stage);
    if (entry.call.stage == StageKind::Vertex && !VertexInputs(entry, varyings.inputs, stage, diagnostics)) {
        return false;
    }
    const char* glsl = nullptr;
    const CompileStep step("SPIRV-Cross");
    if (spvc_compiler_compile(reflection.compiler, &glsl) != SPVC_SUCCESS) {
        return ReportUntranslatable(diagnostics, entry);
    }
    stage.glsl = glsl;
    out.stage = stage.stage;
    out.entry = entry.call.Key();
    out.code = WriteStageBlob(stage);
    StageBlob check;
    if (!ParseStageBlob(out.code.data(), out.code.size(), check)) {
        ReportError(diagnostics, entry.call.where,
                    "entry point '" + entry.call.Key() + "' uses more inputs or bindings than a stage allows");
        return false;
    }
    return true;
}
