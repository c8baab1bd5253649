#include "fxruntime/EffectStateFields.h"

#include <cstdint>
#include <type_traits>

namespace {

using d3dgl::FieldDomain;

// A value name of the field's domain, or a number in its domain.
bool ReadWord(const EffectTokens& t, FieldDomain domain, std::size_t v, std::size_t end, std::uint32_t& out)
{
    if (end != v + 1) {
        return false;
    }
    for (const d3dgl::ValueName& name : d3dgl::ValueNames(domain)) {
        if (SameNoCase(t.Text(v), name.name)) {
            out = name.value;
            return true;
        }
    }
    double d = 0;
    if (!ParseNumber(t.Text(v), d) || d < 0 || d > 0xFFFFFFFFu ||
        !d3dgl::InDomain(domain, static_cast<std::uint32_t>(d))) {
        return false;
    }
    out = static_cast<std::uint32_t>(d);
    return true;
}

template <typename Member>
bool ReadValue(const EffectTokens& t, FieldDomain domain, std::size_t v, std::size_t end, Member& member)
{
    if constexpr (std::is_array_v<Member>) {
        return t.Float4Value(v, end, member);
    } else if constexpr (std::is_floating_point_v<Member>) {
        return t.FloatValue(v, end, member);
    } else {
        if (domain == FieldDomain::Int) {
            float b = 0;
            // Out of the int range the conversion is undefined, so such a value is refused.
            if (!t.FloatValue(v, end, b) || !(b >= -2147483648.0f && b < 2147483648.0f)) {
                return false;
            }
            member = static_cast<Member>(b);
            return true;
        }
        std::uint32_t word = 0;
        if (!ReadWord(t, domain, v, end, word)) {
            return false;
        }
        member = static_cast<Member>(word);
        return true;
    }
}

}  // namespace

template <typename Desc>
const void* ReadStateField(const EffectTokens& t, Desc& desc, const std::string& field, int index, std::size_t v,
                           std::size_t end)
{
    const std::string wanted = Upper(field);
    const void* set = nullptr;
    bool found = false;
    d3dgl::VisitFields(desc, [&](const d3dgl::FieldInfo& f, auto& member) {
        if (found || (f.target >= 0 && f.target != index)) {
            return;
        }
        std::string name = f.group;
        name.append(f.name);
        if (Upper(name) != wanted) {
            return;
        }
        found = true;
        if (ReadValue(t, f.domain, v, end, member)) {
            set = &member;
        }
    });
    return set;
}

template const void* ReadStateField(const EffectTokens&, D3D11_SAMPLER_DESC&, const std::string&, int, std::size_t,
                                    std::size_t);
template const void* ReadStateField(const EffectTokens&, D3D11_RASTERIZER_DESC&, const std::string&, int, std::size_t,
                                    std::size_t);
template const void* ReadStateField(const EffectTokens&, D3D11_DEPTH_STENCIL_DESC&, const std::string&, int,
                                    std::size_t, std::size_t);
template const void* ReadStateField(const EffectTokens&, D3D11_BLEND_DESC&, const std::string&, int, std::size_t,
                                    std::size_t);
