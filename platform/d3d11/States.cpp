// State objects: validated, translated to their GL records once, and shared by description.
#include <string>

#include "platform/d3d11/Checks.h"
#include "platform/d3d11/DeviceObjects.h"

namespace d3dgl {

namespace {

// The description's bytes that matter, as a registry key.
class KeyBuilder {
public:
    template <typename T>
    KeyBuilder& Add(T value)
    {
        key.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }
    std::string key;
};

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
    KeyBuilder k;
    k.Add(d->FillMode).Add(d->CullMode).Add(d->FrontCounterClockwise != 0).Add(d->DepthBias).Add(d->DepthBiasClamp);
    k.Add(d->SlopeScaledDepthBias).Add(d->DepthClipEnable != 0).Add(d->ScissorEnable != 0);
    k.Add(d->MultisampleEnable != 0).Add(d->AntialiasedLineEnable != 0);
    return Share<RasterizerStateImpl>(core, core->rasterizerStates, k.key, *d, TranslateRasterizer(*d), out);
}

HRESULT DeviceImpl::CreateBlendState(const D3D11_BLEND_DESC* d, ID3D11BlendState** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    if (Verdict broken = CheckBlend(d)) {
        return Refuse(*broken);
    }
    KeyBuilder k;
    k.Add(d->AlphaToCoverageEnable != 0).Add(d->IndependentBlendEnable != 0);
    for (const D3D11_RENDER_TARGET_BLEND_DESC& t : d->RenderTarget) {
        k.Add(t.BlendEnable != 0).Add(t.SrcBlend).Add(t.DestBlend).Add(t.BlendOp).Add(t.SrcBlendAlpha);
        k.Add(t.DestBlendAlpha).Add(t.BlendOpAlpha).Add(t.RenderTargetWriteMask);
    }
    return Share<BlendStateImpl>(core, core->blendStates, k.key, *d, TranslateBlend(*d), out);
}

HRESULT DeviceImpl::CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* d, ID3D11DepthStencilState** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    if (Verdict broken = CheckDepthStencil(d)) {
        return Refuse(*broken);
    }
    KeyBuilder k;
    k.Add(d->DepthEnable != 0).Add(d->DepthWriteMask).Add(d->DepthFunc).Add(d->StencilEnable != 0);
    k.Add(d->StencilReadMask).Add(d->StencilWriteMask);
    for (const D3D11_DEPTH_STENCILOP_DESC* f : {&d->FrontFace, &d->BackFace}) {
        k.Add(f->StencilFailOp).Add(f->StencilDepthFailOp).Add(f->StencilPassOp).Add(f->StencilFunc);
    }
    return Share<DepthStencilStateImpl>(core, core->depthStates, k.key, *d, TranslateDepthStencil(*d), out);
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
    KeyBuilder k;
    k.Add(d->Filter).Add(d->AddressU).Add(d->AddressV).Add(d->AddressW).Add(d->MipLODBias).Add(d->MaxAnisotropy);
    k.Add(d->ComparisonFunc).Add(d->BorderColor[0]).Add(d->BorderColor[1]).Add(d->BorderColor[2]);
    k.Add(d->BorderColor[3]).Add(d->MinLOD).Add(d->MaxLOD);
    const SamplerGl record = TranslateSampler(*d, core->Caps().anisotropicFiltering);
    return Share<SamplerStateImpl>(core, core->samplerStates, k.key, *d, record, out, [](SamplerStateImpl& s) {
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
