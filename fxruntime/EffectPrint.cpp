#include "fxruntime/EffectPrint.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <type_traits>

namespace {

const char* StageName(StageKind s)
{
    switch (s) {
    case StageKind::Vertex: return "vertex";
    case StageKind::Pixel: return "pixel";
    case StageKind::Compute: return "compute";
    case StageKind::Hull: return "hull";
    case StageKind::Domain: return "domain";
    case StageKind::Geometry: return "geometry";
    }
    return "?";
}

const char* ImageFormatName(StageImageFormat f)
{
    switch (f) {
    case StageImageFormat::Rgba32f: return "rgba32f";
    case StageImageFormat::Rgba8: return "rgba8";
    case StageImageFormat::R32f: return "r32f";
    case StageImageFormat::R32ui: return "r32ui";
    case StageImageFormat::Rgba16f: return "rgba16f";
    case StageImageFormat::R32i: return "r32i";
    case StageImageFormat::Unspecified: return "written-only";
    }
    return "?";
}

std::string Float(float f)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(f));
    return buf;
}

std::string Hex(std::uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

template <typename T>
std::string StateName(std::int32_t index, const std::vector<T>& states)
{
    if (index == kEffectStateUnset) {
        return "unset";
    }
    if (index == kEffectStateDefault) {
        return "NULL";
    }
    return states[static_cast<std::size_t>(index)].name;
}

const char* DimensionName(StageTextureDimension d)
{
    switch (d) {
    case StageTextureDimension::Texture2D: return "2d";
    case StageTextureDimension::TextureCube: return "cube";
    case StageTextureDimension::Texture2DArray: return "2darray";
    case StageTextureDimension::Texture3D: return "3d";
    }
    return "?";
}

const char* TextureTypeName(StageTextureDimension d)
{
    switch (d) {
    case StageTextureDimension::Texture2D: return "Texture2D";
    case StageTextureDimension::TextureCube: return "TextureCube";
    case StageTextureDimension::Texture2DArray: return "Texture2DArray";
    case StageTextureDimension::Texture3D: return "Texture3D";
    }
    return "?";
}

std::string TypeName(const EffectVariable& v)
{
    static const char* kBase[] = {"float", "int", "uint", "bool", "struct"};
    std::ostringstream t;
    t << kBase[static_cast<int>(v.baseType)];
    if (v.baseType != EffectBaseType::Struct) {
        if (v.matrix) {
            t << v.rows << "x" << v.columns;
        } else if (v.columns > 1) {
            t << v.columns;
        }
    }
    if (v.elements > 0) {
        t << "[" << v.elements << "]";
    }
    return t.str();
}

// Each technique's passes: their shaders by index and their states by name.
void PrintTechniques(std::ostream& o, const EffectBlob& blob)
{
    o << "techniques " << blob.techniques.size() << "\n";
    for (const EffectTechnique& t : blob.techniques) {
        o << "  technique " << t.name << "\n";
        for (const EffectPass& p : t.passes) {
            o << "    pass " << (p.name.empty() ? "(unnamed)" : p.name) << ":";
            for (std::size_t k = 0; k < kEffectStageCount; ++k) {
                if (p.shaders[k] >= 0) {
                    o << " " << StageName(static_cast<StageKind>(k)) << "=" << p.shaders[k];
                }
            }
            o << " rasterizer=" << StateName(p.rasterizerState, blob.rasterizerStates);
            o << " depthstencil=" << StateName(p.depthStencilState, blob.depthStencilStates);
            if (p.depthStencilState != kEffectStateUnset) {
                o << " ref=" << p.stencilRef;
            }
            o << " blend=" << StateName(p.blendState, blob.blendStates);
            if (p.blendState != kEffectStateUnset) {
                o << " factor=(" << Float(p.blendFactor[0]) << "," << Float(p.blendFactor[1]) << ","
                  << Float(p.blendFactor[2]) << "," << Float(p.blendFactor[3]) << ") mask=" << Hex(p.sampleMask);
            }
            o << "\n";
        }
    }
}

// Each shader's stage blob: inputs, buffers, textures and images, and its GLSL when asked for.
void PrintShaders(std::ostream& o, const EffectBlob& blob, const EffectPrintOptions& options)
{
    o << "shaders " << blob.shaders.size() << "\n";
    for (std::size_t i = 0; i < blob.shaders.size(); ++i) {
        const EffectShader& s = blob.shaders[i];
        o << "  [" << i << "] " << StageName(s.stage) << " " << s.entry << "\n";
        const StageBlob& stage = s.parsed;
        static const char* kComponent[] = {"float", "int", "uint"};
        for (const StageInput& in : stage.inputs) {
            o << "    input " << in.semanticName << in.semanticIndex << " location " << in.location << " "
              << kComponent[static_cast<int>(in.componentType)] << in.componentCount << "\n";
        }
        for (const StageConstantBuffer& b : stage.constantBuffers) {
            o << "    cbuffer " << b.name << " slot " << b.binding << " size " << b.byteSize << "\n";
        }
        for (const StageTexture& t : stage.textures) {
            o << "    texture unit " << t.unit << " slot " << t.slot << " " << DimensionName(t.dimension);
            if (t.samplerSlot == kStageNoSampler) {
                o << " no sampler\n";
            } else {
                o << " sampler " << t.samplerSlot << "\n";
            }
        }
        for (const StageImage& img : stage.images) {
            o << "    image " << img.name << " unit " << img.unit << " " << ImageFormatName(img.format) << "\n";
        }
        if (options.glsl) {
            o << stage.glsl << "\n";
        }
    }
}

// The constant buffers and the variables with their places in them (or their slots).
void PrintBuffersAndVariables(std::ostream& o, const EffectBlob& blob)
{
    o << "constant buffers " << blob.constantBuffers.size() << "\n";
    for (const EffectConstantBuffer& b : blob.constantBuffers) {
        o << "  " << b.name << " slot " << b.slot << " size " << b.initialData.size();
        bool nonZero = false;
        for (std::uint8_t byte : b.initialData) {
            nonZero = nonZero || byte != 0;
        }
        o << (nonZero ? " (initialized)" : "");
        // The shaders read a std140 copy when Direct3D's offsets cannot be declared in GLSL.
        if (!b.runs.empty()) {
            o << " glsl-copy " << b.gpuSize << " in " << b.runs.size() << " runs";
        }
        o << "\n";
    }
    o << "variables " << blob.variables.size() << "\n";
    for (const EffectVariable& v : blob.variables) {
        o << "  " << v.name << " ";
        switch (v.kind) {
        case EffectVariableKind::Numeric:
            o << TypeName(v) << " buffer " << v.buffer << " offset " << v.offset << " size " << v.size;
            if (v.elements > 0) {
                o << " stride " << v.elementStride;
            }
            if (v.matrix) {
                o << (v.columnMajor ? " column_major" : " row_major");
            }
            break;
        case EffectVariableKind::Texture:
            o << TextureTypeName(v.dimension);
            if (v.elements > 0) {
                o << "[" << v.elements << "]";
            }
            o << " slot " << v.slot;
            break;
        case EffectVariableKind::Uav: o << "RWTexture2D " << ImageFormatName(v.format) << " slot " << v.slot; break;
        case EffectVariableKind::Sampler:
            o << "SamplerState";
            if (v.elements > 0) {
                o << "[" << v.elements << "]";
            }
            o << " slot " << v.slot;
            break;
        }
        o << "\n";
    }
}

// One field as "Name value": masks and filters in hex, a colour in parentheses.
template <typename Member>
void PrintField(std::ostream& o, const d3dgl::FieldInfo& f, const Member& member)
{
    o << " " << f.group << f.name << " ";
    if constexpr (std::is_array_v<Member>) {
        o << "(" << Float(member[0]) << "," << Float(member[1]) << "," << Float(member[2]) << "," << Float(member[3])
          << ")";
    } else if constexpr (std::is_floating_point_v<Member>) {
        o << Float(member);
    } else if (f.domain == d3dgl::FieldDomain::Filter || f.domain == d3dgl::FieldDomain::ColorMask ||
               f.domain == d3dgl::FieldDomain::Byte) {
        o << Hex(static_cast<std::uint32_t>(member));
    } else {
        o << static_cast<std::int64_t>(member);
    }
}

// The state objects field by field, in the order of the state field tables; each blend target on a
// line of its own, and one after the first that keeps the defaults left out.
template <typename State>
void PrintStateList(std::ostream& o, const char* title, const std::vector<State>& states)
{
    o << title << " " << states.size() << "\n";
    for (const State& state : states) {
        o << "  " << state.name;
        int target = -1;
        bool shown = true;
        d3dgl::VisitFields(state.desc, [&](const d3dgl::FieldInfo& f, const auto& member) {
            if constexpr (std::is_same_v<State, EffectBlendDesc>) {
                if (f.target != target) {
                    target = f.target;
                    static const D3D11_RENDER_TARGET_BLEND_DESC kDefaults =
                        d3dgl::DefaultDesc<D3D11_BLEND_DESC>().RenderTarget[0];
                    const auto& t = state.desc.RenderTarget[target];
                    shown = target == 0 || std::memcmp(&t, &kDefaults, sizeof t) != 0;
                    if (shown) {
                        o << "\n    target " << target << ":";
                    }
                }
            }
            if (shown) {
                PrintField(o, f, member);
            }
        });
        o << "\n";
    }
}

void PrintStates(std::ostream& o, const EffectBlob& blob)
{
    PrintStateList(o, "samplers", blob.samplers);
    PrintStateList(o, "rasterizer states", blob.rasterizerStates);
    PrintStateList(o, "depth-stencil states", blob.depthStencilStates);
    PrintStateList(o, "blend states", blob.blendStates);
}

}  // namespace

std::string PrintEffect(const EffectBlob& blob, const EffectPrintOptions& options)
{
    std::ostringstream o;
    PrintTechniques(o, blob);
    PrintShaders(o, blob, options);
    PrintBuffersAndVariables(o, blob);
    PrintStates(o, blob);
    return o.str();
}
