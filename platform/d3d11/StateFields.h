#pragma once
// Every field of the four state descriptions (rasterizer, depth-stencil, blend, sampler), each written
// once below: its name (Direct3D's, which effect files use too), its domain and its default. The
// device's checks and registry keys, the effect compiler's state parser, the effect blob's writer,
// reader and printer, and the effect runtime are all made from these tables, by visiting the fields of
// a description with VisitFields.
#include <cfloat>
#include <cstdint>
#include <span>
#include <type_traits>

#include "platform/d3d11/D3D11.h"

namespace d3dgl {

// What values a field takes. Enumerated domains have their value names (ValueNames); the rest are
// numbers: masks and counts within their range, any INT, any float, four floats.
enum class FieldDomain {
    Bool,
    FillMode,
    CullMode,
    DepthWriteMask,
    Comparison,
    StencilOp,
    Blend,
    BlendOp,
    Filter,
    Address,
    ColorMask,   // 0 to 0xF
    Byte,        // 0 to 0xFF
    Anisotropy,  // 0 to 16
    Int,
    Float,
    Float4,
};

// A value of an enumerated domain as Direct3D's enumerator ends: "SOLID" for D3D11_FILL_SOLID.
struct ValueName {
    const char* name;
    std::uint32_t value;
};
// Empty for the numeric domains.
std::span<const ValueName> ValueNames(FieldDomain domain);
// Whether a value (of a domain other than Int, Float and Float4) is one the field can take.
bool InDomain(FieldDomain domain, std::uint32_t value);

// One field as a visitor sees it. A stencil face's fields are named within their face
// (group "FrontFace", name "StencilFail": "FrontFaceStencilFail" in effect files); a blend target's
// carry the target's index.
struct FieldInfo {
    const char* group;  // "" for fields of the description itself
    const char* name;
    FieldDomain domain;
    int target;  // the render target of a blend target's field, -1 otherwise
};

inline constexpr float kOpaqueWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

// FIELD(member, name, domain, default)
#define D3D11_RASTERIZER_FIELDS(FIELD)                                                                                 \
    FIELD(FillMode, "FillMode", FillMode, D3D11_FILL_SOLID)                                                            \
    FIELD(CullMode, "CullMode", CullMode, D3D11_CULL_BACK)                                                             \
    FIELD(FrontCounterClockwise, "FrontCounterClockwise", Bool, FALSE)                                                 \
    FIELD(DepthBias, "DepthBias", Int, 0)                                                                              \
    FIELD(DepthBiasClamp, "DepthBiasClamp", Float, 0.0f)                                                               \
    FIELD(SlopeScaledDepthBias, "SlopeScaledDepthBias", Float, 0.0f)                                                   \
    FIELD(DepthClipEnable, "DepthClipEnable", Bool, TRUE)                                                              \
    FIELD(ScissorEnable, "ScissorEnable", Bool, FALSE)                                                                 \
    FIELD(MultisampleEnable, "MultisampleEnable", Bool, FALSE)                                                         \
    FIELD(AntialiasedLineEnable, "AntialiasedLineEnable", Bool, FALSE)

#define D3D11_DEPTH_STENCIL_FIELDS(FIELD)                                                                              \
    FIELD(DepthEnable, "DepthEnable", Bool, TRUE)                                                                      \
    FIELD(DepthWriteMask, "DepthWriteMask", DepthWriteMask, D3D11_DEPTH_WRITE_MASK_ALL)                                \
    FIELD(DepthFunc, "DepthFunc", Comparison, D3D11_COMPARISON_LESS)                                                   \
    FIELD(StencilEnable, "StencilEnable", Bool, FALSE)                                                                 \
    FIELD(StencilReadMask, "StencilReadMask", Byte, 0xFF)                                                              \
    FIELD(StencilWriteMask, "StencilWriteMask", Byte, 0xFF)

// Of each of FrontFace and BackFace.
#define D3D11_STENCIL_FACE_FIELDS(FIELD)                                                                               \
    FIELD(StencilFailOp, "StencilFail", StencilOp, D3D11_STENCIL_OP_KEEP)                                              \
    FIELD(StencilDepthFailOp, "StencilDepthFail", StencilOp, D3D11_STENCIL_OP_KEEP)                                    \
    FIELD(StencilPassOp, "StencilPass", StencilOp, D3D11_STENCIL_OP_KEEP)                                              \
    FIELD(StencilFunc, "StencilFunc", Comparison, D3D11_COMPARISON_ALWAYS)

#define D3D11_BLEND_FIELDS(FIELD)                                                                                      \
    FIELD(AlphaToCoverageEnable, "AlphaToCoverageEnable", Bool, FALSE)                                                 \
    FIELD(IndependentBlendEnable, "IndependentBlendEnable", Bool, FALSE)

// Of each of the eight RenderTarget entries.
#define D3D11_BLEND_TARGET_FIELDS(FIELD)                                                                               \
    FIELD(BlendEnable, "BlendEnable", Bool, FALSE)                                                                     \
    FIELD(SrcBlend, "SrcBlend", Blend, D3D11_BLEND_ONE)                                                                \
    FIELD(DestBlend, "DestBlend", Blend, D3D11_BLEND_ZERO)                                                             \
    FIELD(BlendOp, "BlendOp", BlendOp, D3D11_BLEND_OP_ADD)                                                             \
    FIELD(SrcBlendAlpha, "SrcBlendAlpha", Blend, D3D11_BLEND_ONE)                                                      \
    FIELD(DestBlendAlpha, "DestBlendAlpha", Blend, D3D11_BLEND_ZERO)                                                   \
    FIELD(BlendOpAlpha, "BlendOpAlpha", BlendOp, D3D11_BLEND_OP_ADD)                                                   \
    FIELD(RenderTargetWriteMask, "RenderTargetWriteMask", ColorMask, 0xF)

#define D3D11_SAMPLER_FIELDS(FIELD)                                                                                    \
    FIELD(Filter, "Filter", Filter, D3D11_FILTER_MIN_MAG_MIP_LINEAR)                                                   \
    FIELD(AddressU, "AddressU", Address, D3D11_TEXTURE_ADDRESS_CLAMP)                                                  \
    FIELD(AddressV, "AddressV", Address, D3D11_TEXTURE_ADDRESS_CLAMP)                                                  \
    FIELD(AddressW, "AddressW", Address, D3D11_TEXTURE_ADDRESS_CLAMP)                                                  \
    FIELD(MipLODBias, "MipLODBias", Float, 0.0f)                                                                       \
    FIELD(MaxAnisotropy, "MaxAnisotropy", Anisotropy, 1)                                                               \
    FIELD(ComparisonFunc, "ComparisonFunc", Comparison, D3D11_COMPARISON_NEVER)                                        \
    FIELD(BorderColor, "BorderColor", Float4, kOpaqueWhite)                                                            \
    FIELD(MinLOD, "MinLOD", Float, -FLT_MAX)                                                                           \
    FIELD(MaxLOD, "MaxLOD", Float, FLT_MAX)

namespace state_fields {

template <typename Member, typename Value>
void Assign(Member& member, const Value& value)
{
    member = static_cast<Member>(value);
}
inline void Assign(float (&member)[4], const float (&value)[4])
{
    for (int i = 0; i < 4; ++i) {
        member[i] = value[i];
    }
}

}  // namespace state_fields

// The callbacks below expand a field table with `object` (the description, or its face or target),
// `group` and `target` in scope.
#define D3D11_VISIT_FIELD(member, name, domain, value)                                                                 \
    visit(FieldInfo{group, name, FieldDomain::domain, target}, object.member);
#define D3D11_DEFAULT_FIELD(member, name, domain, value) state_fields::Assign(object.member, value);

// Calls visit(FieldInfo, member) for every field of the description, in the order Direct3D declares
// them; the member is const when the description is.
template <typename Desc, typename Visit>
void VisitFields(Desc& d, Visit&& visit)
{
    using Plain = std::remove_const_t<Desc>;
    const char* group = "";
    int target = -1;
    if constexpr (std::is_same_v<Plain, D3D11_RASTERIZER_DESC>) {
        auto& object = d;
        D3D11_RASTERIZER_FIELDS(D3D11_VISIT_FIELD)
    } else if constexpr (std::is_same_v<Plain, D3D11_DEPTH_STENCIL_DESC>) {
        {
            auto& object = d;
            D3D11_DEPTH_STENCIL_FIELDS(D3D11_VISIT_FIELD)
        }
        for (auto* face : {&d.FrontFace, &d.BackFace}) {
            auto& object = *face;
            group = face == &d.FrontFace ? "FrontFace" : "BackFace";
            D3D11_STENCIL_FACE_FIELDS(D3D11_VISIT_FIELD)
        }
    } else if constexpr (std::is_same_v<Plain, D3D11_BLEND_DESC>) {
        {
            auto& object = d;
            D3D11_BLEND_FIELDS(D3D11_VISIT_FIELD)
        }
        for (target = 0; target < 8; ++target) {
            auto& object = d.RenderTarget[target];
            D3D11_BLEND_TARGET_FIELDS(D3D11_VISIT_FIELD)
        }
    } else {
        static_assert(std::is_same_v<Plain, D3D11_SAMPLER_DESC>, "a state description");
        auto& object = d;
        D3D11_SAMPLER_FIELDS(D3D11_VISIT_FIELD)
    }
}

// The descriptions with every field at its default: what a state block that sets nothing describes,
// and what Direct3D uses where no state object is bound.
template <typename Desc>
Desc DefaultDesc()
{
    Desc d{};
    if constexpr (std::is_same_v<Desc, D3D11_RASTERIZER_DESC>) {
        auto& object = d;
        D3D11_RASTERIZER_FIELDS(D3D11_DEFAULT_FIELD)
    } else if constexpr (std::is_same_v<Desc, D3D11_DEPTH_STENCIL_DESC>) {
        {
            auto& object = d;
            D3D11_DEPTH_STENCIL_FIELDS(D3D11_DEFAULT_FIELD)
        }
        for (D3D11_DEPTH_STENCILOP_DESC* face : {&d.FrontFace, &d.BackFace}) {
            auto& object = *face;
            D3D11_STENCIL_FACE_FIELDS(D3D11_DEFAULT_FIELD)
        }
    } else if constexpr (std::is_same_v<Desc, D3D11_BLEND_DESC>) {
        {
            auto& object = d;
            D3D11_BLEND_FIELDS(D3D11_DEFAULT_FIELD)
        }
        for (auto& object : d.RenderTarget) {
            D3D11_BLEND_TARGET_FIELDS(D3D11_DEFAULT_FIELD)
        }
    } else {
        static_assert(std::is_same_v<Desc, D3D11_SAMPLER_DESC>, "a state description");
        auto& object = d;
        D3D11_SAMPLER_FIELDS(D3D11_DEFAULT_FIELD)
    }
    return d;
}

#undef D3D11_VISIT_FIELD
#undef D3D11_DEFAULT_FIELD

}  // namespace d3dgl
