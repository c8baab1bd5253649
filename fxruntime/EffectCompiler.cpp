#include "fxruntime/EffectCompiler.h"

#include <shaderc/shaderc.h>
#include <spirv_cross/spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "fxruntime/HlslToSpirv.h"

namespace {

constexpr std::uint32_t kMaxVaryingLocations = 32;

struct Member {
  std::string name;
  std::uint32_t offset = 0;
  EffectVariable variable;  // layout and type of the member
};

struct BufferLayout {
  std::string name;
  std::uint32_t size = 0;
  std::vector<Member> members;
  std::string firstEntry;
};

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
};

// One distinct entry point on its way from HLSL to a stage blob.
struct StageWork {
  EffectEntryCall call;
  std::string entryName;
  std::string wrapper;
  std::vector<std::string> constantTypes;  // specialization constants, when the entry has them
  std::string compileKey;                  // entries with equal keys share one compilation
  HlslCompileOutput spirv;
  spvc_context context = nullptr;
  spvc_compiler compiler = nullptr;
  std::vector<BufferLayout> buffers;
  std::vector<NamedId> bufferIds;  // same order as buffers
  std::vector<Varying> inputs, outputs;
  std::vector<CombinedSampler> combined;
  std::vector<NamedId> images;
  std::vector<std::uint8_t> code;

  StageWork() = default;
  StageWork(const StageWork&) = delete;
  StageWork& operator=(const StageWork&) = delete;
  ~StageWork() {
    if (context != nullptr) spvc_context_destroy(context);
  }
};

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// "TEXCOORD1" -> ("TEXCOORD", 1); "POSITION" -> ("POSITION", 0).
void SplitSemantic(const std::string& semantic, std::string& name, std::uint32_t& index) {
  std::size_t end = semantic.size();
  while (end > 0 && std::isdigit(static_cast<unsigned char>(semantic[end - 1]))) --end;
  name = Upper(semantic.substr(0, end));
  index = end < semantic.size() ? static_cast<std::uint32_t>(std::stoul(semantic.substr(end))) : 0;
}

StageKind ShaderStageOf(const EffectEntryCall& call) { return call.stage; }

class Compilation {
 public:
  explicit Compilation(EffectCompileResult& result) : result_(result) {}

  void Run(EffectSource& source) {
    source_ = &source;
    for (const EffectDiagnostic& d : source.diagnostics) result_.diagnostics.push_back(d);
    if (source.HasErrors()) return;
    EffectBlob blob;
    if (!Techniques(blob)) return;
    if (!CompileStages()) return;
    if (!Reflect()) return;
    if (!BuildTables(blob)) return;
    if (!AssignVaryings()) return;
    if (!EmitStages(blob)) return;
    if (!Initializers(blob)) return;
    result_.code = WriteEffectBlob(blob);
    result_.succeeded = true;
  }

 private:
  void Error(const EffectSourceLocation& where, const std::string& text, const char* code = "X3000") {
    result_.diagnostics.push_back({where.file, where.line, where.column, true, code, text});
  }
  EffectSourceLocation MainFile() const { return {source_->mainFile, 1, 1}; }

  template <typename T>
  bool ResolveState(const EffectStateRef& ref, const std::vector<T>& states, const char* kind, std::int32_t& out) {
    if (!ref.set) {
      out = kEffectStateUnset;
      return true;
    }
    if (ref.null) {
      out = kEffectStateDefault;
      return true;
    }
    for (std::size_t i = 0; i < states.size(); ++i)
      if (states[i].name == ref.name) {
        out = static_cast<std::int32_t>(i);
        return true;
      }
    Error(ref.where, std::string("undeclared ") + kind + " '" + ref.name + "'", "X3004");
    return false;
  }

  // Techniques and passes, with each distinct entry point (stage and literal arguments) given
  // one shader slot, compiled once however many passes use it.
  bool Techniques(EffectBlob& blob) {
    blob.samplers = source_->samplers;
    blob.rasterizerStates = source_->rasterizerStates;
    blob.depthStencilStates = source_->depthStencilStates;
    blob.blendStates = source_->blendStates;
    if (blob.samplers.size() > kEffectMaxSamplers) {
      Error(MainFile(), "more than " + std::to_string(kEffectMaxSamplers) + " sampler states");
      return false;
    }
    bool ok = true;
    std::map<std::string, std::int32_t> shaderIndex;
    for (const EffectSourceTechnique& t : source_->techniques) {
      EffectTechnique tech;
      tech.name = t.name;
      for (const EffectSourcePass& p : t.passes) {
        EffectPass pass;
        pass.name = p.name;
        for (std::size_t k = 0; k < kEffectStageCount; ++k) {
          if (!p.shaders[k]) continue;
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
            it = shaderIndex.emplace(key, static_cast<std::int32_t>(work_.size())).first;
            auto w = std::make_unique<StageWork>();
            w->call = call;
            EffectDiagnostic error;
            if (!MakeEntryPoint(*source_, call, static_cast<int>(work_.size()), w->entryName, w->wrapper, error,
                                &w->constantTypes)) {
              result_.diagnostics.push_back(error);
              ok = false;
            }
            w->compileKey = std::to_string(k) + ":" + (w->constantTypes.empty() ? call.Key() : call.function);
            work_.push_back(std::move(w));
          }
          pass.shaders[k] = it->second;
        }
        ok = ResolveState(p.rasterizer, blob.rasterizerStates, "rasterizer state", pass.rasterizerState) && ok;
        ok = ResolveState(p.depthStencil, blob.depthStencilStates, "depth-stencil state", pass.depthStencilState) &&
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
  bool CompileStages() {
    const std::string& main = source_->strippedFiles.at(source_->mainFile);
    std::map<std::string, StageWork*> firstOfKey;
    std::vector<StageWork*> compiled;
    for (const auto& w : work_)
      if (firstOfKey.emplace(w->compileKey, w.get()).second) compiled.push_back(w.get());

    auto compileOne = [this, &main](StageWork* w) {
      HlslCompileInput in;
      in.fileName = source_->mainFile;
      in.source = main;
      if (!w->wrapper.empty()) in.source += "\n" + w->wrapper;
      in.entryPoint = w->entryName;
      in.stage = ShaderStageOf(w->call);
      in.files = &source_->strippedFiles;
      w->spirv = CompileHlslToSpirv(in);
    };
    // Distinct compilations are independent; spread them over the cores.
    const unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::future<void>> jobs;
    for (std::size_t next = 0; next < compiled.size();) {
      jobs.clear();
      for (unsigned i = 0; i < threads && next < compiled.size(); ++i, ++next)
        jobs.push_back(std::async(std::launch::async, compileOne, compiled[next]));
      for (auto& j : jobs) j.get();
    }

    bool ok = true;
    std::set<std::string> seen;
    for (const auto& w : work_) {
      const StageWork* from = firstOfKey.at(w->compileKey);
      if (from != w.get()) w->spirv = from->spirv;
      for (EffectDiagnostic d : w->spirv.diagnostics) {
        // Lines past the end of the file belong to the generated wrapper: point at the call.
        if (d.file == source_->mainFile && d.line > source_->mainFileLines) {
          d.file = w->call.where.file;
          d.line = w->call.where.line;
          d.column = w->call.where.column;
        }
        const std::string text = FormatDiagnostic(d);
        if (seen.insert(text).second) result_.diagnostics.push_back(d);
      }
      if (w->spirv.readOtherFiles) result_.selfContained = false;
      ok = ok && w->spirv.succeeded && Specialize(*w);
    }
    return ok;
  }

  // Writes the entry's literal arguments into its specialization constants.
  bool Specialize(StageWork& w) {
    if (w.constantTypes.empty()) return true;
    std::vector<std::uint32_t>& s = w.spirv.words;
    std::map<std::uint32_t, std::uint32_t> specIdOf;  // result id -> constant id
    for (std::size_t i = 5; i < s.size();) {
      const std::uint32_t count = s[i] >> 16, op = s[i] & 0xFFFF;
      if (count == 0 || i + count > s.size()) break;
      if (op == SpvOpDecorate && count >= 4 && s[i + 2] == SpvDecorationSpecId) specIdOf[s[i + 1]] = s[i + 3];
      i += count;
    }
    std::size_t written = 0;
    for (std::size_t i = 5; i < s.size();) {
      const std::uint32_t count = s[i] >> 16, op = s[i] & 0xFFFF;
      if (count == 0 || i + count > s.size()) break;
      const bool isSpec = op == SpvOpSpecConstantTrue || op == SpvOpSpecConstantFalse || op == SpvOpSpecConstant;
      const auto id = isSpec && count >= 3 ? specIdOf.find(s[i + 2]) : specIdOf.end();
      if (id != specIdOf.end() && id->second < w.constantTypes.size()) {
        std::uint32_t word = 0;
        if (!SpecializationWord(w.call.arguments[id->second], w.constantTypes[id->second], word)) {
          Error(w.call.where, "cannot use '" + w.call.arguments[id->second] + "' as a " + w.constantTypes[id->second]);
          return false;
        }
        if (op == SpvOpSpecConstant && count == 4) {
          s[i + 3] = word;
        } else if (op != SpvOpSpecConstant) {
          s[i] = (count << 16) | (word != 0 ? SpvOpSpecConstantTrue : SpvOpSpecConstantFalse);
        }
        ++written;
      }
      i += count;
    }
    // Constants the entry never reads are dropped by the compiler; that is fine.
    (void)written;
    return true;
  }

  const EffectResourceDecl* Resource(const std::string& name, EffectResourceKind kind) const {
    for (const EffectResourceDecl& r : source_->resources)
      if (r.name == name && r.kind == kind) return &r;
    return nullptr;
  }

  bool Reflect() {
    for (const auto& w : work_)
      if (!ReflectStage(*w)) return false;
    return true;
  }

  bool FailSpvc(StageWork& w, const char* what) {
    Error(w.call.where, std::string("cannot translate entry point '") + w.call.Key() + "' (" + what +
                            "): " + spvc_context_get_last_error_string(w.context));
    return false;
  }

  bool ReadVaryings(StageWork& w, spvc_resources res, spvc_resource_type type, std::vector<Varying>& out) {
    const spvc_reflected_resource* list = nullptr;
    std::size_t count = 0;
    spvc_resources_get_resource_list_for_type(res, type, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
      Varying v;
      v.id = list[i].id;
      const char* semantic = spvc_compiler_get_decoration_string(w.compiler, v.id, SpvDecorationUserSemantic);
      SplitSemantic(semantic != nullptr && *semantic != '\0' ? semantic : list[i].name, v.semantic, v.index);
      v.location = spvc_compiler_get_decoration(w.compiler, v.id, SpvDecorationLocation);
      const spvc_type t = spvc_compiler_get_type_handle(w.compiler, list[i].type_id);
      v.baseType = spvc_type_get_basetype(t);
      v.vectorSize = spvc_type_get_vector_size(t);
      v.locations = spvc_type_get_columns(t);
      for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(t); ++d)
        v.locations *= std::max(1u, static_cast<unsigned>(spvc_type_get_array_dimension(t, d)));
      out.push_back(v);
    }
    return true;
  }

  bool ReflectStage(StageWork& w) {
    if (spvc_context_create(&w.context) != SPVC_SUCCESS) return false;
    spvc_parsed_ir ir = nullptr;
    if (!ApplyImageFormats(w)) return false;
    if (spvc_context_parse_spirv(w.context, w.spirv.words.data(), w.spirv.words.size(), &ir) != SPVC_SUCCESS)
      return FailSpvc(w, "parse");
    if (spvc_context_create_compiler(w.context, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                     &w.compiler) != SPVC_SUCCESS)
      return FailSpvc(w, "compiler");
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
        spvc_compiler_build_combined_image_samplers(w.compiler) != SPVC_SUCCESS)
      return FailSpvc(w, "samplers");

    spvc_resources res = nullptr;
    if (spvc_compiler_create_shader_resources(w.compiler, &res) != SPVC_SUCCESS) return FailSpvc(w, "resources");

    const spvc_reflected_resource* list = nullptr;
    std::size_t count = 0;
    spvc_resources_get_resource_list_for_type(res, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
      BufferLayout layout;
      if (!ReflectBuffer(w, list[i], layout)) return false;
      w.bufferIds.push_back({list[i].id, layout.name});
      w.buffers.push_back(std::move(layout));
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
    }
    const spvc_combined_image_sampler* combined = nullptr;
    spvc_compiler_get_combined_image_samplers(w.compiler, &combined, &count);
    for (std::size_t i = 0; i < count; ++i) {
      CombinedSampler c;
      c.id = combined[i].combined_id;
      c.texture = spvc_compiler_get_name(w.compiler, combined[i].image_id);
      if (combined[i].sampler_id != dummy) c.sampler = spvc_compiler_get_name(w.compiler, combined[i].sampler_id);
      w.combined.push_back(c);
    }
    ReadVaryings(w, res, SPVC_RESOURCE_TYPE_STAGE_INPUT, w.inputs);
    ReadVaryings(w, res, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, w.outputs);
    return true;
  }

  // glslang 12 types every RWTexture2D<float4> as rgba32f and ignores vk::image_format; the format
  // the file asked for is written into the image type here, before translation.
  bool ApplyImageFormats(StageWork& w) {
    std::vector<std::uint32_t>& s = w.spirv.words;
    std::map<std::uint32_t, std::string> names;
    std::map<std::uint32_t, std::uint32_t> varType, pointee;
    std::map<std::uint32_t, std::size_t> imageAt;
    for (std::size_t i = 5; i < s.size();) {
      const std::uint32_t count = s[i] >> 16, op = s[i] & 0xFFFF;
      if (count == 0 || i + count > s.size()) break;
      if (op == SpvOpName && count >= 3)
        names[s[i + 1]] = std::string(reinterpret_cast<const char*>(&s[i + 2]),
                                      strnlen(reinterpret_cast<const char*>(&s[i + 2]), (count - 2) * 4));
      if (op == SpvOpVariable && count >= 4) varType[s[i + 2]] = s[i + 1];
      if (op == SpvOpTypePointer && count >= 4) pointee[s[i + 1]] = s[i + 3];
      if (op == SpvOpTypeImage && count >= 9) imageAt[s[i + 1]] = i;
      i += count;
    }
    std::map<std::size_t, StageImageFormat> patched;
    for (const auto& [id, name] : names) {
      const EffectResourceDecl* decl = Resource(name, EffectResourceKind::Uav);
      if (decl == nullptr || !decl->format || varType.count(id) == 0) continue;
      const auto p = pointee.find(varType[id]);
      if (p == pointee.end() || imageAt.count(p->second) == 0) continue;
      const std::size_t at = imageAt[p->second];
      const auto before = patched.find(at);
      if (before != patched.end() && before->second != *decl->format) {
        Error(w.call.where, "'" + name + "' shares its image type with another UAV of a different format");
        return false;
      }
      patched[at] = *decl->format;
      static const std::map<StageImageFormat, SpvImageFormat> kSpv = {
          {StageImageFormat::Rgba32f, SpvImageFormatRgba32f}, {StageImageFormat::Rgba8, SpvImageFormatRgba8},
          {StageImageFormat::R32f, SpvImageFormatR32f},       {StageImageFormat::R32ui, SpvImageFormatR32ui},
          {StageImageFormat::Rgba16f, SpvImageFormatRgba16f}};
      s[at + 8] = kSpv.at(*decl->format);
    }
    return true;
  }

  bool ReflectBuffer(StageWork& w, const spvc_reflected_resource& r, BufferLayout& out) {
    const char* raw = spvc_compiler_get_name(w.compiler, r.base_type_id);
    std::string name = raw != nullptr ? raw : r.name;
    if (name == "$Global" || name == "_Global" || name.empty()) name = "$Globals";
    out.name = name;
    out.firstEntry = w.call.Key();
    const spvc_type t = spvc_compiler_get_type_handle(w.compiler, r.base_type_id);
    std::size_t size = 0;
    if (spvc_compiler_get_declared_struct_size(w.compiler, t, &size) != SPVC_SUCCESS) return FailSpvc(w, "size");
    out.size = static_cast<std::uint32_t>((size + 15) / 16 * 16);
    if (out.size > kEffectMaxBufferSize) {
      Error(w.call.where, "constant buffer '" + name + "' is larger than 64 KiB");
      return false;
    }
    const unsigned members = spvc_type_get_num_member_types(t);
    for (unsigned m = 0; m < members; ++m) {
      Member mem;
      const char* memberName = spvc_compiler_get_member_name(w.compiler, r.base_type_id, m);
      mem.name = memberName != nullptr ? memberName : "";
      unsigned offset = 0;
      spvc_compiler_type_struct_member_offset(w.compiler, t, m, &offset);
      mem.offset = offset;
      const spvc_type mt = spvc_compiler_get_type_handle(w.compiler, spvc_type_get_member_type(t, m));
      EffectVariable& v = mem.variable;
      v.name = mem.name;
      v.offset = offset;
      const spvc_basetype base = spvc_type_get_basetype(mt);
      switch (base) {
        case SPVC_BASETYPE_FP32: v.baseType = EffectBaseType::Float; break;
        case SPVC_BASETYPE_INT32: v.baseType = EffectBaseType::Int; break;
        case SPVC_BASETYPE_UINT32: v.baseType = EffectBaseType::UInt; break;
        case SPVC_BASETYPE_BOOLEAN: v.baseType = EffectBaseType::Bool; break;
        case SPVC_BASETYPE_STRUCT: v.baseType = EffectBaseType::Struct; break;
        default:
          Error(w.call.where, "constant buffer '" + name + "': member '" + mem.name + "' has an unsupported type");
          return false;
      }
      const unsigned dims = spvc_type_get_num_array_dimensions(mt);
      if (dims > 1) {
        Error(w.call.where, "constant buffer '" + name + "': member '" + mem.name +
                                "' is a multi-dimensional array, which cannot be laid out");
        return false;
      }
      std::size_t elementSize = 0;
      if (v.baseType == EffectBaseType::Struct) {
        // The struct type itself, without the array around it.
        spvc_compiler_get_declared_struct_member_size(w.compiler, t, m, &elementSize);
      } else {
        v.columns = spvc_type_get_vector_size(mt);
        v.rows = 1;
        const unsigned matrixColumns = spvc_type_get_columns(mt);
        elementSize = 4u * v.columns;
        if (matrixColumns > 1) {
          // HLSL's rows are SPIR-V's columns, and HLSL's column_major is SPIR-V's RowMajor.
          v.rows = matrixColumns;
          v.columnMajor = spvc_compiler_has_member_decoration(w.compiler, r.base_type_id, m, SpvDecorationRowMajor);
          unsigned matrixStride = 16;
          spvc_compiler_type_struct_member_matrix_stride(w.compiler, t, m, &matrixStride);
          const unsigned lines = v.columnMajor ? v.columns : v.rows;
          const unsigned width = v.columnMajor ? v.rows : v.columns;
          elementSize = (lines - 1) * matrixStride + 4u * width;
        }
      }
      if (dims == 1) {
        v.elements = static_cast<std::uint32_t>(spvc_type_get_array_dimension(mt, 0));
        unsigned stride = 0;
        spvc_compiler_type_struct_member_array_stride(w.compiler, t, m, &stride);
        v.elementStride = stride;
        if (v.baseType == EffectBaseType::Struct) elementSize = stride;
        if (v.elements == 0 || stride == 0) {
          Error(w.call.where, "constant buffer '" + name + "': member '" + mem.name + "' cannot be laid out");
          return false;
        }
        v.size = (v.elements - 1) * stride + static_cast<std::uint32_t>(elementSize);
      } else {
        v.size = static_cast<std::uint32_t>(elementSize);
      }
      if (std::uint64_t{v.offset} + v.size > out.size) {
        Error(w.call.where, "constant buffer '" + name + "': member '" + mem.name + "' cannot be laid out");
        return false;
      }
      out.members.push_back(std::move(mem));
    }
    return true;
  }

  // Merges the buffers all stages saw, gives every buffer, texture, UAV and sampler its slot, and
  // lists the variables.
  bool BuildTables(EffectBlob& blob) {
    std::vector<BufferLayout> buffers;
    for (const auto& w : work_) {
      for (const BufferLayout& b : w->buffers) {
        auto it = std::find_if(buffers.begin(), buffers.end(), [&](const BufferLayout& x) { return x.name == b.name; });
        if (it == buffers.end()) {
          buffers.push_back(b);
          continue;
        }
        bool same = it->size == b.size && it->members.size() == b.members.size();
        for (std::size_t i = 0; same && i < b.members.size(); ++i)
          same = it->members[i].name == b.members[i].name && it->members[i].offset == b.members[i].offset;
        if (!same) {
          Error(w->call.where, "constant buffer '" + b.name + "' is laid out differently in entry points '" +
                                   it->firstEntry + "' and '" + w->call.Key() + "'");
          return false;
        }
      }
    }
    // Declaration order gives stable slots; the implicit global buffer comes last.
    auto rank = [this](const std::string& name) {
      const auto& names = source_->constantBufferNames;
      const auto it = std::find(names.begin(), names.end(), name);
      return it == names.end() ? names.size() : static_cast<std::size_t>(it - names.begin());
    };
    std::stable_sort(buffers.begin(), buffers.end(),
                     [&](const BufferLayout& a, const BufferLayout& b) { return rank(a.name) < rank(b.name); });
    if (buffers.size() > kEffectMaxBuffers) {
      Error(MainFile(), "more than " + std::to_string(kEffectMaxBuffers) + " constant buffers");
      return false;
    }
    std::set<std::string> names;
    for (std::size_t i = 0; i < buffers.size(); ++i) {
      EffectConstantBuffer cb;
      cb.name = buffers[i].name;
      cb.slot = static_cast<std::uint32_t>(i);
      cb.initialData.assign(buffers[i].size, 0);
      bufferSlot_[cb.name] = cb.slot;
      blob.constantBuffers.push_back(std::move(cb));
      for (const Member& m : buffers[i].members) {
        EffectVariable v = m.variable;
        v.kind = EffectVariableKind::Numeric;
        v.buffer = static_cast<std::uint32_t>(i);
        if (!names.insert(v.name).second) {
          Error(MainFile(), "variable '" + v.name + "' is declared in two constant buffers");
          return false;
        }
        blob.variables.push_back(v);
      }
    }
    std::uint32_t textures = 0, uavs = 0, samplers = 0;
    for (const EffectResourceDecl& r : source_->resources) {
      EffectVariable v;
      v.name = r.name;
      if (r.kind == EffectResourceKind::Texture) {
        v.kind = EffectVariableKind::Texture;
        v.dimension = r.dimension;
        v.slot = textures++;
        textureSlot_[r.name] = v.slot;
      } else if (r.kind == EffectResourceKind::Uav) {
        v.kind = EffectVariableKind::Uav;
        v.format = r.format.value_or(StageImageFormat::Rgba32f);
        v.slot = uavs++;
        uavSlot_[r.name] = v.slot;
      } else {
        v.kind = EffectVariableKind::Sampler;
        v.slot = samplers++;
        samplerSlot_[r.name] = v.slot;
      }
      if (!names.insert(v.name).second) {
        Error(MainFile(), "'" + v.name + "' is declared twice");
        return false;
      }
      blob.variables.push_back(v);
    }
    if (textures > kEffectMaxTextures || uavs > kEffectMaxUavs) {
      Error(MainFile(), "too many textures or UAVs");
      return false;
    }
    return true;
  }

  // glslang numbers a stage's inputs and outputs in declaration order; they are renumbered by
  // semantic so that a vertex output meets the pixel input of the same semantic.
  bool AssignVaryings() {
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
    for (const auto& w : work_)
      if (w->call.stage == StageKind::Vertex)
        for (Varying& v : w->outputs)
          if (!assign(*w, v)) return false;
    for (const auto& w : work_) {
      if (w->call.stage != StageKind::Pixel) continue;
      for (Varying& v : w->inputs)
        if (!assign(*w, v)) return false;
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

  bool EmitStages(EffectBlob& blob) {
    for (const auto& w : work_) {
      StageBlob stage;
      stage.stage = w->call.stage;
      for (const NamedId& b : w->bufferIds) {
        const std::uint32_t slot = bufferSlot_.at(b.name);
        spvc_compiler_set_decoration(w->compiler, b.id, SpvDecorationBinding, slot);
        spvc_compiler_set_decoration(w->compiler, b.id, SpvDecorationDescriptorSet, 0);
        std::uint32_t size = 0;
        for (const EffectConstantBuffer& cb : blob.constantBuffers)
          if (cb.name == b.name) size = static_cast<std::uint32_t>(cb.initialData.size());
        stage.constantBuffers.push_back({b.name, slot, size});
      }
      std::set<std::string> samplersUsed;
      std::uint32_t unit = 0;
      for (const CombinedSampler& c : w->combined) {
        const auto tex = textureSlot_.find(c.texture);
        if (tex == textureSlot_.end()) {
          Error(w->call.where, "texture '" + c.texture + "' must be declared at file scope");
          return false;
        }
        StageTexture t;
        t.name = "fx_" + c.texture + (c.sampler.empty() ? "" : "_" + c.sampler);
        t.unit = unit++;
        t.slot = tex->second;
        t.dimension = Resource(c.texture, EffectResourceKind::Texture)->dimension;
        if (!c.sampler.empty()) {
          const auto s = samplerSlot_.find(c.sampler);
          if (s == samplerSlot_.end()) {
            Error(w->call.where, "sampler '" + c.sampler + "' must be declared at file scope");
            return false;
          }
          t.samplerSlot = s->second;
          if (samplersUsed.insert(c.sampler).second) stage.samplers.push_back({c.sampler, s->second});
        }
        spvc_compiler_set_name(w->compiler, c.id, t.name.c_str());
        spvc_compiler_set_decoration(w->compiler, c.id, SpvDecorationBinding, t.unit);
        stage.textures.push_back(std::move(t));
      }
      for (const NamedId& img : w->images) {
        const auto u = uavSlot_.find(img.name);
        if (u == uavSlot_.end()) {
          Error(w->call.where, "UAV '" + img.name + "' must be declared at file scope");
          return false;
        }
        const EffectResourceDecl* decl = Resource(img.name, EffectResourceKind::Uav);
        spvc_compiler_set_decoration(w->compiler, img.id, SpvDecorationBinding, u->second);
        stage.images.push_back({img.name, u->second, decl->format.value_or(StageImageFormat::Rgba32f)});
      }
      if (w->call.stage == StageKind::Vertex) {
        for (const Varying& v : w->inputs) {
          if (v.semantic.rfind("SV_", 0) == 0) continue;
          StageComponentType type = StageComponentType::Float;
          if (v.baseType == SPVC_BASETYPE_INT32) type = StageComponentType::SInt;
          else if (v.baseType == SPVC_BASETYPE_UINT32) type = StageComponentType::UInt;
          else if (v.baseType != SPVC_BASETYPE_FP32) {
            Error(w->call.where, "vertex input '" + v.semantic + "' has an unsupported type");
            return false;
          }
          // A matrix input takes one location and one semantic index per row.
          for (std::uint32_t k = 0; k < v.locations; ++k)
            stage.inputs.push_back({v.semantic, v.index + k, v.location + k, type, v.vectorSize});
        }
      }
      const char* glsl = nullptr;
      if (spvc_compiler_compile(w->compiler, &glsl) != SPVC_SUCCESS) {
        const std::string why = spvc_context_get_last_error_string(w->context);
        // SPIR-V Cross refuses buffers GLSL cannot express; name the member that breaks the layout.
        Error(w->call.where, "entry point '" + w->call.Key() + "' cannot be translated to GLSL: " + why +
                                 LayoutHint(*w));
        return false;
      }
      stage.glsl = glsl;
      EffectShader shader;
      shader.stage = stage.stage;
      shader.entry = w->call.Key();
      shader.code = WriteStageBlob(stage);
      StageBlob check;
      if (!ParseStageBlob(shader.code.data(), shader.code.size(), check)) {
        Error(w->call.where, "entry point '" + w->call.Key() + "' uses more inputs or bindings than a stage allows");
        return false;
      }
      blob.shaders.push_back(std::move(shader));
    }
    return true;
  }

  // The first member whose offset breaks std140's alignment rules, for the message.
  static std::string LayoutHint(const StageWork& w) {
    for (const BufferLayout& b : w.buffers) {
      std::uint32_t end = 0;
      for (const Member& m : b.members) {
        const EffectVariable& v = m.variable;
        const bool needs16 = v.elements > 0 || v.rows > 1 || v.baseType == EffectBaseType::Struct;
        const std::uint32_t align = needs16 ? 16 : (v.columns == 1 ? 4 : v.columns == 2 ? 8 : 16);
        if (m.offset % align != 0 || m.offset < end)
          return " (constant buffer '" + b.name + "', member '" + m.name + "' at offset " + std::to_string(m.offset) +
                 ")";
        end = m.offset + v.size;
        if (needs16) end = (end + 15) / 16 * 16;
      }
    }
    return {};
  }

  bool Initializers(EffectBlob& blob) {
    bool ok = true;
    for (const auto& entry : source_->initializers) {
      const std::string& name = entry.first;
      const EffectInitializer& init = entry.second;
      const auto v = std::find_if(blob.variables.begin(), blob.variables.end(), [&](const EffectVariable& x) {
        return x.name == name && x.kind == EffectVariableKind::Numeric;
      });
      if (v == blob.variables.end()) continue;  // in a buffer no pass uses
      if (v->rows > 1 || v->baseType == EffectBaseType::Struct) {
        Error(init.where, "initializer of '" + name + "': only scalars, vectors and their arrays take initial values");
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
        if (at + 4 > data.size()) continue;
        std::memcpy(&data[at], &bits, 4);
      }
    }
    return ok;
  }

  EffectCompileResult& result_;
  EffectSource* source_ = nullptr;
  std::vector<std::unique_ptr<StageWork>> work_;
  std::map<std::string, std::uint32_t> bufferSlot_, textureSlot_, uavSlot_, samplerSlot_;
};

}  // namespace

std::string EffectCompileResult::Messages() const {
  std::string text;
  for (const EffectDiagnostic& d : diagnostics) text += FormatDiagnostic(d) + "\n";
  return text;
}

EffectCompileResult CompileEffectText(const std::string& path, const std::string& text) {
  EffectCompileResult result;
  EffectSource source;
  ParseEffectText(path, text, source);
  Compilation(result).Run(source);
  if (!result.succeeded) result.code.clear();
  return result;
}

EffectCompileResult CompileEffectSource(EffectSource& source) {
  EffectCompileResult result;
  Compilation(result).Run(source);
  if (!result.succeeded) result.code.clear();
  return result;
}

EffectCompileResult CompileEffectFile(const std::string& path) {
  EffectSource source;
  ReadEffectSource(path, source);
  return CompileEffectSource(source);
}
