// State objects: validated, translated to their GL records once, and shared by description.
#include <string>
#include <type_traits>

#include "platform/d3d11/Checks.h"
#include "platform/d3d11/DeviceObjects.h"
#include "platform/d3d11/StateFields.h"

namespace d3dgl {

namespace {

// The description's fields as a registry key: equal descriptions share one object. A BOOL counts
// as true or false, whatever non-zero value it has.
template <typename Desc>
std::string KeyOf(const Desc& desc)
{
    std::string key;
    const auto add = [&](const auto& value) { key.append(reinterpret_cast<const char*>(&value), sizeof value); };
    VisitFields(desc, [&](const FieldInfo& f, const auto& member) {
        if constexpr (std::is_array_v<std::remove_cvref_t<decltype(member)>>) {
            for (const auto& element : member) {
                add(element);
            }
        } else if (f.domain == FieldDomain::Bool) {
            add(member != 0);
        } else {
            add(member);
        }
    });
    return key;
}

// Returns the existing object for an equal description, AddRef'ed; else makes one from the record
// and lets `finish` add what it needs (the GL sampler).
template <typename Impl, typename Interface, typename Desc, typename Record, typename Finish>
HRESULT Share(const std::shared_ptr<DeviceCore>& core, std::map<std::string, IUnknown*>& registry,
              const std::string& key, const Desc& desc, const Record& record, Interface** out, Finish finish)
{
    if (auto found = registry.find(key); found != registry.end()) {
        if (out == nullptr) {
            return S_FALSE;
        }
        found->second->AddRef();
        *out = static_cast<Interface*>(static_cast<Impl*>(found->second));
        return S_OK;
    }
    auto* state = new Impl(core, desc, record, &registry, key);
    finish(*state);
    registry.emplace(key, static_cast<IUnknown*>(state));
    return Hand<Interface>(state, out);
}

template <typename Impl, typename Interface, typename Desc, typename Record>
HRESULT Share(const std::shared_ptr<DeviceCore>& core, std::map<std::string, IUnknown*>& registry,
              const std::string& key, const Desc& desc, const Record& record, Interface** out)
{
    return Share<Impl>(core, registry, key, desc, record, out, [](Impl&) {});
}

}  // namespace

template <typename Interface, typename Desc, typename Record>
StateImpl<Interface, Desc, Record>::~StateImpl()
{
    registry->erase(key);
    if (sampler != 0 && this->Core().MakeCurrent()) {
        this->Core().gl.ForgetSampler(sampler);
        glDeleteSamplers(1, &sampler);
    }
}
template class StateImpl<ID3D11RasterizerState, D3D11_RASTERIZER_DESC, RasterizerGl>;
template class StateImpl<ID3D11BlendState, D3D11_BLEND_DESC, BlendGl>;
template class StateImpl<ID3D11DepthStencilState, D3D11_DEPTH_STENCIL_DESC, DepthStencilGl>;
template class StateImpl<ID3D11SamplerState, D3D11_SAMPLER_DESC, SamplerGl>;

HRESULT DeviceImpl::CreateRasterizerState(const D3D11_RASTERIZER_DESC* d, ID3D11RasterizerState** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    if (Verdict broken = CheckRasterizer(d)) {
        return Refuse(*broken);
    }
    return Share<RasterizerStateImpl>(core, core->rasterizerStates, KeyOf(*d), *d, TranslateRasterizer(*d), out);
}

HRESULT DeviceImpl::CreateBlendState(const D3D11_BLEND_DESC* d, ID3D11BlendState** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    if (Verdict broken = CheckBlend(d)) {
        return Refuse(*broken);
    }
    return Share<BlendStateImpl>(core, core->blendStates, KeyOf(*d), *d, TranslateBlend(*d), out);
}

HRESULT DeviceImpl::CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* d, ID3D11DepthStencilState** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    if (Verdict broken = CheckDepthStencil(d)) {
        return Refuse(*broken);
    }
    return Share<DepthStencilStateImpl>(core, core->depthStates, KeyOf(*d), *d, TranslateDepthStencil(*d), out);
}

HRESULT DeviceImpl::CreateSamplerState(const D3D11_SAMPLER_DESC* d, ID3D11SamplerState** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    if (Verdict broken = CheckSampler(d)) {
        return Refuse(*broken);
    }
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    const SamplerGl record = TranslateSampler(*d, core->Caps().anisotropicFiltering);
    return Share<SamplerStateImpl>(core, core->samplerStates, KeyOf(*d), *d, record, out, [](SamplerStateImpl& s) {
        const SamplerGl& gl = s.gl;
        glCreateSamplers(1, &s.sampler);
        glSamplerParameteri(s.sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(gl.minFilter));
        glSamplerParameteri(s.sampler, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(gl.magFilter));
        glSamplerParameteri(s.sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(gl.wrap[0]));
        glSamplerParameteri(s.sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(gl.wrap[1]));
        glSamplerParameteri(s.sampler, GL_TEXTURE_WRAP_R, static_cast<GLint>(gl.wrap[2]));
        glSamplerParameterf(s.sampler, GL_TEXTURE_LOD_BIAS, gl.lodBias);
        glSamplerParameterf(s.sampler, GL_TEXTURE_MIN_LOD, gl.minLod);
        glSamplerParameterf(s.sampler, GL_TEXTURE_MAX_LOD, gl.maxLod);
        glSamplerParameterfv(s.sampler, GL_TEXTURE_BORDER_COLOR, gl.borderColor.data());
        if (gl.maxAnisotropy > 1.0f) {
            glSamplerParameterf(s.sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, gl.maxAnisotropy);
        }
        if (gl.comparison) {
            glSamplerParameteri(s.sampler, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
            glSamplerParameteri(s.sampler, GL_TEXTURE_COMPARE_FUNC, static_cast<GLint>(gl.compareFunction));
        }
    });
}

}  // namespace d3dgl
