#include "fxruntime/EffectStateFields.h"

#include <cstdint>
#include <vector>

namespace {

struct EnumName {
    const char* name;
    std::uint32_t value;
};

constexpr EnumName kBool[] = {{"FALSE", 0}, {"TRUE", 1}};
constexpr EnumName kFill[] = {{"WIREFRAME", 2}, {"SOLID", 3}};
constexpr EnumName kCull[] = {{"NONE", 1}, {"FRONT", 2}, {"BACK", 3}};
constexpr EnumName kWriteMask[] = {{"ZERO", 0}, {"ALL", 1}};
constexpr EnumName kComparison[] = {{"NEVER", 1},   {"LESS", 2},      {"EQUAL", 3},         {"LESS_EQUAL", 4},
                                    {"GREATER", 5}, {"NOT_EQUAL", 6}, {"GREATER_EQUAL", 7}, {"ALWAYS", 8}};
constexpr EnumName kStencilOp[] = {{"KEEP", 1},     {"ZERO", 2},   {"REPLACE", 3}, {"INCR_SAT", 4},
                                   {"DECR_SAT", 5}, {"INVERT", 6}, {"INCR", 7},    {"DECR", 8}};
constexpr EnumName kBlend[] = {{"ZERO", 1},
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
constexpr EnumName kBlendOp[] = {{"ADD", 1}, {"SUBTRACT", 2}, {"REV_SUBTRACT", 3}, {"MIN", 4}, {"MAX", 5}};
constexpr EnumName kAddress[] = {{"WRAP", 1}, {"MIRROR", 2}, {"CLAMP", 3}, {"BORDER", 4}, {"MIRROR_ONCE", 5}};
constexpr EnumName kFilter[] = {{"MIN_MAG_MIP_POINT", 0x00},
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

template <std::size_t N>
bool LookupEnum(const EnumName (&table)[N], const std::string& name, std::uint32_t& value)
{
    for (const EnumName& e : table) {
        if (SameNoCase(name, e.name)) {
            value = e.value;
            return true;
        }
    }
    return false;
}

template <std::size_t N>
bool EnumValue(const EffectTokens& t, const EnumName (&table)[N], std::size_t v, std::size_t end, std::uint32_t& out)
{
    if (end != v + 1) {
        return false;
    }
    if (LookupEnum(table, t.Text(v), out)) {
        return true;
    }
    double d = 0;
    if (!ParseNumber(t.Text(v), d) || d < 0 || d > 0xFFFFFFFFu) {
        return false;
    }
    out = static_cast<std::uint32_t>(d);
    return true;
}
bool BoolValue(const EffectTokens& t, std::size_t v, std::size_t end, bool& out)
{
    std::uint32_t u = 0;
    if (!EnumValue(t, kBool, v, end, u) || u > 1) {
        return false;
    }
    out = u == 1;
    return true;
}

}  // namespace

bool ReadSamplerField(const EffectTokens& t, EffectSamplerDesc& d, const std::string& field, std::size_t v,
                      std::size_t end)
{
    const std::string f = Upper(field);
    if (f == "FILTER") {
        return EnumValue(t, kFilter, v, end, d.filter);
    }
    if (f == "ADDRESSU") {
        return EnumValue(t, kAddress, v, end, d.addressU);
    }
    if (f == "ADDRESSV") {
        return EnumValue(t, kAddress, v, end, d.addressV);
    }
    if (f == "ADDRESSW") {
        return EnumValue(t, kAddress, v, end, d.addressW);
    }
    if (f == "MIPLODBIAS") {
        return t.FloatValue(v, end, d.mipLODBias);
    }
    if (f == "MAXANISOTROPY") {
        return EnumValue(t, kBool, v, end, d.maxAnisotropy) && d.maxAnisotropy <= 16;
    }
    if (f == "COMPARISONFUNC") {
        return EnumValue(t, kComparison, v, end, d.comparisonFunc);
    }
    if (f == "BORDERCOLOR") {
        return t.Float4Value(v, end, d.borderColor);
    }
    if (f == "MINLOD") {
        return t.FloatValue(v, end, d.minLOD);
    }
    if (f == "MAXLOD") {
        return t.FloatValue(v, end, d.maxLOD);
    }
    return false;
}

bool ReadRasterizerField(const EffectTokens& t, EffectRasterizerDesc& d, const std::string& field, std::size_t v,
                         std::size_t end)
{
    const std::string f = Upper(field);
    if (f == "FILLMODE") {
        return EnumValue(t, kFill, v, end, d.fillMode);
    }
    if (f == "CULLMODE") {
        return EnumValue(t, kCull, v, end, d.cullMode);
    }
    if (f == "FRONTCOUNTERCLOCKWISE") {
        return BoolValue(t, v, end, d.frontCounterClockwise);
    }
    if (f == "DEPTHBIAS") {
        float b = 0;
        // Out of the int range the conversion is undefined, so such a bias is refused.
        if (!t.FloatValue(v, end, b) || !(b >= -2147483648.0f && b < 2147483648.0f)) {
            return false;
        }
        d.depthBias = static_cast<std::int32_t>(b);
        return true;
    }
    if (f == "DEPTHBIASCLAMP") {
        return t.FloatValue(v, end, d.depthBiasClamp);
    }
    if (f == "SLOPESCALEDDEPTHBIAS") {
        return t.FloatValue(v, end, d.slopeScaledDepthBias);
    }
    if (f == "DEPTHCLIPENABLE") {
        return BoolValue(t, v, end, d.depthClipEnable);
    }
    if (f == "SCISSORENABLE") {
        return BoolValue(t, v, end, d.scissorEnable);
    }
    if (f == "MULTISAMPLEENABLE") {
        return BoolValue(t, v, end, d.multisampleEnable);
    }
    if (f == "ANTIALIASEDLINEENABLE") {
        return BoolValue(t, v, end, d.antialiasedLineEnable);
    }
    return false;
}

bool ReadDepthStencilField(const EffectTokens& t, EffectDepthStencilDesc& d, const std::string& field, std::size_t v,
                           std::size_t end)
{
    const std::string f = Upper(field);
    if (f == "DEPTHENABLE") {
        return BoolValue(t, v, end, d.depthEnable);
    }
    if (f == "DEPTHWRITEMASK") {
        return EnumValue(t, kWriteMask, v, end, d.depthWriteMask) && d.depthWriteMask <= 1;
    }
    if (f == "DEPTHFUNC") {
        return EnumValue(t, kComparison, v, end, d.depthFunc);
    }
    if (f == "STENCILENABLE") {
        return BoolValue(t, v, end, d.stencilEnable);
    }
    if (f == "STENCILREADMASK") {
        return EnumValue(t, kBool, v, end, d.stencilReadMask) && d.stencilReadMask <= 0xFF;
    }
    if (f == "STENCILWRITEMASK") {
        return EnumValue(t, kBool, v, end, d.stencilWriteMask) && d.stencilWriteMask <= 0xFF;
    }
    for (int face = 0; face < 2; ++face) {
        EffectStencilOpDesc& s = face == 0 ? d.frontFace : d.backFace;
        const std::string prefix = face == 0 ? "FRONTFACESTENCIL" : "BACKFACESTENCIL";
        if (f == prefix + "FAIL") {
            return EnumValue(t, kStencilOp, v, end, s.failOp);
        }
        if (f == prefix + "DEPTHFAIL") {
            return EnumValue(t, kStencilOp, v, end, s.depthFailOp);
        }
        if (f == prefix + "PASS") {
            return EnumValue(t, kStencilOp, v, end, s.passOp);
        }
        if (f == prefix + "FUNC") {
            return EnumValue(t, kComparison, v, end, s.func);
        }
    }
    return false;
}

bool ReadBlendField(const EffectTokens& t, EffectBlendDesc& d, bool& independentSet, const std::string& field,
                    int index, std::size_t v, std::size_t end)
{
    const std::string f = Upper(field);
    if (f == "ALPHATOCOVERAGEENABLE") {
        return BoolValue(t, v, end, d.alphaToCoverageEnable);
    }
    if (f == "INDEPENDENTBLENDENABLE") {
        independentSet = true;
        return BoolValue(t, v, end, d.independentBlendEnable);
    }
    EffectRenderTargetBlend& target = d.renderTarget[index];
    if (f == "BLENDENABLE") {
        return BoolValue(t, v, end, target.blendEnable);
    }
    if (f == "SRCBLEND") {
        return EnumValue(t, kBlend, v, end, target.srcBlend);
    }
    if (f == "DESTBLEND") {
        return EnumValue(t, kBlend, v, end, target.destBlend);
    }
    if (f == "BLENDOP") {
        return EnumValue(t, kBlendOp, v, end, target.blendOp);
    }
    if (f == "SRCBLENDALPHA") {
        return EnumValue(t, kBlend, v, end, target.srcBlendAlpha);
    }
    if (f == "DESTBLENDALPHA") {
        return EnumValue(t, kBlend, v, end, target.destBlendAlpha);
    }
    if (f == "BLENDOPALPHA") {
        return EnumValue(t, kBlendOp, v, end, target.blendOpAlpha);
    }
    if (f == "RENDERTARGETWRITEMASK") {
        return EnumValue(t, kBool, v, end, target.renderTargetWriteMask) && target.renderTargetWriteMask <= 0xF;
    }
    return false;
}
