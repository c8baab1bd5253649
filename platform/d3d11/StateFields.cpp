#include "platform/d3d11/StateFields.h"

#include <algorithm>

namespace d3dgl {

namespace {

constexpr ValueName kBool[] = {{"FALSE", 0}, {"TRUE", 1}};
constexpr ValueName kFill[] = {{"WIREFRAME", 2}, {"SOLID", 3}};
constexpr ValueName kCull[] = {{"NONE", 1}, {"FRONT", 2}, {"BACK", 3}};
constexpr ValueName kDepthWriteMask[] = {{"ZERO", 0}, {"ALL", 1}};
constexpr ValueName kComparison[] = {{"NEVER", 1},   {"LESS", 2},      {"EQUAL", 3},         {"LESS_EQUAL", 4},
                                     {"GREATER", 5}, {"NOT_EQUAL", 6}, {"GREATER_EQUAL", 7}, {"ALWAYS", 8}};
constexpr ValueName kStencilOp[] = {{"KEEP", 1},     {"ZERO", 2},   {"REPLACE", 3}, {"INCR_SAT", 4},
                                    {"DECR_SAT", 5}, {"INVERT", 6}, {"INCR", 7},    {"DECR", 8}};
constexpr ValueName kBlend[] = {{"ZERO", 1},
                                {"ONE", 2},
                                {"SRC_COLOR", 3},
                                {"INV_SRC_COLOR", 4},
                                {"SRC_ALPHA", 5},
                                {"INV_SRC_ALPHA", 6},
                                {"DEST_ALPHA", 7},
                                {"INV_DEST_ALPHA", 8},
                                {"DEST_COLOR", 9},
                                {"INV_DEST_COLOR", 10},
                                {"SRC_ALPHA_SAT", 11},
                                {"BLEND_FACTOR", 14},
                                {"INV_BLEND_FACTOR", 15},
                                {"SRC1_COLOR", 16},
                                {"INV_SRC1_COLOR", 17},
                                {"SRC1_ALPHA", 18},
                                {"INV_SRC1_ALPHA", 19}};
constexpr ValueName kBlendOp[] = {{"ADD", 1}, {"SUBTRACT", 2}, {"REV_SUBTRACT", 3}, {"MIN", 4}, {"MAX", 5}};
constexpr ValueName kAddress[] = {{"WRAP", 1}, {"MIRROR", 2}, {"CLAMP", 3}, {"BORDER", 4}, {"MIRROR_ONCE", 5}};
// Direct3D 11's filters: the point/linear combinations and anisotropic, each also with the comparison.
constexpr ValueName kFilter[] = {{"MIN_MAG_MIP_POINT", 0x00},
                                 {"MIN_MAG_POINT_MIP_LINEAR", 0x01},
                                 {"MIN_POINT_MAG_LINEAR_MIP_POINT", 0x04},
                                 {"MIN_POINT_MAG_MIP_LINEAR", 0x05},
                                 {"MIN_LINEAR_MAG_MIP_POINT", 0x10},
                                 {"MIN_LINEAR_MAG_POINT_MIP_LINEAR", 0x11},
                                 {"MIN_MAG_LINEAR_MIP_POINT", 0x14},
                                 {"MIN_MAG_MIP_LINEAR", 0x15},
                                 {"ANISOTROPIC", 0x55},
                                 {"COMPARISON_MIN_MAG_MIP_POINT", 0x80},
                                 {"COMPARISON_MIN_MAG_POINT_MIP_LINEAR", 0x81},
                                 {"COMPARISON_MIN_POINT_MAG_LINEAR_MIP_POINT", 0x84},
                                 {"COMPARISON_MIN_POINT_MAG_MIP_LINEAR", 0x85},
                                 {"COMPARISON_MIN_LINEAR_MAG_MIP_POINT", 0x90},
                                 {"COMPARISON_MIN_LINEAR_MAG_POINT_MIP_LINEAR", 0x91},
                                 {"COMPARISON_MIN_MAG_LINEAR_MIP_POINT", 0x94},
                                 {"COMPARISON_MIN_MAG_MIP_LINEAR", 0x95},
                                 {"COMPARISON_ANISOTROPIC", 0xD5}};

}  // namespace

std::span<const ValueName> ValueNames(FieldDomain domain)
{
    switch (domain) {
    case FieldDomain::Bool: return kBool;
    case FieldDomain::FillMode: return kFill;
    case FieldDomain::CullMode: return kCull;
    case FieldDomain::DepthWriteMask: return kDepthWriteMask;
    case FieldDomain::Comparison: return kComparison;
    case FieldDomain::StencilOp: return kStencilOp;
    case FieldDomain::Blend: return kBlend;
    case FieldDomain::BlendOp: return kBlendOp;
    case FieldDomain::Filter: return kFilter;
    case FieldDomain::Address: return kAddress;
    default: return {};
    }
}

bool InDomain(FieldDomain domain, std::uint32_t value)
{
    switch (domain) {
    case FieldDomain::ColorMask: return value <= 0xF;
    case FieldDomain::Byte: return value <= 0xFF;
    case FieldDomain::Anisotropy: return value <= 16;
    case FieldDomain::Int:
    case FieldDomain::Float:
    case FieldDomain::Float4: return true;
    default: {
        const std::span<const ValueName> names = ValueNames(domain);
        return std::any_of(names.begin(), names.end(), [&](const ValueName& v) { return v.value == value; });
    }
    }
}

}  // namespace d3dgl
