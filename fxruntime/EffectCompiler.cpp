#include "fxruntime/EffectCompiler.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "fxruntime/CompileIsolation.h"
#include "fxruntime/CompilerPhases.h"
#include "fxruntime/LargeStack.h"

void ReportError(Diagnostics& diagnostics, const EffectSourceLocation& where, const std::string& text, const char* code)
{
    diagnostics.push_back({where.file, where.line, where.column, true, code, text});
}

bool ReportUntranslatable(Diagnostics& diagnostics, const StageEntry& entry)
{
    ReportError(diagnostics, entry.call.where,
                "entry point '" + entry.call.Key() + "' uses a construct the GLSL translation does not support");
    return false;
}

const EffectResourceDecl* FindResource(const EffectSource& source, const std::string& name, EffectResourceKind kind)
{
    for (const EffectResourceDecl& r : source.resources) {
        if (r.name == name && r.kind == kind) {
            return &r;
        }
    }
    return nullptr;
}

namespace {

EffectSourceLocation MainFile(const EffectSource& source)
{
    return {source.mainFile, 1, 1};
}

template <typename T>
bool ResolveState(const EffectStateRef& ref, const std::vector<T>& states, const char* kind, std::int32_t& out,
                  Diagnostics& diagnostics)
{
    if (!ref.set) {
        out = kEffectStateUnset;
        return true;
    }
    if (ref.null) {
        out = kEffectStateDefault;
        return true;
    }
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i].name == ref.name) {
            out = static_cast<std::int32_t>(i);
            return true;
        }
    }
    ReportError(diagnostics, ref.where, std::string("undeclared ") + kind + " '" + ref.name + "'", "X3004");
    return false;
}

// The shader slot of a pass's `call` for stage slot `k`: the entry that has its stage and arguments,
// added (with its wrapper) when it is the first.
bool EntryOf(const EffectSource& source, std::size_t k, const EffectEntryCall& call,
             std::map<std::string, std::int32_t>& shaderIndex, std::vector<StageEntry>& entries, std::int32_t& slot,
             Diagnostics& diagnostics)
{
    if (call.stage == StageKind::Hull || call.stage == StageKind::Domain || call.stage == StageKind::Geometry) {
        ReportError(diagnostics, call.where,
                    "only vertex, pixel and compute shaders are supported; use NULL for '" + call.profile + "'");
        return false;
    }
    bool ok = true;
    const std::string key = std::to_string(k) + ":" + call.Key();
    auto it = shaderIndex.find(key);
    if (it == shaderIndex.end()) {
        it = shaderIndex.emplace(key, static_cast<std::int32_t>(entries.size())).first;
        StageEntry entry;
        entry.call = call;
        EffectDiagnostic error;
        if (!MakeEntryPoint(source, call, static_cast<int>(entries.size()), entry.entryName, entry.wrapper, error,
                            &entry.constantTypes)) {
            diagnostics.push_back(error);
            ok = false;
        }
        entry.compileKey = std::to_string(k) + ":" + (entry.constantTypes.empty() ? call.Key() : call.function);
        entries.push_back(std::move(entry));
    }
    slot = it->second;
    return ok;
}

// A pass of the blob: its shaders' entries and its states.
bool PlanPass(const EffectSource& source, const EffectSourcePass& p, const EffectBlob& blob,
              std::map<std::string, std::int32_t>& shaderIndex, std::vector<StageEntry>& entries, EffectPass& pass,
              Diagnostics& diagnostics)
{
    bool ok = true;
    pass.name = p.name;
    for (std::size_t k = 0; k < kEffectStageCount; ++k) {
        if (p.shaders[k]) {
            ok = EntryOf(source, k, *p.shaders[k], shaderIndex, entries, pass.shaders[k], diagnostics) && ok;
        }
    }
    ok = ResolveState(p.rasterizer, blob.rasterizerStates, "rasterizer state", pass.rasterizerState, diagnostics) && ok;
    ok = ResolveState(p.depthStencil, blob.depthStencilStates, "depth-stencil state", pass.depthStencilState,
                      diagnostics) &&
         ok;
    ok = ResolveState(p.blend, blob.blendStates, "blend state", pass.blendState, diagnostics) && ok;
    pass.stencilRef = p.stencilRef;
    std::copy(std::begin(p.blendFactor), std::end(p.blendFactor), pass.blendFactor);
    pass.sampleMask = p.sampleMask;
    return ok;
}

}  // namespace

bool Techniques(const EffectSource& source, EffectBlob& blob, std::vector<StageEntry>& entries,
                Diagnostics& diagnostics)
{
    blob.samplers = source.samplers;
    blob.rasterizerStates = source.rasterizerStates;
    blob.depthStencilStates = source.depthStencilStates;
    blob.blendStates = source.blendStates;
    if (blob.samplers.size() > kEffectMaxSamplers) {
        ReportError(diagnostics, MainFile(source),
                    "more than " + std::to_string(kEffectMaxSamplers) + " sampler states");
        return false;
    }
    bool ok = true;
    std::map<std::string, std::int32_t> shaderIndex;  // "stage slot:entry key" -> shader index
    for (const EffectSourceTechnique& t : source.techniques) {
        EffectTechnique tech;
        tech.name = t.name;
        for (const EffectSourcePass& p : t.passes) {
            EffectPass pass;
            ok = PlanPass(source, p, blob, shaderIndex, entries, pass, diagnostics) && ok;
            tech.passes.push_back(pass);
        }
        if (tech.passes.size() > kEffectMaxPasses) {
            ReportError(diagnostics, t.where, "too many passes in technique '" + t.name + "'");
            ok = false;
        }
        blob.techniques.push_back(std::move(tech));
    }
    if (blob.techniques.size() > kEffectMaxTechniques) {
        ReportError(diagnostics, MainFile(source), "too many techniques");
        ok = false;
    }
    return ok;
}

bool Initializers(const EffectSource& source, EffectBlob& blob, Diagnostics& diagnostics)
{
    bool ok = true;
    for (const auto& entry : source.initializers) {
        const std::string& name = entry.first;
        const EffectInitializer& init = entry.second;
        const auto v = std::find_if(blob.variables.begin(), blob.variables.end(), [&](const EffectVariable& x) {
            return x.name == name && x.kind == EffectVariableKind::Numeric;
        });
        if (v == blob.variables.end()) {
            continue;  // in a buffer no pass uses
        }
        if (v->matrix || v->baseType == EffectBaseType::Struct) {
            ReportError(diagnostics, init.where,
                        "initializer of '" + name + "': only scalars, vectors and their arrays take initial values");
            ok = false;
            continue;
        }
        const std::size_t perElement = v->columns;
        const std::size_t capacity = perElement * std::max<std::uint32_t>(1, v->elements);
        if (init.values.size() > capacity) {
            ReportError(diagnostics, init.where,
                        "initializer of '" + name + "' has " + std::to_string(init.values.size()) +
                            " values, more than the " + std::to_string(capacity) + " it holds");
            ok = false;
            continue;
        }
        std::vector<std::uint8_t>& data = blob.constantBuffers[v->buffer].initialData;
        for (std::size_t i = 0; i < init.values.size(); ++i) {
            const std::size_t element = i / perElement, component = i % perElement;
            const std::size_t at = v->offset + element * v->elementStride + component * 4;
            std::uint32_t bits = 0;
            if (v->baseType == EffectBaseType::Float) {
                const float f = static_cast<float>(init.values[i]);
                std::memcpy(&bits, &f, 4);
            } else if (v->baseType == EffectBaseType::Int) {
                bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(init.values[i]));
            } else {
                bits = static_cast<std::uint32_t>(init.values[i]);
            }
            if (at + 4 > data.size()) {
                continue;
            }
            std::memcpy(&data[at], &bits, 4);
        }
    }
    return ok;
}

std::string EffectCompileResult::Messages() const
{
    std::string text;
    for (const EffectDiagnostic& d : diagnostics) {
        text += FormatDiagnostic(d) + "\n";
    }
    return text;
}

namespace {

// The stages from their modules to their shaders (TranslateStage to EmitStage) into `blob`.
bool BuildStages(const EffectSource& source, const std::vector<StageEntry>& entries, std::vector<SpirvModule>& modules,
                 EffectBlob& blob, Diagnostics& diagnostics)
{
    std::vector<TranslatedStage> stages(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!TranslateStage(source, entries[i], modules[i], stages[i], diagnostics)) {
            return false;
        }
    }
    std::vector<const PackedBuffer*> merged;
    Bindings bindings;
    std::vector<StageVaryings> varyings;
    if (!MergeBuffers(entries, stages, merged, diagnostics) ||
        !DecideBindings(source, entries, merged, stages, bindings, diagnostics) ||
        !BuildTables(source, bindings, stages, blob, diagnostics) ||
        !AssignVaryings(entries, stages, varyings, diagnostics)) {
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EffectShader shader;
        if (!CheckPixelUavRegisters(source, entries[i], bindings.stages[i], varyings[i], diagnostics) ||
            !EmitStage(entries[i], stages[i].reflection, bindings.stages[i], varyings[i], shader, diagnostics)) {
            return false;
        }
        blob.shaders.push_back(std::move(shader));
    }
    return true;
}

// The blob holds names of at most kEffectMaxName bytes (its reader bounds what it allocates); a longer
// one is refused here, where it can be named, rather than making an effect that does not read back.
bool NamesFitTheBlob(const EffectSource& source, const EffectBlob& blob, Diagnostics& diagnostics)
{
    EffectSourceLocation where{source.mainFile, 1, 1};
    const char* kind = nullptr;
    const std::string* name = nullptr;
    auto check = [&](const char* k, const std::string& n) {
        if (name == nullptr && n.size() > kEffectMaxName) {
            kind = k;
            name = &n;
        }
    };
    for (const EffectTechnique& t : blob.techniques) {
        if (name != nullptr) {
            break;
        }
        check("technique", t.name);
        for (const EffectPass& p : t.passes) {
            check("pass", p.name);
        }
        for (const EffectSourceTechnique& declared : source.techniques) {
            if (name != nullptr && declared.name == t.name) {
                where = declared.where;  // the technique's place, for its name or a pass's
            }
        }
    }
    auto checkNames = [&](const char* k, const auto& items) {
        for (const auto& item : items) {
            check(k, item.name);
        }
    };
    checkNames("constant buffer", blob.constantBuffers);
    checkNames("variable", blob.variables);
    checkNames("sampler", blob.samplers);
    checkNames("rasterizer state", blob.rasterizerStates);
    checkNames("depth-stencil state", blob.depthStencilStates);
    checkNames("blend state", blob.blendStates);
    for (const EffectShader& shader : blob.shaders) {
        check("entry point", shader.entry);
    }
    if (name == nullptr) {
        return true;
    }
    ReportError(diagnostics, where,
                std::string("the ") + kind + " name '" + name->substr(0, 32) + "...' is " +
                    std::to_string(name->size()) + " bytes long; a name may be at most " +
                    std::to_string(kEffectMaxName) + " bytes");
    return false;
}

// The compilation proper, on the calling thread's stack: the phases of CompilerPhases.h in order.
EffectCompileResult CompileOnThisStack(EffectSource& source)
{
    EffectCompileResult result;
    result.diagnostics = source.diagnostics;
    if (source.HasErrors()) {
        return result;
    }
    EffectBlob blob;
    std::vector<StageEntry> entries;
    std::vector<SpirvModule> modules;
    if (!Techniques(source, blob, entries, result.diagnostics) ||
        !CompileStages(source, entries, modules, result.selfContained, result.diagnostics) ||
        !BuildStages(source, entries, modules, blob, result.diagnostics) ||
        !Initializers(source, blob, result.diagnostics) || !NamesFitTheBlob(source, blob, result.diagnostics)) {
        return result;
    }
    result.code = WriteEffectBlob(blob);
    result.succeeded = true;
    return result;
}

// A request compiled on a large stack, in whichever process calls it.
EffectCompileResult CompileRequestHere(const CompileRequest& request)
{
    EffectCompileResult result;
    RunOnLargeStack([&] {
        EffectSource source;
        switch (request.kind) {
        case CompileRequest::Kind::File: ReadEffectSource(request.mainFile, source); break;
        case CompileRequest::Kind::Text: ParseEffectText(request.mainFile, request.text, source); break;
        case CompileRequest::Kind::Files: ParseEffectFiles(request.mainFile, request.files, source); break;
        }
        result = CompileOnThisStack(source);
    });
    return result;
}

}  // namespace

// Each compilation runs in the compile server (CompileIsolation.h).
EffectCompileResult CompileEffectText(const std::string& path, const std::string& text)
{
    return CompileInServer({CompileRequest::Kind::Text, path, text, {}}, CompileRequestHere);
}

EffectCompileResult CompileEffectSource(const EffectSource& source)
{
    // A source that could not be read or parsed has nothing to compile: its messages are the result.
    if (source.HasErrors()) {
        EffectCompileResult result;
        result.diagnostics = source.diagnostics;
        return result;
    }
    return CompileInServer({CompileRequest::Kind::Files, source.mainFile, {}, source.originalFiles},
                           CompileRequestHere);
}

EffectCompileResult CompileEffectFile(const std::string& path)
{
    return CompileInServer({CompileRequest::Kind::File, path, {}, {}}, CompileRequestHere);
}

EffectCompileResult CompileEffectFileInThisProcess(const std::string& path)
{
    return CompileRequestHere({CompileRequest::Kind::File, path, {}, {}});
}
