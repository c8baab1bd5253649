#pragma once
// The effect compiler's back end, phase by phase; EffectCompiler.cpp runs them in this order:
//
//   Techniques      the source                  -> the blob's techniques and states; the distinct entries
//   CompileStages   the entries                 -> each entry's SPIR-V, read once (SpirvModule), specialized
//   TranslateStage  one entry and its module    -> its image formats, packed buffers, SPIRV-Cross reflection
//   MergeBuffers    the stages' packed buffers  -> one of each constant buffer
//   DecideBindings  merged buffers, the stages  -> Bindings: every Direct3D slot and GL unit
//   BuildTables     the bindings, the stages    -> the blob's constant buffers, variables and samplers
//   AssignVaryings  the stages                  -> where each stage's inputs and outputs are
//   CheckPixelUavRegisters  a pixel stage's bindings and outputs -> a UAV register a target takes, refused
//   EmitStage       one stage, its bindings and varyings -> its shader (GLSL in a stage blob)
//   Initializers    the source, the blob        -> the buffers' initial contents
//
// A phase takes what earlier ones gave and gives its own value; nothing is kept between phases but
// those values. One that fails has put its error (at the construct that caused it) into
// `diagnostics` and returns false, and the compilation stops there.
#include <spirv_cross/spirv_cross_c.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fxruntime/CbufferPacking.h"
#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectSource.h"
#include "fxruntime/SpirvModule.h"

using Diagnostics = std::vector<EffectDiagnostic>;

void ReportError(Diagnostics& diagnostics, const EffectSourceLocation& where, const std::string& text,
                 const char* code = "X3000");

// The first resource of `kind` the source declares as `name`, or null.
const EffectResourceDecl* FindResource(const EffectSource& source, const std::string& name, EffectResourceKind kind);

// One distinct entry point (stage, function and literal arguments); a pass's shader index is its
// place among the entries.
struct StageEntry {
    EffectEntryCall call;
    std::string entryName;                   // the function, or the wrapper that binds its literals
    std::string wrapper;                     // HLSL appended to the main file for the wrapper; may be empty
    std::vector<std::string> constantTypes;  // the wrapper's specialization constants, when it has them
    std::string compileKey;                  // entries with equal keys share one compilation
};

// The error for code the GLSL translation refuses; false. The message names the entry point only: the
// translator's own words are nothing a user could act on in the effect file.
bool ReportUntranslatable(Diagnostics& diagnostics, const StageEntry& entry);

// Techniques: takes the source; gives the blob its techniques, passes and state lists, and `entries`
// each distinct entry point the passes name, in the order they first name them.
bool Techniques(const EffectSource& source, EffectBlob& blob, std::vector<StageEntry>& entries,
                Diagnostics& diagnostics);

// CompileStages: takes the entries; gives `modules`, each entry's SPIR-V (by entry) read into the
// checked module every later phase works on, with the entry's literals written into its
// specialization constants. Entries of one compile key share one compilation, and compilations run
// in parallel. `selfContained` is cleared when the HLSL compiler read an include the front end
// could not see.
bool CompileStages(const EffectSource& source, const std::vector<StageEntry>& entries,
                   std::vector<SpirvModule>& modules, bool& selfContained, Diagnostics& diagnostics);

// What a stage does with its writable textures: the storage format of each one it declares (by
// name), and those it loads from or updates atomically.
struct StageImages {
    std::map<std::string, StageImageFormat> formats;
    std::set<std::string> read;
};

// A stage's input or output as SPIRV-Cross reflects it.
struct Varying {
    spvc_variable_id id = 0;
    std::string semantic;  // upper case, index split off
    std::uint32_t index = 0;
    std::uint32_t location = 0;
    std::uint32_t locations = 1;  // how many it takes
    spvc_basetype baseType = SPVC_BASETYPE_FP32;
    std::uint32_t vectorSize = 4;
};

// A texture-sampler pair the GLSL samples through one combined sampler.
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

struct SpvcContextRelease {
    void operator()(spvc_context context) const { spvc_context_destroy(context); }
};

// SPIRV-Cross's view of one stage: the compiler that writes its GLSL, and what it reflects.
struct StageReflection {
    std::unique_ptr<spvc_context_s, SpvcContextRelease> context;
    spvc_compiler compiler = nullptr;        // owned by the context
    std::vector<NamedId> buffers;            // uniform blocks, named as their packed buffers
    std::vector<NamedId> images;             // writable textures
    std::set<std::string> comparedTextures;  // textures read with SampleCmp
    std::vector<CombinedSampler> combined;
    std::vector<Varying> inputs, outputs;
};

struct TranslatedStage {
    StageImages images;
    std::vector<PackedBuffer> buffers;  // the stage's constant buffers in Direct3D's layout
    StageReflection reflection;
};

// TranslateStage: takes one entry and its module; gives the stage's image formats and constant
// buffers, written into the module (formats, Direct3D's integer rules, std140 offsets), and
// SPIRV-Cross's compiler of the finished module with what it reflects.
bool TranslateStage(const EffectSource& source, const StageEntry& entry, SpirvModule& module, TranslatedStage& out,
                    Diagnostics& diagnostics);

// MergeBuffers: takes the stages; gives one of each constant buffer they declare, in the order they
// first declare them (pointing into `stages`). A buffer two stages lay out differently is an error.
bool MergeBuffers(const std::vector<StageEntry>& entries, const std::vector<TranslatedStage>& stages,
                  std::vector<const PackedBuffer*>& merged, Diagnostics& diagnostics);

// A constant buffer of the effect, with its register bN, which is also its GL uniform-block binding.
struct BufferBinding {
    const PackedBuffer* layout = nullptr;
    std::uint32_t slot = 0;
    std::uint32_t gpuSize = 0;  // bytes of what the shaders read: the std140 copy, or the buffer itself
};

// A texture, UAV or sampler declaration with its register (tN, uN, sN; an array's first).
struct ResourceBinding {
    const EffectResourceDecl* decl = nullptr;
    std::uint32_t slot = 0;
};

// One stage's bindings as its GLSL and its stage blob declare them, with the SPIR-V ids they name.
struct StageBindings {
    struct Block {
        spvc_variable_id id = 0;
        spvc_type_id typeId = 0;
        StageConstantBuffer buffer;  // named "fx_cb<slot>", bound at the slot
    };
    struct Pair {
        spvc_variable_id id = 0;
        std::string name;        // "fx_<texture>_<sampler>"
        std::uint32_t unit = 0;  // its first GL texture unit (an array takes one per element)
    };
    struct Image {
        spvc_variable_id id = 0;
        StageImage image;  // GL image unit: the UAV slot
    };
    std::vector<Block> blocks;
    std::vector<Pair> pairs;
    std::vector<Image> images;
    std::vector<StageTexture> textures;  // one per texture unit
    std::vector<StageSampler> samplers;  // each sampler the pairs name, once
};

// Every Direct3D slot and GL unit of the effect, decided once, by DecideBindings. The GL side
// follows from the Direct3D one: a buffer's binding and a UAV's image unit are their slots; a
// stage's texture units are numbered from 0 in the order of its texture-sampler pairs.
struct Bindings {
    std::vector<BufferBinding> buffers;                     // in declaration order, $Globals last
    std::vector<ResourceBinding> textures, uavs, samplers;  // each in declaration order
    std::uint32_t samplerSlots = 0;                         // sampler slots taken: the sampler list's length
    std::vector<StageBindings> stages;                      // by entry
};

// DecideBindings: takes the merged buffers and the stages; gives the bindings. Explicit registers
// are kept; the others take the lowest free slots in declaration order. An effect past a kind's
// slots, or a stage naming a texture, sampler or UAV the file does not declare, is an error.
bool DecideBindings(const EffectSource& source, const std::vector<StageEntry>& entries,
                    const std::vector<const PackedBuffer*>& merged, const std::vector<TranslatedStage>& stages,
                    Bindings& out, Diagnostics& diagnostics);

// BuildTables: takes the bindings and the stages; gives the blob its constant buffers (zeroed),
// its variables (buffer members, then textures, UAVs and samplers) and its sampler list (by slot).
// Two variables of one name are an error.
bool BuildTables(const EffectSource& source, const Bindings& bindings, const std::vector<TranslatedStage>& stages,
                 EffectBlob& blob, Diagnostics& diagnostics);

// A stage's reflected inputs and outputs with the locations the GLSL is to give them. Only the
// lists marked placed were renumbered; the others keep the HLSL compiler's locations.
struct StageVaryings {
    std::vector<Varying> inputs, outputs;
    bool inputsPlaced = false, outputsPlaced = false;
};

// AssignVaryings: takes the stages; gives each its varyings (by entry): the vertex outputs and pixel
// inputs numbered by semantic, so that each meets its counterpart, and the pixel outputs at their
// render targets.
bool AssignVaryings(const std::vector<StageEntry>& entries, const std::vector<TranslatedStage>& stages,
                    std::vector<StageVaryings>& out, Diagnostics& diagnostics);

// CheckPixelUavRegisters: a pixel shader's writable textures share Direct3D's output slots with its
// render targets, so one given a register at or below a target the shader writes is refused.
bool CheckPixelUavRegisters(const EffectSource& source, const StageEntry& entry, const StageBindings& bindings,
                            const StageVaryings& varyings, Diagnostics& diagnostics);

// EmitStage: takes one stage with its bindings and varyings; gives its shader, the GLSL and the
// stage's bindings and vertex inputs in a stage blob.
bool EmitStage(const StageEntry& entry, const StageReflection& reflection, const StageBindings& bindings,
               const StageVaryings& varyings, EffectShader& out, Diagnostics& diagnostics);

// Initializers: takes the source and the blob's tables; writes the variables' initial values into
// their buffers' initial data.
bool Initializers(const EffectSource& source, EffectBlob& blob, Diagnostics& diagnostics);
