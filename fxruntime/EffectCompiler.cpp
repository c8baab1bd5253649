#include "fxruntime/EffectCompiler.h"

#include <shaderc/shaderc.h>
#include <spirv_cross/spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "fxruntime/CbufferPacking.h"
#include "fxruntime/CompileIsolation.h"
#include "fxruntime/HlslToSpirv.h"
#include "fxruntime/LargeStack.h"
#include "fxruntime/SpirvModule.h"
#include "fxruntime/SpirvRewrites.h"

namespace {

constexpr std::uint32_t kMaxVaryingLocations = 32;

struct Varying {
    spvc_variable_id id = 0;
    std::string semantic;  // upper case, index split off
    std::uint32_t index = 0;
    std::uint32_t location = 0;
    std::uint32_t locations = 1;  // how many it takes
    spvc_basetype baseType = SPVC_BASETYPE_FP32;
    std::uint32_t vectorSize = 4;
};

struct CombinedSampler {
    spvc_variable_id id = 0;
    std::string texture;
    std::string sampler;  // empty for the dummy sampler of Load-only textures
};

struct NamedId {
    spvc_variable_id id = 0;
    std::string name;
    spvc_type_id typeId = 0;  // a buffer's block type, whose name GLSL gives the block
};

// One distinct entry point on its way from HLSL to a stage blob.
struct StageWork {
    EffectEntryCall call;
    std::string entryName;
    std::string wrapper;
    std::vector<std::string> constantTypes;  // specialization constants, when the entry has them
    std::string compileKey;                  // entries with equal keys share one compilation
    HlslCompileOutput spirv;
    SpirvModule module;  // the one reading of spirv.words that every later step works on
    spvc_context context = nullptr;
    spvc_compiler compiler = nullptr;
    std::vector<PackedBuffer> buffers;
    std::vector<NamedId> bufferIds;  // same order as buffers
    std::vector<Varying> inputs, outputs;
    std::vector<CombinedSampler> combined;
    std::set<std::string> comparedTextures;  // textures read with SampleCmp
    std::vector<NamedId> images;
    std::set<std::string> imagesRead;  // UAVs the stage loads from (or updates atomically)
    std::map<std::string, StageImageFormat> imageFormats;
    std::vector<std::uint8_t> code;

    StageWork() = default;
    StageWork(const StageWork&) = delete;
    StageWork& operator=(const StageWork&) = delete;
    ~StageWork()
    {
        if (context != nullptr) {
            spvc_context_destroy(context);
        }
    }
};

std::string Upper(std::string s)
{
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

// "TEXCOORD1" -> ("TEXCOORD", 1); "POSITION" -> ("POSITION", 0).
void SplitSemantic(const std::string& semantic, std::string& name, std::uint32_t& index)
{
    std::size_t end = semantic.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(semantic[end - 1]))) {
        --end;
    }
    name = Upper(semantic.substr(0, end));
    index = end < semantic.size() ? static_cast<std::uint32_t>(std::stoul(semantic.substr(end))) : 0;
}

StageKind ShaderStageOf(const EffectEntryCall& call)
{
    return call.stage;
}

// What a stage's SPIR-V does with its images: the names, types and pointers that lead from a
// variable to its image type, and the variables it reads (or uses atomically).
struct ImageUses {
    std::map<std::uint32_t, std::string> names;
    std::map<std::uint32_t, std::uint32_t> varType, pointee;
    std::map<std::uint32_t, std::size_t> imageAt;  // instruction index of each image type
    std::set<std::uint32_t> readVars;
};

ImageUses ScanImageUses(const SpirvModule& m)
{
    ImageUses uses;
    std::map<std::uint32_t, std::uint32_t> loadedFrom;
    for (std::size_t i = 0; i < m.instructions.size(); ++i) {
        const SpirvInstruction& instruction = m.instructions[i];
        const std::vector<std::uint32_t>& o = instruction.operands;
        switch (instruction.opcode) {
        case SpvOpName: uses.names[o[0]] = SpirvModule::LiteralString(instruction, 1); break;
        case SpvOpVariable: uses.varType[o[1]] = o[0]; break;
        case SpvOpTypePointer: uses.pointee[o[0]] = o[2]; break;
        case SpvOpTypeImage: uses.imageAt[o[0]] = i; break;
        case SpvOpLoad: loadedFrom[o[1]] = o[2]; break;
        case SpvOpImageRead:
        case SpvOpImageSparseRead:
            if (loadedFrom.count(o[2]) != 0) {
                uses.readVars.insert(loadedFrom[o[2]]);
            }
            break;
        case SpvOpImageTexelPointer: uses.readVars.insert(o[2]); break;  // atomics
        default: break;
        }
    }
    return uses;
}

class Compilation {
public:
    explicit Compilation(EffectCompileResult& result) : result(result) {}

    void Run(EffectSource& source)
    {
        effectSource = &source;
        for (const EffectDiagnostic& d : source.diagnostics) {
            result.diagnostics.push_back(d);
        }
        if (source.HasErrors()) {
            return;
        }
        EffectBlob blob;
        if (!Techniques(blob)) {
            return;
        }
        if (!CompileStages()) {
            return;
        }
        if (!Reflect()) {
            return;
        }
        if (!BuildTables(blob)) {
            return;
        }
        if (!AssignVaryings()) {
            return;
        }
        if (!EmitStages(blob)) {
            return;
        }
        if (!Initializers(blob)) {
            return;
        }
        result.code = WriteEffectBlob(blob);
        result.succeeded = true;
    }

private:
    void Error(const EffectSourceLocation& where, const std::string& text, const char* code = "X3000")
    {
        result.diagnostics.push_back({where.file, where.line, where.column, true, code, text});
    }
    EffectSourceLocation MainFile() const { return {effectSource->mainFile, 1, 1}; }

    template <typename T>
    bool ResolveState(const EffectStateRef& ref, const std::vector<T>& states, const char* kind, std::int32_t& out)
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
        Error(ref.where, std::string("undeclared ") + kind + " '" + ref.name + "'", "X3004");
        return false;
    }

    // Techniques and passes, with each distinct entry point (stage and literal arguments) given
    // one shader slot, compiled once however many passes use it.
    bool Techniques(EffectBlob& blob)
    {
        blob.samplers = effectSource->samplers;
        blob.rasterizerStates = effectSource->rasterizerStates;
        blob.depthStencilStates = effectSource->depthStencilStates;
        blob.blendStates = effectSource->blendStates;
        if (blob.samplers.size() > kEffectMaxSamplers) {
            Error(MainFile(), "more than " + std::to_string(kEffectMaxSamplers) + " sampler states");
            return false;
        }
        bool ok = true;
        std::map<std::string, std::int32_t> shaderIndex;
        for (const EffectSourceTechnique& t : effectSource->techniques) {
            EffectTechnique tech;
            tech.name = t.name;
            for (const EffectSourcePass& p : t.passes) {
                EffectPass pass;
                pass.name = p.name;
                for (std::size_t k = 0; k < kEffectStageCount; ++k) {
                    if (!p.shaders[k]) {
                        continue;
                    }
                    const EffectEntryCall& call = *p.shaders[k];
                    if (call.stage == StageKind::Hull || call.stage == StageKind::Domain ||
                        call.stage == StageKind::Geometry) {
                        Error(call.where, "only vertex, pixel and compute shaders are supported; use NULL for '" +
                                              call.profile + "'");
                        ok = false;
                        continue;
                    }
                    const std::string key = std::to_string(k) + ":" + call.Key();
                    auto it = shaderIndex.find(key);
                    if (it == shaderIndex.end()) {
                        it = shaderIndex.emplace(key, static_cast<std::int32_t>(stageWork.size())).first;
                        auto w = std::make_unique<StageWork>();
                        w->call = call;
                        EffectDiagnostic error;
                        if (!MakeEntryPoint(*effectSource, call, static_cast<int>(stageWork.size()), w->entryName,
                                            w->wrapper, error, &w->constantTypes)) {
                            result.diagnostics.push_back(error);
                            ok = false;
                        }
                        w->compileKey = std::to_string(k) + ":" +
                                        (w->constantTypes.empty() ? call.Key() : call.function);
                        stageWork.push_back(std::move(w));
                    }
                    pass.shaders[k] = it->second;
                }
                ok = ResolveState(p.rasterizer, blob.rasterizerStates, "rasterizer state", pass.rasterizerState) && ok;
                ok = ResolveState(p.depthStencil, blob.depthStencilStates, "depth-stencil state",
                                  pass.depthStencilState) &&
                     ok;
                ok = ResolveState(p.blend, blob.blendStates, "blend state", pass.blendState) && ok;
                pass.stencilRef = p.stencilRef;
                std::copy(std::begin(p.blendFactor), std::end(p.blendFactor), pass.blendFactor);
                pass.sampleMask = p.sampleMask;
                tech.passes.push_back(pass);
            }
            if (tech.passes.size() > kEffectMaxPasses) {
                Error(t.where, "too many passes in technique '" + t.name + "'");
                ok = false;
            }
            blob.techniques.push_back(std::move(tech));
        }
        if (blob.techniques.size() > kEffectMaxTechniques) {
            Error(MainFile(), "too many techniques");
            ok = false;
        }
        return ok;
    }

    // Entry points that differ only in literal arguments share one compilation: the literals are
    // specialization constants, written into each variant's copy of the SPIR-V.
    bool CompileStages()
    {
        const std::string& main = effectSource->strippedFiles.at(effectSource->mainFile);
        std::map<std::string, StageWork*> firstOfKey;
        std::vector<StageWork*> compiled;
        for (const auto& w : stageWork) {
            if (firstOfKey.emplace(w->compileKey, w.get()).second) {
                compiled.push_back(w.get());
            }
        }

        auto compileOne = [this, &main](StageWork* w) {
            HlslCompileInput in;
            in.fileName = effectSource->mainFile;
            in.source = main;
            if (!w->wrapper.empty()) {
                in.source += "\n" + w->wrapper;
            }
            in.entryPoint = w->entryName;
            in.stage = ShaderStageOf(w->call);
            in.files = &effectSource->strippedFiles;
            w->spirv = CompileHlslToSpirv(in);
        };
        // Distinct compilations are independent; spread them over the cores.
        const unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
        for (std::size_t next = 0; next < compiled.size();) {
            std::vector<std::function<void()>> batch;
            for (unsigned i = 0; i < threads && next < compiled.size(); ++i, ++next) {
                batch.push_back([&compileOne, w = compiled[next]] { compileOne(w); });
            }
            RunOnLargeStacks(batch);
        }

        bool ok = true;
        std::set<std::string> seen;
        for (const auto& w : stageWork) {
            const StageWork* from = firstOfKey.at(w->compileKey);
            if (from != w.get()) {
                w->spirv = from->spirv;
            }
            for (EffectDiagnostic d : w->spirv.diagnostics) {
                // Lines past the end of the file belong to the generated wrapper, and a failure with no
                // line to the entry point as a whole: point at the call.
                if (d.file == effectSource->mainFile && (d.line > effectSource->mainFileLines ||
                                                         d.text.find("failed after the HLSL") != std::string::npos)) {
                    d.file = w->call.where.file;
                    d.line = w->call.where.line;
                    d.column = w->call.where.column;
                }
                const std::string text = FormatDiagnostic(d);
                if (seen.insert(text).second) {
                    result.diagnostics.push_back(d);
                }
            }
            if (w->spirv.readOtherFiles) {
                result.selfContained = false;
            }
            ok = ok && w->spirv.succeeded && ReadModule(*w) && Specialize(*w);
        }
        return ok;
    }

    // The stage's SPIR-V as a checked module; an error at the entry point when it is no whole module.
    bool ReadModule(StageWork& w)
    {
        std::string error;
        if (!SpirvModule::Read(w.spirv.words, w.module, error)) {
            Error(w.call.where, "the HLSL compiler's output for '" + w.call.Key() + "' cannot be read: " + error);
            return false;
        }
        return true;
    }

    // Writes the entry's literal arguments into its specialization constants.
    bool Specialize(StageWork& w)
    {
        if (w.constantTypes.empty()) {
            return true;
        }
        SpirvModule& m = w.module;
        std::map<std::uint32_t, std::uint32_t> specIdOf;  // result id -> constant id
        for (const SpirvInstruction& instruction : m.instructions) {
            if (instruction.opcode == SpvOpDecorate && instruction.operands[1] == SpvDecorationSpecId) {
                specIdOf[instruction.operands[0]] = instruction.operands[2];
            }
        }
        // Constants the entry never reads are dropped by the compiler; that is fine.
        for (std::size_t i = 0; i < m.instructions.size(); ++i) {
            const std::uint32_t op = m.instructions[i].opcode;
            const bool isSpec = op == SpvOpSpecConstantTrue || op == SpvOpSpecConstantFalse || op == SpvOpSpecConstant;
            const auto id = isSpec ? specIdOf.find(m.instructions[i].result) : specIdOf.end();
            if (id == specIdOf.end() || id->second >= w.constantTypes.size()) {
                continue;
            }
            std::uint32_t word = 0;
            if (!SpecializationWord(w.call.arguments[id->second], w.constantTypes[id->second], word)) {
                Error(w.call.where,
                      "cannot use '" + w.call.arguments[id->second] + "' as a " + w.constantTypes[id->second]);
                return false;
            }
            if (op == SpvOpSpecConstant && m.instructions[i].operands.size() == 3) {
                m.SetOperand(i, 2, word);
            } else if (op != SpvOpSpecConstant) {
                m.SetOpcode(i, word != 0 ? SpvOpSpecConstantTrue : SpvOpSpecConstantFalse);
            }
        }
        return true;
    }

    const EffectResourceDecl* Resource(const std::string& name, EffectResourceKind kind) const
    {
        for (const EffectResourceDecl& r : effectSource->resources) {
            if (r.name == name && r.kind == kind) {
                return &r;
            }
        }
        return nullptr;
    }

    bool Reflect()
    {
        for (const auto& w : stageWork) {
            if (!ReflectStage(*w)) {
                return false;
            }
        }
        return true;
    }

    // The GLSL translation refusing compiled code is no fault of the effect file that a user could
    // act on through the translator's own words, so the message names the entry point only.
    bool FailSpvc(StageWork& w)
    {
        Error(w.call.where,
              "entry point '" + w.call.Key() + "' uses a construct the GLSL translation does not support");
        return false;
    }

    void ReadVaryings(StageWork& w, spvc_resources res, spvc_resource_type type, std::vector<Varying>& out)
    {
        const spvc_reflected_resource* list = nullptr;
        std::size_t count = 0;
        spvc_resources_get_resource_list_for_type(res, type, &list, &count);
        std::map<std::string, std::uint32_t> seen;  // semantic and index -> how many had them so far
        for (std::size_t i = 0; i < count; ++i) {
            Varying v;
            v.id = list[i].id;
            const char* semantic = spvc_compiler_get_decoration_string(w.compiler, v.id, SpvDecorationUserSemantic);
            if (semantic != nullptr && *semantic != '\0') {
                SplitSemantic(semantic, v.semantic, v.index);
            } else {
                // glslang gives no semantic to the members of a struct in an array of structs
                // ("o.items[1].v"); both stages name them by the path inside their parameter, which
                // is what meets.
                const std::string name = spvc_compiler_get_name(w.compiler, v.id);
                const std::size_t dot = name.find('.');
                v.semantic = "." + Upper(dot == std::string::npos ? name : name.substr(dot + 1));
            }
            // A member's semantic in an array of structs comes once per element ("ITEM" twice for
            // Item items[2]); as in Direct3D, element k takes the semantic's index plus k.
            v.index += seen[v.semantic + "#" + std::to_string(v.index)]++;
            v.location = spvc_compiler_get_decoration(w.compiler, v.id, SpvDecorationLocation);
            const spvc_type t = spvc_compiler_get_type_handle(w.compiler, list[i].type_id);
            v.baseType = spvc_type_get_basetype(t);
            v.vectorSize = spvc_type_get_vector_size(t);
            v.locations = spvc_type_get_columns(t);
            for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(t); ++d) {
                v.locations *= std::max(1u, static_cast<unsigned>(spvc_type_get_array_dimension(t, d)));
            }
            out.push_back(v);
        }
    }

    bool ReflectStage(StageWork& w)
    {
        if (spvc_context_create(&w.context) != SPVC_SUCCESS) {
            return false;
        }
        spvc_parsed_ir ir = nullptr;
        if (!InferImageFormats(w)) {
            return false;
        }
        ApplyHlslRules(w.module);
        // Direct3D's layout for the variables, std140 written into the code for the GLSL.
        EffectDiagnostic packError;
        if (!PackConstantBuffers(w.module, *effectSource, w.buffers, packError)) {
            result.diagnostics.push_back(packError);
            return false;
        }
        const std::vector<std::uint32_t> words = w.module.Words();
        const CompileStep step("SPIRV-Cross");
        if (spvc_context_parse_spirv(w.context, words.data(), words.size(), &ir) != SPVC_SUCCESS) {
            return FailSpvc(w);
        }
        if (spvc_context_create_compiler(w.context, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                         &w.compiler) != SPVC_SUCCESS) {
            return FailSpvc(w);
        }
        spvc_compiler_options options = nullptr;
        spvc_compiler_create_compiler_options(w.compiler, &options);
        spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SEPARATE_SHADER_OBJECTS, SPVC_TRUE);
        // SV_InstanceID counts from zero whatever the draw's first instance, as gl_InstanceID does.
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SUPPORT_NONZERO_BASE_INSTANCE, SPVC_FALSE);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_VULKAN_SEMANTICS, SPVC_FALSE);
        spvc_compiler_install_compiler_options(w.compiler, options);

        spvc_variable_id dummy = 0;
        if (spvc_compiler_build_dummy_sampler_for_combined_images(w.compiler, &dummy) != SPVC_SUCCESS ||
            spvc_compiler_build_combined_image_samplers(w.compiler) != SPVC_SUCCESS) {
            return FailSpvc(w);
        }

        spvc_resources res = nullptr;
        if (spvc_compiler_create_shader_resources(w.compiler, &res) != SPVC_SUCCESS) {
            return FailSpvc(w);
        }

        return ReadResources(w, res, dummy);
    }

    // The stage's buffers, writable and compared textures, texture-sampler pairs and varyings, as
    // SPIRV-Cross reflects them; `dummy` is the sampler it made for textures read without one.
    bool ReadResources(StageWork& w, spvc_resources res, spvc_variable_id dummy)
    {
        const spvc_reflected_resource* list = nullptr;
        std::size_t count = 0;
        spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto b = std::find_if(w.buffers.begin(), w.buffers.end(),
                                        [&](const PackedBuffer& p) { return p.blockType == list[i].base_type_id; });
            if (b == w.buffers.end()) {
                return FailSpvc(w);
            }
            w.bufferIds.push_back({list[i].id, b->name, list[i].base_type_id});
        }
        spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_STORAGE_BUFFER, &list, &count);
        if (count > 0) {
            Error(w.call.where, "structured and byte-address buffers are not supported");
            return false;
        }
        spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_STORAGE_IMAGE, &list, &count);
        for (std::size_t i = 0; i < count; ++i) {
            const char* name = spvc_compiler_get_name(w.compiler, list[i].id);
            w.images.push_back({list[i].id, name != nullptr ? name : ""});
            // An image the stage only writes is declared without a format: the view's applies.
            if (w.imagesRead.count(w.images.back().name) == 0) {
                spvc_compiler_set_decoration(w.compiler, list[i].id, SpvDecorationNonReadable, 0);
            }
        }
        // glslang gives a texture read with SampleCmp a depth image type.
        spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_SEPARATE_IMAGE, &list, &count);
        for (std::size_t i = 0; i < count; ++i) {
            if (spvc_type_get_image_is_depth(spvc_compiler_get_type_handle(w.compiler, list[i].type_id))) {
                w.comparedTextures.insert(spvc_compiler_get_name(w.compiler, list[i].id));
            }
        }
        const spvc_combined_image_sampler* combined = nullptr;
        spvc_compiler_get_combined_image_samplers(w.compiler, &combined, &count);
        for (std::size_t i = 0; i < count; ++i) {
            CombinedSampler c;
            c.id = combined[i].combined_id;
            c.texture = spvc_compiler_get_name(w.compiler, combined[i].image_id);
            if (combined[i].sampler_id != dummy) {
                c.sampler = spvc_compiler_get_name(w.compiler, combined[i].sampler_id);
            }
            w.combined.push_back(c);
        }
        ReadVaryings(w, res, SPVC_RESOURCE_TYPE_STAGE_INPUT, w.inputs);
        ReadVaryings(w, res, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, w.outputs);
        return true;
    }

    // The storage format of each writable texture, from what the stage does with it and its
    // element type (Direct3D 11 loads typed UAVs of single-component 32-bit types only):
    // written only: none (the view's format); read: r32f, r32ui or r32i by the element type.
    bool InferImageFormats(StageWork& w)
    {
        ImageUses uses = ScanImageUses(w.module);
        std::map<std::string, std::size_t> typeOf;  // the instruction index of each texture's image type
        std::map<std::string, const EffectResourceDecl*> declOf;
        for (const auto& [id, name] : uses.names) {
            const EffectResourceDecl* decl = Resource(name, EffectResourceKind::Uav);
            if (decl == nullptr || uses.varType.count(id) == 0) {
                continue;
            }
            const auto p = uses.pointee.find(uses.varType[id]);
            if (p == uses.pointee.end() || uses.imageAt.count(p->second) == 0) {
                continue;
            }
            StageImageFormat format = StageImageFormat::Unspecified;
            if (uses.readVars.count(id) != 0) {
                w.imagesRead.insert(name);
                std::string type = decl->elementType.empty() ? "float4" : decl->elementType;
                if (type.size() > 1 && type.back() == '1') {
                    type.pop_back();
                }
                if (type == "float") {
                    format = StageImageFormat::R32f;
                } else if (type == "uint" || type == "dword") {
                    format = StageImageFormat::R32ui;
                } else if (type == "int") {
                    format = StageImageFormat::R32i;
                } else {
                    result.diagnostics.push_back(
                        {decl->where.file, decl->where.line, decl->where.column, true, "X3676",
                         "typed UAV loads are only allowed for single-component 32-bit element "
                         "types; '" +
                             name + "' is a RWTexture2D<" + type + ">"});
                    return false;
                }
            }
            w.imageFormats[name] = format;
            typeOf[name] = uses.imageAt[p->second];
            declOf[name] = decl;
        }
        // The HLSL compiler gives textures of one element type one image type, so one read and one
        // only written share the read one's format; the written one is then told which view it needs.
        std::map<std::size_t, StageImageFormat> typeFormat;
        for (const auto& [name, format] : w.imageFormats) {
            if (format != StageImageFormat::Unspecified) {
                typeFormat[typeOf[name]] = format;
            }
        }
        static const std::map<StageImageFormat, std::pair<SpvImageFormat, const char*>> kSpv = {
            {StageImageFormat::R32f, {SpvImageFormatR32f, "R32_FLOAT"}},
            {StageImageFormat::R32ui, {SpvImageFormatR32ui, "R32_UINT"}},
            {StageImageFormat::R32i, {SpvImageFormatR32i, "R32_SINT"}},
            {StageImageFormat::Unspecified, {SpvImageFormatUnknown, ""}}};
        for (auto& [name, format] : w.imageFormats) {
            const auto shared = typeFormat.find(typeOf[name]);
            if (format == StageImageFormat::Unspecified && shared != typeFormat.end()) {
                format = shared->second;
                const EffectSourceLocation& where = declOf[name]->where;
                result.diagnostics.push_back({where.file, where.line, where.column, false, "X3206",
                                              "'" + name +
                                                  "' is only written but shares its type with a writable texture "
                                                  "that is read, so it is declared " +
                                                  kSpv.at(format).second + "; bind a view of that format"});
            }
            w.module.SetOperand(typeOf[name], 7, kSpv.at(format).first);
        }
        return true;
    }

    // Merges the buffers all stages saw, gives every buffer, texture, UAV and sampler its slot, and
    // lists the variables.
    bool BuildTables(EffectBlob& blob)
    {
        std::vector<const PackedBuffer*> buffers;
        std::set<std::string> names;  // of every variable, which must differ
        std::uint32_t samplerSlots = 0;
        if (!MergeBuffers(buffers) || !BufferTable(buffers, blob, names) ||
            !ResourceTables(blob, names, samplerSlots)) {
            return false;
        }
        SamplerTable(blob, samplerSlots);
        return true;
    }

    // One of each constant buffer the stages declare; a buffer two stages lay out differently is an error.
    bool MergeBuffers(std::vector<const PackedBuffer*>& buffers)
    {
        std::vector<std::string> firstEntry;
        for (const auto& w : stageWork) {
            for (const PackedBuffer& b : w->buffers) {
                auto it = std::find_if(buffers.begin(), buffers.end(),
                                       [&](const PackedBuffer* x) { return x->name == b.name; });
                if (it == buffers.end()) {
                    buffers.push_back(&b);
                    firstEntry.push_back(w->call.Key());
                    continue;
                }
                const PackedBuffer& x = **it;
                bool same = x.size == b.size && x.gpuSize == b.gpuSize && x.members.size() == b.members.size();
                for (std::size_t i = 0; same && i < b.members.size(); ++i) {
                    same = x.members[i].name == b.members[i].name && x.members[i].offset == b.members[i].offset &&
                           x.members[i].size == b.members[i].size;
                }
                if (!same) {
                    Error(w->call.where, "constant buffer '" + b.name + "' is laid out differently in entry points '" +
                                             firstEntry[static_cast<std::size_t>(it - buffers.begin())] + "' and '" +
                                             w->call.Key() + "'");
                    return false;
                }
            }
        }
        return true;
    }

    // The constant buffers with their slots, and their members as variables.
    bool BufferTable(std::vector<const PackedBuffer*>& buffers, EffectBlob& blob, std::set<std::string>& names)
    {
        // Declaration order gives stable slots; the implicit global buffer comes last.
        auto rank = [this](const std::string& name) {
            const auto& decls = effectSource->constantBuffers;
            const auto it = std::find_if(decls.begin(), decls.end(),
                                         [&](const EffectConstantBufferDecl& d) { return d.name == name; });
            return it == decls.end() ? decls.size() : static_cast<std::size_t>(it - decls.begin());
        };
        std::stable_sort(buffers.begin(), buffers.end(),
                         [&](const PackedBuffer* a, const PackedBuffer* b) { return rank(a->name) < rank(b->name); });
        if (buffers.size() > kEffectMaxBuffers) {
            Error(MainFile(), "more than " + std::to_string(kEffectMaxBuffers) + " constant buffers");
            return false;
        }
        std::vector<SlotRequest> bufferRequests;
        for (const PackedBuffer* b : buffers) {
            const std::size_t r = rank(b->name);
            bufferRequests.push_back(
                {r < effectSource->constantBuffers.size() ? effectSource->constantBuffers[r].reg : EffectRegister{},
                 1});
        }
        std::vector<std::uint32_t> bufferSlots;
        if (!AssignSlots(bufferRequests, kEffectMaxBuffers, bufferSlots)) {
            Error(MainFile(), "the constant buffers need more than " + std::to_string(kEffectMaxBuffers) + " slots");
            return false;
        }
        for (std::size_t i = 0; i < buffers.size(); ++i) {
            const PackedBuffer& b = *buffers[i];
            EffectConstantBuffer cb;
            cb.name = b.name;
            cb.slot = bufferSlots[i];
            cb.initialData.assign(b.size, 0);
            cb.gpuSize = b.runs.empty() ? b.size : b.gpuSize;
            cb.runs = b.runs;
            bufferSlotOf[cb.name] = cb.slot;
            bufferGpuSizeOf[cb.name] = cb.gpuSize;
            blob.constantBuffers.push_back(std::move(cb));
            for (std::size_t m = 0; m < b.members.size(); ++m) {
                EffectVariable v = b.members[m];
                v.buffer = static_cast<std::uint32_t>(i);
                if (!names.insert(v.name).second) {
                    const EffectSourceLocation& where = b.memberDecls[m].file.empty() ? MainFile() : b.memberDecls[m];
                    Error(where, "variable '" + v.name + "' is declared in two constant buffers");
                    return false;
                }
                blob.variables.push_back(v);
            }
        }
        return true;
    }

    // Textures, UAVs and samplers as variables with their slots; `samplerSlots` receives the number of
    // sampler slots taken.
    bool ResourceTables(EffectBlob& blob, std::set<std::string>& names, std::uint32_t& samplerSlots)
    {
        // Textures, UAVs and samplers: explicit registers first, the rest in declaration order.
        std::vector<SlotRequest> requests[3];
        std::vector<const EffectResourceDecl*> decls[3];
        for (const EffectResourceDecl& r : effectSource->resources) {
            const auto kind = static_cast<std::size_t>(r.kind);
            requests[kind].push_back({r.reg, std::max(r.elements, 1u)});
            decls[kind].push_back(&r);
        }
        const std::uint32_t limits[3] = {kEffectMaxTextures, kEffectMaxUavs, kEffectMaxSamplers};
        const char* const kinds[3] = {"textures", "writable textures", "samplers"};
        for (std::size_t kind = 0; kind < 3; ++kind) {
            std::vector<std::uint32_t> slots;
            if (!AssignSlots(requests[kind], limits[kind], slots)) {
                Error(MainFile(),
                      std::string("the ") + kinds[kind] + " need more than " + std::to_string(limits[kind]) + " slots");
                return false;
            }
            for (std::size_t i = 0; i < slots.size(); ++i) {
                const EffectResourceDecl& r = *decls[kind][i];
                EffectVariable v;
                v.name = r.name;
                v.slot = slots[i];
                v.elements = r.elements;
                if (r.kind == EffectResourceKind::Texture) {
                    v.kind = EffectVariableKind::Texture;
                    v.dimension = r.dimension;
                    textureSlotOf[r.name] = v.slot;
                } else if (r.kind == EffectResourceKind::Uav) {
                    v.kind = EffectVariableKind::Uav;
                    v.format = StageImageFormat::Unspecified;
                    for (const auto& w : stageWork) {
                        const auto f = w->imageFormats.find(r.name);
                        if (f != w->imageFormats.end() && f->second != StageImageFormat::Unspecified) {
                            v.format = f->second;
                        }
                    }
                    uavSlotOf[r.name] = v.slot;
                } else {
                    v.kind = EffectVariableKind::Sampler;
                    samplerSlotOf[r.name] = v.slot;
                    samplerSlots = std::max(samplerSlots, v.slot + std::max(r.elements, 1u));
                }
                if (!names.insert(v.name).second) {
                    Error(r.where, "'" + v.name + "' is declared twice");
                    return false;
                }
                blob.variables.push_back(v);
            }
        }
        return true;
    }

    void SamplerTable(EffectBlob& blob, std::uint32_t samplerSlots)
    {
        // The sampler list is indexed by slot; slots no declaration takes hold the default sampler.
        blob.samplers.assign(samplerSlots, EffectSamplerDesc{});
        for (const EffectSamplerDesc& desc : effectSource->samplers) {
            const auto slot = samplerSlotOf.find(desc.name);
            if (slot == samplerSlotOf.end()) {
                continue;
            }
            const EffectResourceDecl* decl = Resource(desc.name, EffectResourceKind::Sampler);
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

    struct SlotRequest {
        EffectRegister reg;
        std::uint32_t count = 1;
    };

    // Explicit registers as given (CheckRegisters has refused clashes); the others, in order, at the
    // lowest run of free slots long enough.
    static bool AssignSlots(const std::vector<SlotRequest>& requests, std::uint32_t limit,
                            std::vector<std::uint32_t>& slots)
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

    // glslang numbers a stage's inputs and outputs in declaration order; they are renumbered by
    // semantic so that a vertex output meets the pixel input of the same semantic.
    bool AssignVaryings()
    {
        std::map<std::string, std::uint32_t> location;
        std::uint32_t next = 0;
        auto assign = [&](StageWork& w, Varying& v) {
            const std::string key = v.semantic + std::to_string(v.index);
            auto it = location.find(key);
            if (it == location.end()) {
                it = location.emplace(key, next).first;
                next += v.locations;
            }
            v.location = it->second;
            if (next > kMaxVaryingLocations) {
                Error(w.call.where, "too many values passed between stages");
                return false;
            }
            spvc_compiler_set_decoration(w.compiler, v.id, SpvDecorationLocation, v.location);
            return true;
        };
        for (const auto& w : stageWork) {
            if (w->call.stage == StageKind::Vertex) {
                for (Varying& v : w->outputs) {
                    if (!assign(*w, v)) {
                        return false;
                    }
                }
            }
        }
        for (const auto& w : stageWork) {
            if (w->call.stage != StageKind::Pixel) {
                continue;
            }
            for (Varying& v : w->inputs) {
                if (!assign(*w, v)) {
                    return false;
                }
            }
            for (Varying& v : w->outputs) {
                if (v.semantic != "SV_TARGET") {
                    Error(w->call.where, "pixel shader output '" + v.semantic + "' is not a render target");
                    return false;
                }
                v.location = v.index;
                spvc_compiler_set_decoration(w->compiler, v.id, SpvDecorationLocation, v.location);
            }
        }
        return true;
    }

    bool EmitStages(EffectBlob& blob)
    {
        for (const auto& w : stageWork) {
            StageBlob stage;
            stage.stage = w->call.stage;
            for (const NamedId& b : w->bufferIds) {
                const std::uint32_t slot = bufferSlotOf.at(b.name);
                spvc_compiler_set_decoration(w->compiler, b.id, SpvDecorationBinding, slot);
                spvc_compiler_set_decoration(w->compiler, b.id, SpvDecorationDescriptorSet, 0);
                // The device finds the block by name. An HLSL name GLSL cannot take ("$Globals", a
                // keyword such as "buffer") would be renamed by SPIRV-Cross, and the block then found
                // by nobody: every block gets a name of its own, made from its slot.
                const std::string blockName = "fx_cb" + std::to_string(slot);
                spvc_compiler_set_name(w->compiler, b.typeId, blockName.c_str());
                stage.constantBuffers.push_back({blockName, slot, bufferGpuSizeOf.at(b.name)});
            }
            if (!StageTextures(*w, stage)) {
                return false;
            }
            for (const NamedId& img : w->images) {
                const auto u = uavSlotOf.find(img.name);
                if (u == uavSlotOf.end()) {
                    Error(w->call.where, "UAV '" + img.name + "' must be declared at file scope");
                    return false;
                }
                spvc_compiler_set_decoration(w->compiler, img.id, SpvDecorationBinding, u->second);
                const auto format = w->imageFormats.find(img.name);
                stage.images.push_back(
                    {img.name, u->second,
                     format != w->imageFormats.end() ? format->second : StageImageFormat::Unspecified});
            }
            if (w->call.stage == StageKind::Vertex && !VertexInputs(*w, stage)) {
                return false;
            }
            const char* glsl = nullptr;
            const CompileStep step("SPIRV-Cross");
            if (spvc_compiler_compile(w->compiler, &glsl) != SPVC_SUCCESS) {
                return FailSpvc(*w);
            }
            stage.glsl = glsl;
            EffectShader shader;
            shader.stage = stage.stage;
            shader.entry = w->call.Key();
            shader.code = WriteStageBlob(stage);
            StageBlob check;
            if (!ParseStageBlob(shader.code.data(), shader.code.size(), check)) {
                Error(w->call.where,
                      "entry point '" + w->call.Key() + "' uses more inputs or bindings than a stage allows");
                return false;
            }
            blob.shaders.push_back(std::move(shader));
        }
        return true;
    }

    // The texture-sampler pairs of a stage: named and bound to units in order, each with the slots
    // of its texture (an array takes consecutive ones) and sampler.
    bool StageTextures(const StageWork& w, StageBlob& stage)
    {
        std::set<std::string> samplersUsed;
        std::uint32_t unit = 0;
        for (const CombinedSampler& c : w.combined) {
            const auto tex = textureSlotOf.find(c.texture);
            const EffectResourceDecl* texture = Resource(c.texture, EffectResourceKind::Texture);
            if (tex == textureSlotOf.end() || texture == nullptr) {
                Error(w.call.where, "texture '" + c.texture + "' must be declared at file scope");
                return false;
            }
            std::uint32_t samplerSlot = kStageNoSampler;
            if (!c.sampler.empty()) {
                // A sampler array's elements reach the GLSL as samplers of their own.
                const auto element = effectSource->samplerElements.find(c.sampler);
                const std::string sampler = element != effectSource->samplerElements.end() ? element->second.sampler
                                                                                           : c.sampler;
                const auto s = samplerSlotOf.find(sampler);
                if (s == samplerSlotOf.end()) {
                    Error(w.call.where, "sampler '" + sampler + "' must be declared at file scope");
                    return false;
                }
                samplerSlot = s->second + (element != effectSource->samplerElements.end() ? element->second.index : 0);
                if (samplersUsed.insert(c.sampler).second) {
                    stage.samplers.push_back({c.sampler, samplerSlot});
                }
            }
            const std::string name = "fx_" + c.texture + (c.sampler.empty() ? "" : "_" + c.sampler);
            spvc_compiler_set_name(w.compiler, c.id, name.c_str());
            spvc_compiler_set_decoration(w.compiler, c.id, SpvDecorationBinding, unit);
            // An array of textures takes consecutive slots and units, one uniform element each.
            for (std::uint32_t e = 0; e < std::max(texture->elements, 1u); ++e) {
                StageTexture t;
                t.name = texture->elements > 0 ? name + "[" + std::to_string(e) + "]" : name;
                t.unit = unit++;
                t.slot = tex->second + e;
                t.dimension = texture->dimension;
                t.samplerSlot = samplerSlot;
                t.comparison = w.comparedTextures.count(c.texture) != 0;
                stage.textures.push_back(std::move(t));
            }
        }
        return true;
    }

    // A vertex stage's inputs but the system values, with their component types.
    bool VertexInputs(const StageWork& w, StageBlob& stage)
    {
        for (const Varying& v : w.inputs) {
            if (v.semantic.rfind("SV_", 0) == 0) {
                continue;
            }
            StageComponentType type = StageComponentType::Float;
            if (v.baseType == SPVC_BASETYPE_INT32) {
                type = StageComponentType::SInt;
            } else if (v.baseType == SPVC_BASETYPE_UINT32) {
                type = StageComponentType::UInt;
            } else if (v.baseType != SPVC_BASETYPE_FP32) {
                Error(w.call.where, "vertex input '" + v.semantic + "' has an unsupported type");
                return false;
            }
            // A matrix input takes one location and one semantic index per row.
            for (std::uint32_t k = 0; k < v.locations; ++k) {
                stage.inputs.push_back({v.semantic, v.index + k, v.location + k, type, v.vectorSize});
            }
        }
        return true;
    }

    bool Initializers(EffectBlob& blob)
    {
        bool ok = true;
        for (const auto& entry : effectSource->initializers) {
            const std::string& name = entry.first;
            const EffectInitializer& init = entry.second;
            const auto v = std::find_if(blob.variables.begin(), blob.variables.end(), [&](const EffectVariable& x) {
                return x.name == name && x.kind == EffectVariableKind::Numeric;
            });
            if (v == blob.variables.end()) {
                continue;  // in a buffer no pass uses
            }
            if (v->matrix || v->baseType == EffectBaseType::Struct) {
                Error(init.where,
                      "initializer of '" + name + "': only scalars, vectors and their arrays take initial values");
                ok = false;
                continue;
            }
            const std::size_t perElement = v->columns;
            const std::size_t capacity = perElement * std::max<std::uint32_t>(1, v->elements);
            if (init.values.size() > capacity) {
                Error(init.where, "initializer of '" + name + "' has " + std::to_string(init.values.size()) +
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

    EffectCompileResult& result;
    EffectSource* effectSource = nullptr;
    std::vector<std::unique_ptr<StageWork>> stageWork;
    std::map<std::string, std::uint32_t> bufferSlotOf, bufferGpuSizeOf, textureSlotOf, uavSlotOf, samplerSlotOf;
};

}  // namespace

std::string EffectCompileResult::Messages() const
{
    std::string text;
    for (const EffectDiagnostic& d : diagnostics) {
        text += FormatDiagnostic(d) + "\n";
    }
    return text;
}

namespace {

// The compilation proper, on the calling thread's stack.
EffectCompileResult CompileOnThisStack(EffectSource& source)
{
    EffectCompileResult result;
    Compilation(result).Run(source);
    if (!result.succeeded) {
        result.code.clear();
    }
    return result;
}

}  // namespace

// Each compilation runs in a child process (CompileIsolation.h), on a large stack there.
EffectCompileResult CompileEffectText(const std::string& path, const std::string& text)
{
    return CompileInChildProcess(path, [&] {
        EffectCompileResult result;
        RunOnLargeStack([&] {
            EffectSource source;
            ParseEffectText(path, text, source);
            result = CompileOnThisStack(source);
        });
        return result;
    });
}

EffectCompileResult CompileEffectSource(EffectSource& source)
{
    return CompileInChildProcess(source.mainFile, [&] {
        EffectCompileResult result;
        RunOnLargeStack([&] { result = CompileOnThisStack(source); });
        return result;
    });
}

EffectCompileResult CompileEffectFile(const std::string& path)
{
    return CompileInChildProcess(path, [&] {
        EffectCompileResult result;
        RunOnLargeStack([&] {
            EffectSource source;
            ReadEffectSource(path, source);
            result = CompileOnThisStack(source);
        });
        return result;
    });
}
