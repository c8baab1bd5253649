// TranslateStage (CompilerPhases.h): one stage's module given its image formats, Direct3D's rules and
// its constant-buffer layouts, then handed to SPIRV-Cross for reflection.
#include <algorithm>
#include <cctype>
#include <map>

#include "fxruntime/CompileStep.h"
#include "fxruntime/CompilerPhases.h"
#include "fxruntime/SpirvRewrites.h"

namespace {

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

// The format of a writable texture the stage reads, by its element type (Direct3D 11 loads typed
// UAVs of single-component 32-bit types only); false, with the error, for any other.
bool ReadFormat(const EffectResourceDecl& decl, StageImageFormat& format, Diagnostics& diagnostics)
{
    std::string type = decl.elementType.empty() ? "float4" : decl.elementType;
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
        diagnostics.push_back({decl.where.file, decl.where.line, decl.where.column, true, "X3676",
                               "typed UAV loads are only allowed for single-component 32-bit element types; '" +
                                   decl.name + "' is a RWTexture2D<" + type + ">"});
        return false;
    }
    return true;
}

// ImageFormats: takes a stage's module; gives the storage format of each writable texture, from
// what the stage does with it: written only, none (the view's format); read, r32f, r32ui or r32i by
// the element type. The formats are written into the module's image types.
bool InferImageFormats(const EffectSource& source, SpirvModule& module, StageImages& out, Diagnostics& diagnostics)
{
    ImageUses uses = ScanImageUses(module);
    std::map<std::string, std::size_t> typeOf;  // the instruction index of each texture's image type
    std::map<std::string, const EffectResourceDecl*> declOf;
    for (const auto& [id, name] : uses.names) {
        const EffectResourceDecl* decl = FindResource(source, name, EffectResourceKind::Uav);
        if (decl == nullptr || uses.varType.count(id) == 0) {
            continue;
        }
        const auto p = uses.pointee.find(uses.varType[id]);
        if (p == uses.pointee.end() || uses.imageAt.count(p->second) == 0) {
            continue;
        }
        StageImageFormat format = StageImageFormat::Unspecified;
        if (uses.readVars.count(id) != 0) {
            out.read.insert(name);
            if (!ReadFormat(*decl, format, diagnostics)) {
                return false;
            }
        }
        out.formats[name] = format;
        typeOf[name] = uses.imageAt[p->second];
        declOf[name] = decl;
    }
    // The HLSL compiler gives textures of one element type one image type, so one read and one
    // only written share the read one's format; the written one is then told which view it needs.
    std::map<std::size_t, StageImageFormat> typeFormat;
    for (const auto& [name, format] : out.formats) {
        if (format != StageImageFormat::Unspecified) {
            typeFormat[typeOf[name]] = format;
        }
    }
    static const std::map<StageImageFormat, std::pair<SpvImageFormat, const char*>> kSpv = {
        {StageImageFormat::R32f, {SpvImageFormatR32f, "R32_FLOAT"}},
        {StageImageFormat::R32ui, {SpvImageFormatR32ui, "R32_UINT"}},
        {StageImageFormat::R32i, {SpvImageFormatR32i, "R32_SINT"}},
        {StageImageFormat::Unspecified, {SpvImageFormatUnknown, ""}}};
    for (auto& [name, format] : out.formats) {
        const auto shared = typeFormat.find(typeOf[name]);
        if (format == StageImageFormat::Unspecified && shared != typeFormat.end()) {
            format = shared->second;
            const EffectSourceLocation& where = declOf[name]->where;
            diagnostics.push_back({where.file, where.line, where.column, false, "X3206",
                                   "'" + name +
                                       "' is only written but shares its type with a writable texture that is "
                                       "read, so it is declared " +
                                       kSpv.at(format).second + "; bind a view of that format"});
        }
        module.SetOperand(typeOf[name], 7, kSpv.at(format).first);
    }
    return true;
}

void ReadVaryings(spvc_compiler compiler, spvc_resources res, spvc_resource_type type, std::vector<Varying>& out)
{
    const spvc_reflected_resource* list = nullptr;
    std::size_t count = 0;
    spvc_resources_get_resource_list_for_type(res, type, &list, &count);
    std::map<std::string, std::uint32_t> seen;  // semantic and index -> how many had them so far
    for (std::size_t i = 0; i < count; ++i) {
        Varying v;
        v.id = list[i].id;
        const char* semantic = spvc_compiler_get_decoration_string(compiler, v.id, SpvDecorationUserSemantic);
        if (semantic != nullptr && *semantic != '\0') {
            SplitSemantic(semantic, v.semantic, v.index);
        } else {
            // glslang gives no semantic to the members of a struct in an array of structs
            // ("o.items[1].v"); both stages name them by the path inside their parameter, which is
            // what meets.
            const std::string name = spvc_compiler_get_name(compiler, v.id);
            const std::size_t dot = name.find('.');
            v.semantic = Upper(dot == std::string::npos ? name : name.substr(dot + 1));
            v.semantic.insert(v.semantic.begin(), '.');
        }
        // A member's semantic in an array of structs comes once per element ("ITEM" twice for
        // Item items[2]); as in Direct3D, element k takes the semantic's index plus k.
        v.index += seen[v.semantic + "#" + std::to_string(v.index)]++;
        v.location = spvc_compiler_get_decoration(compiler, v.id, SpvDecorationLocation);
        const spvc_type t = spvc_compiler_get_type_handle(compiler, list[i].type_id);
        v.baseType = spvc_type_get_basetype(t);
        v.vectorSize = spvc_type_get_vector_size(t);
        v.locations = spvc_type_get_columns(t);
        for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(t); ++d) {
            v.locations *= std::max(1u, static_cast<unsigned>(spvc_type_get_array_dimension(t, d)));
        }
        out.push_back(v);
    }
}

// The stage's buffers, writable and compared textures, texture-sampler pairs and varyings, as
// SPIRV-Cross reflects them; `dummy` is the sampler it made for textures read without one.
bool ReadResources(const StageEntry& entry, const std::vector<PackedBuffer>& buffers, const StageImages& images,
                   spvc_resources res, spvc_variable_id dummy, StageReflection& r, Diagnostics& diagnostics)
{
    const spvc_reflected_resource* list = nullptr;
    std::size_t count = 0;
    spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto b = std::find_if(buffers.begin(), buffers.end(),
                                    [&](const PackedBuffer& p) { return p.blockType == list[i].base_type_id; });
        if (b == buffers.end()) {
            return ReportUntranslatable(diagnostics, entry);
        }
        r.buffers.push_back({list[i].id, b->name, list[i].base_type_id});
    }
    spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_STORAGE_BUFFER, &list, &count);
    if (count > 0) {
        ReportError(diagnostics, entry.call.where, "structured and byte-address buffers are not supported");
        return false;
    }
    spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_STORAGE_IMAGE, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
        const char* name = spvc_compiler_get_name(r.compiler, list[i].id);
        r.images.push_back({list[i].id, name != nullptr ? name : ""});
        // An image the stage only writes is declared without a format: the view's applies.
        if (images.read.count(r.images.back().name) == 0) {
            spvc_compiler_set_decoration(r.compiler, list[i].id, SpvDecorationNonReadable, 0);
        }
    }
    // glslang gives a texture read with SampleCmp a depth image type.
    spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_SEPARATE_IMAGE, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
        if (spvc_type_get_image_is_depth(spvc_compiler_get_type_handle(r.compiler, list[i].type_id))) {
            r.comparedTextures.insert(spvc_compiler_get_name(r.compiler, list[i].id));
        }
    }
    const spvc_combined_image_sampler* combined = nullptr;
    spvc_compiler_get_combined_image_samplers(r.compiler, &combined, &count);
    for (std::size_t i = 0; i < count; ++i) {
        CombinedSampler c;
        c.id = combined[i].combined_id;
        c.texture = spvc_compiler_get_name(r.compiler, combined[i].image_id);
        if (combined[i].sampler_id != dummy) {
            c.sampler = spvc_compiler_get_name(r.compiler, combined[i].sampler_id);
        }
        r.combined.push_back(c);
    }
    ReadVaryings(r.compiler, res, SPVC_RESOURCE_TYPE_STAGE_INPUT, r.inputs);
    ReadVaryings(r.compiler, res, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, r.outputs);
    return true;
}

// Reflect: takes a stage's finished SPIR-V, its packed buffers and image uses; gives SPIRV-Cross's
// GLSL compiler for it (its options set, texture-sampler pairs combined) and what it reflects.
bool Reflect(const StageEntry& entry, const std::vector<std::uint32_t>& words, const std::vector<PackedBuffer>& buffers,
             const StageImages& images, StageReflection& r, Diagnostics& diagnostics)
{
    const CompileStep step("SPIRV-Cross");
    spvc_parsed_ir ir = nullptr;
    if (spvc_context_parse_spirv(r.context.get(), words.data(), words.size(), &ir) != SPVC_SUCCESS) {
        return ReportUntranslatable(diagnostics, entry);
    }
    if (spvc_context_create_compiler(r.context.get(), SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                     &r.compiler) != SPVC_SUCCESS) {
        return ReportUntranslatable(diagnostics, entry);
    }
    spvc_compiler_options options = nullptr;
    spvc_compiler_create_compiler_options(r.compiler, &options);
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SEPARATE_SHADER_OBJECTS, SPVC_TRUE);
    // SV_InstanceID counts from zero whatever the draw's first instance, as gl_InstanceID does.
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SUPPORT_NONZERO_BASE_INSTANCE, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_VULKAN_SEMANTICS, SPVC_FALSE);
    // SPIR-V's undefined values (a loop exit merging a value no path before it wrote) would become
    // globals declared without a value; a GLSL compiler warns on every read of one, and what it
    // reads is left to the driver. Zero, like every variable the GLSL declares, is one answer on all.
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FORCE_ZERO_INITIALIZED_VARIABLES, SPVC_TRUE);
    spvc_compiler_install_compiler_options(r.compiler, options);

    spvc_variable_id dummy = 0;
    if (spvc_compiler_build_dummy_sampler_for_combined_images(r.compiler, &dummy) != SPVC_SUCCESS ||
        spvc_compiler_build_combined_image_samplers(r.compiler) != SPVC_SUCCESS) {
        return ReportUntranslatable(diagnostics, entry);
    }
    spvc_resources res = nullptr;
    if (spvc_compiler_create_shader_resources(r.compiler, &res) != SPVC_SUCCESS) {
        return ReportUntranslatable(diagnostics, entry);
    }
    return ReadResources(entry, buffers, images, res, dummy, r, diagnostics);
}

}  // namespace

bool TranslateStage(const EffectSource& source, const StageEntry& entry, SpirvModule& module, TranslatedStage& out,
                    Diagnostics& diagnostics)
{
    spvc_context context = nullptr;
    if (spvc_context_create(&context) != SPVC_SUCCESS) {
        return false;
    }
    out.reflection.context.reset(context);
    if (!InferImageFormats(source, module, out.images, diagnostics)) {
        return false;
    }
    ApplyHlslRules(module);
    // Direct3D's layout for the variables, std140 written into the code for the GLSL.
    EffectDiagnostic packError;
    if (!PackConstantBuffers(module, source, out.buffers, packError)) {
        diagnostics.push_back(packError);
        return false;
    }
    return Reflect(entry, module.Words(), out.buffers, out.images, out.reflection, diagnostics);
}
