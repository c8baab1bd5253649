// State objects (deduplicated by description), input layouts and shader objects.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/d3d11/Internal.h"

namespace d3dgl {

namespace {

class KeyBuilder {
 public:
  template <typename T>
  KeyBuilder& Add(T v) {
    key.append(reinterpret_cast<const char*>(&v), sizeof v);
    return *this;
  }
  std::string key;
};

bool ValidBlend(UINT b) { return b >= D3D11_BLEND_ZERO && b <= 19 && b != 12 && b != 13; }
bool ValidBlendOp(UINT op) { return op >= D3D11_BLEND_OP_ADD && op <= D3D11_BLEND_OP_MAX; }
bool ValidCompare(UINT c) { return c >= D3D11_COMPARISON_NEVER && c <= D3D11_COMPARISON_ALWAYS; }
bool ValidStencilOp(UINT o) { return o >= D3D11_STENCIL_OP_KEEP && o <= D3D11_STENCIL_OP_DECR; }
bool ValidAddress(UINT a) { return a >= D3D11_TEXTURE_ADDRESS_WRAP && a <= D3D11_TEXTURE_ADDRESS_MIRROR_ONCE; }

// Returns the existing object for an equal description, AddRef'ed; else creates one with `make`.
template <typename Impl, typename Interface, typename Desc, typename Make>
HRESULT Deduplicate(const std::shared_ptr<DeviceCore>& core, std::map<std::string, IUnknown*>& registry,
                    const std::string& key, const Desc& desc, Interface** out, Make make) {
  auto it = registry.find(key);
  if (it != registry.end()) {
    if (out == nullptr) return S_FALSE;
    it->second->AddRef();
    *out = static_cast<Interface*>(static_cast<Impl*>(it->second));
    return S_OK;
  }
  auto* state = new Impl(core, desc, &registry, key);
  make(*state);
  registry.emplace(key, static_cast<IUnknown*>(state));
  return Hand<Interface>(state, out);
}

GLenum GlAddress(D3D11_TEXTURE_ADDRESS_MODE a) {
  switch (a) {
    case D3D11_TEXTURE_ADDRESS_WRAP: return GL_REPEAT;
    case D3D11_TEXTURE_ADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3D11_TEXTURE_ADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3D11_TEXTURE_ADDRESS_MIRROR_ONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_CLAMP_TO_EDGE;
  }
}

std::string Upper(const char* s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

const char* StageName(StageKind k) {
  switch (k) {
    case StageKind::Vertex: return "vertex";
    case StageKind::Pixel: return "pixel";
    case StageKind::Compute: return "compute";
    default: return "unsupported";
  }
}

}  // namespace

template <typename Interface, typename Desc>
StateImpl<Interface, Desc>::~StateImpl() {
  registry_->erase(key_);
  if (sampler != 0 && this->Core().MakeCurrent()) {
    this->Core().cache.ForgetSampler(sampler);
    glDeleteSamplers(1, &sampler);
  }
}
template class StateImpl<ID3D11RasterizerState, D3D11_RASTERIZER_DESC>;
template class StateImpl<ID3D11BlendState, D3D11_BLEND_DESC>;
template class StateImpl<ID3D11DepthStencilState, D3D11_DEPTH_STENCIL_DESC>;
template class StateImpl<ID3D11SamplerState, D3D11_SAMPLER_DESC>;

HRESULT DeviceImpl::CreateRasterizerState(const D3D11_RASTERIZER_DESC* d, ID3D11RasterizerState** out) {
  if (out != nullptr) *out = nullptr;
  if (d == nullptr || (d->FillMode != D3D11_FILL_SOLID && d->FillMode != D3D11_FILL_WIREFRAME) ||
      d->CullMode < D3D11_CULL_NONE || d->CullMode > D3D11_CULL_BACK)
    return E_INVALIDARG;
  KeyBuilder k;
  k.Add(d->FillMode).Add(d->CullMode).Add(d->FrontCounterClockwise != 0).Add(d->DepthBias).Add(d->DepthBiasClamp);
  k.Add(d->SlopeScaledDepthBias).Add(d->DepthClipEnable != 0).Add(d->ScissorEnable != 0);
  k.Add(d->MultisampleEnable != 0).Add(d->AntialiasedLineEnable != 0);
  return Deduplicate<RasterizerStateImpl>(core_, core_->rasterizerStates, k.key, *d, out, [](auto&) {});
}

HRESULT DeviceImpl::CreateBlendState(const D3D11_BLEND_DESC* d, ID3D11BlendState** out) {
  if (out != nullptr) *out = nullptr;
  if (d == nullptr) return E_INVALIDARG;
  KeyBuilder k;
  k.Add(d->AlphaToCoverageEnable != 0).Add(d->IndependentBlendEnable != 0);
  const int used = d->IndependentBlendEnable ? 8 : 1;
  for (int i = 0; i < 8; ++i) {
    const D3D11_RENDER_TARGET_BLEND_DESC& t = d->RenderTarget[i];
    if (i < used) {
      if (t.RenderTargetWriteMask > 0xF) return E_INVALIDARG;
      if (t.BlendEnable && (!ValidBlend(t.SrcBlend) || !ValidBlend(t.DestBlend) || !ValidBlend(t.SrcBlendAlpha) ||
                            !ValidBlend(t.DestBlendAlpha) || !ValidBlendOp(t.BlendOp) || !ValidBlendOp(t.BlendOpAlpha)))
        return E_INVALIDARG;
    }
    k.Add(t.BlendEnable != 0).Add(t.SrcBlend).Add(t.DestBlend).Add(t.BlendOp).Add(t.SrcBlendAlpha);
    k.Add(t.DestBlendAlpha).Add(t.BlendOpAlpha).Add(t.RenderTargetWriteMask);
  }
  return Deduplicate<BlendStateImpl>(core_, core_->blendStates, k.key, *d, out, [](auto&) {});
}

HRESULT DeviceImpl::CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* d, ID3D11DepthStencilState** out) {
  if (out != nullptr) *out = nullptr;
  if (d == nullptr || d->DepthWriteMask > D3D11_DEPTH_WRITE_MASK_ALL) return E_INVALIDARG;
  if (d->DepthEnable && !ValidCompare(d->DepthFunc)) return E_INVALIDARG;
  if (d->StencilEnable)
    for (const D3D11_DEPTH_STENCILOP_DESC* f : {&d->FrontFace, &d->BackFace})
      if (!ValidStencilOp(f->StencilFailOp) || !ValidStencilOp(f->StencilDepthFailOp) ||
          !ValidStencilOp(f->StencilPassOp) || !ValidCompare(f->StencilFunc))
        return E_INVALIDARG;
  KeyBuilder k;
  k.Add(d->DepthEnable != 0).Add(d->DepthWriteMask).Add(d->DepthFunc).Add(d->StencilEnable != 0);
  k.Add(d->StencilReadMask).Add(d->StencilWriteMask);
  for (const D3D11_DEPTH_STENCILOP_DESC* f : {&d->FrontFace, &d->BackFace})
    k.Add(f->StencilFailOp).Add(f->StencilDepthFailOp).Add(f->StencilPassOp).Add(f->StencilFunc);
  return Deduplicate<DepthStencilStateImpl>(core_, core_->depthStates, k.key, *d, out, [](auto&) {});
}

HRESULT DeviceImpl::CreateSamplerState(const D3D11_SAMPLER_DESC* d, ID3D11SamplerState** out) {
  if (out != nullptr) *out = nullptr;
  if (d == nullptr || (d->Filter & ~0xD5u) != 0 || !ValidAddress(d->AddressU) || !ValidAddress(d->AddressV) ||
      !ValidAddress(d->AddressW) || d->MaxAnisotropy > 16 || !(d->MinLOD <= d->MaxLOD))
    return E_INVALIDARG;
  const bool comparison = (d->Filter & 0x80) != 0;
  const bool anisotropic = (d->Filter & 0x40) != 0;
  if ((comparison && !ValidCompare(d->ComparisonFunc)) || (anisotropic && d->MaxAnisotropy < 1)) return E_INVALIDARG;
  if (!core_->MakeCurrent()) return DXGI_ERROR_DEVICE_REMOVED;
  KeyBuilder k;
  k.Add(d->Filter).Add(d->AddressU).Add(d->AddressV).Add(d->AddressW).Add(d->MipLODBias).Add(d->MaxAnisotropy);
  k.Add(d->ComparisonFunc).Add(d->BorderColor[0]).Add(d->BorderColor[1]).Add(d->BorderColor[2]);
  k.Add(d->BorderColor[3]).Add(d->MinLOD).Add(d->MaxLOD);
  const bool glAnisotropy = anisotropic && core_->caps.anisotropicFiltering;
  return Deduplicate<SamplerStateImpl>(core_, core_->samplerStates, k.key, *d, out, [d, anisotropic, glAnisotropy, comparison](SamplerStateImpl& s) {
    glCreateSamplers(1, &s.sampler);
    const bool minLinear = (d->Filter & 0x10) != 0 || anisotropic;
    const bool magLinear = (d->Filter & 0x04) != 0 || anisotropic;
    const bool mipLinear = (d->Filter & 0x01) != 0 || anisotropic;
    const GLenum minFilter = minLinear ? (mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                                       : (mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
    glSamplerParameteri(s.sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glSamplerParameteri(s.sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(s.sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(GlAddress(d->AddressU)));
    glSamplerParameteri(s.sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(GlAddress(d->AddressV)));
    glSamplerParameteri(s.sampler, GL_TEXTURE_WRAP_R, static_cast<GLint>(GlAddress(d->AddressW)));
    glSamplerParameterf(s.sampler, GL_TEXTURE_LOD_BIAS, d->MipLODBias);
    glSamplerParameterf(s.sampler, GL_TEXTURE_MIN_LOD, d->MinLOD);
    glSamplerParameterf(s.sampler, GL_TEXTURE_MAX_LOD, d->MaxLOD);
    glSamplerParameterfv(s.sampler, GL_TEXTURE_BORDER_COLOR, d->BorderColor);
    if (glAnisotropy)
      glSamplerParameterf(s.sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, static_cast<float>(d->MaxAnisotropy));
    if (comparison) {
      glSamplerParameteri(s.sampler, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
      glSamplerParameteri(s.sampler, GL_TEXTURE_COMPARE_FUNC, static_cast<GLint>(GL_NEVER + (d->ComparisonFunc - 1)));
    }
  });
}

InputLayoutImpl::~InputLayoutImpl() {
  if (Core().MakeCurrent()) {
    Core().cache.ForgetVertexArray(vao);
    glDeleteVertexArrays(1, &vao);
  }
}

HRESULT DeviceImpl::CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature,
                                      SIZE_T length, ID3D11InputLayout** out) {
  if (out != nullptr) *out = nullptr;
  std::vector<StageInput> inputs;
  if ((elements == nullptr && count != 0) || count > D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT ||
      !ParseAnyInputSignature(signature, length, inputs)) {
    LogError("CreateInputLayout: no element list or no valid input signature");
    return E_INVALIDARG;
  }
  // Resolve absolute offsets (append-aligned elements follow the previous one in their slot).
  struct Resolved {
    const D3D11_INPUT_ELEMENT_DESC* element;
    const FormatInfo* format;
    UINT offset;
  };
  std::vector<Resolved> resolved;
  std::array<UINT, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> nextOffset{};
  std::array<int, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> stepRate;
  stepRate.fill(-1);
  for (UINT i = 0; i < count; ++i) {
    const D3D11_INPUT_ELEMENT_DESC& e = elements[i];
    const FormatInfo* f = LookupFormat(e.Format);
    if (e.SemanticName == nullptr || f == nullptr || f->components == 0 ||
        e.InputSlot >= D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT || e.InputSlotClass > D3D11_INPUT_PER_INSTANCE_DATA ||
        (e.InputSlotClass == D3D11_INPUT_PER_VERTEX_DATA && e.InstanceDataStepRate != 0)) {
      LogError("CreateInputLayout: element %u is invalid", i);
      return E_INVALIDARG;
    }
    const int rate = e.InputSlotClass == D3D11_INPUT_PER_INSTANCE_DATA ? static_cast<int>(e.InstanceDataStepRate) : 0;
    if (stepRate[e.InputSlot] != -1 && stepRate[e.InputSlot] != rate) {
      LogError("CreateInputLayout: slot %u mixes step rates", e.InputSlot);
      return E_INVALIDARG;
    }
    stepRate[e.InputSlot] = rate;
    const UINT offset = e.AlignedByteOffset == D3D11_APPEND_ALIGNED_ELEMENT ? nextOffset[e.InputSlot] : e.AlignedByteOffset;
    nextOffset[e.InputSlot] = offset + f->blockBytes;
    for (const Resolved& r : resolved)
      if (r.element->SemanticIndex == e.SemanticIndex && Upper(r.element->SemanticName) == Upper(e.SemanticName)) {
        LogError("CreateInputLayout: semantic %s%u appears twice", e.SemanticName, e.SemanticIndex);
        return E_INVALIDARG;
      }
    resolved.push_back({&e, f, offset});
  }
  // Every input the vertex shader reads must be supplied, with a matching component type.
  std::vector<std::pair<const StageInput*, const Resolved*>> matches;
  for (const StageInput& in : inputs) {
    const Resolved* found = nullptr;
    for (const Resolved& r : resolved)
      if (r.element->SemanticIndex == in.semanticIndex && Upper(r.element->SemanticName) == Upper(in.semanticName.c_str()))
        found = &r;
    if (found == nullptr) {
      LogError("CreateInputLayout: the vertex shader reads %s%u, which no element supplies", in.semanticName.c_str(),
               in.semanticIndex);
      return E_INVALIDARG;
    }
    if (found->format->integer != (in.componentType != StageComponentType::Float)) {
      LogError("CreateInputLayout: %s%u has the wrong component type", in.semanticName.c_str(), in.semanticIndex);
      return E_INVALIDARG;
    }
    matches.emplace_back(&in, found);
  }
  if (!core_->MakeCurrent()) return DXGI_ERROR_DEVICE_REMOVED;
  auto* layout = new InputLayoutImpl(core_);
  glCreateVertexArrays(1, &layout->vao);
  for (const auto& [in, r] : matches) {
    const GLuint loc = in->location;
    const GLuint slot = r->element->InputSlot;
    glEnableVertexArrayAttrib(layout->vao, loc);
    if (r->format->integer)
      glVertexArrayAttribIFormat(layout->vao, loc, r->format->components, r->format->attribType, r->offset);
    else
      glVertexArrayAttribFormat(layout->vao, loc, r->format->components, r->format->attribType,
                                r->format->normalized ? GL_TRUE : GL_FALSE, r->offset);
    glVertexArrayAttribBinding(layout->vao, loc, slot);
    glVertexArrayBindingDivisor(layout->vao, slot, static_cast<GLuint>(stepRate[slot]));
    if (std::find(layout->slots.begin(), layout->slots.end(), slot) == layout->slots.end()) layout->slots.push_back(slot);
  }
  return Hand<ID3D11InputLayout>(layout, out);
}

template <typename Interface>
ShaderImpl<Interface>::~ShaderImpl() {
  if (this->Core().MakeCurrent()) {
    this->Core().cache.ForgetProgram(program);
    glDeleteProgram(program);
  }
}
template class ShaderImpl<ID3D11VertexShader>;
template class ShaderImpl<ID3D11PixelShader>;
template class ShaderImpl<ID3D11ComputeShader>;

// GL texture units and uniform-buffer bindings are shared by all stages, while each Direct3D stage
// numbers its slots from 0; every stage therefore gets its own range.
GLuint TextureUnitBase(StageKind k) { return k == StageKind::Vertex ? 32 : 0; }
GLuint UniformBindingBase(StageKind k) { return k == StageKind::Pixel ? 16 : 0; }

template <typename Impl, typename Interface>
HRESULT DeviceImpl::CreateShader(StageKind kind, const void* code, SIZE_T length, Interface** out) {
  if (out != nullptr) *out = nullptr;
  StageBlob blob;
  if (!ParseStageBlob(code, length, blob)) {
    LogError("Create%sShader: the bytecode is not a valid stage blob", kind == StageKind::Vertex ? "Vertex" : kind == StageKind::Pixel ? "Pixel" : "Compute");
    return E_INVALIDARG;
  }
  if (blob.stage != kind) {
    LogError("a %s-stage blob was given where a %s stage was expected", StageName(blob.stage), StageName(kind));
    return E_INVALIDARG;
  }
  if (kind == StageKind::Compute && !core_->caps.computeShaders) return E_INVALIDARG;
  if (!core_->MakeCurrent()) return DXGI_ERROR_DEVICE_REMOVED;
  const GLenum type = kind == StageKind::Vertex ? GL_VERTEX_SHADER : kind == StageKind::Pixel ? GL_FRAGMENT_SHADER : GL_COMPUTE_SHADER;
  const char* source = blob.glsl.c_str();
  const GLuint program = glCreateShaderProgramv(type, 1, &source);
  GLint linked = GL_FALSE;
  if (program != 0) glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    std::string log(4096, '\0');
    GLsizei n = 0;
    if (program != 0) glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), &n, log.data());
    log.resize(static_cast<std::size_t>(n));
    LogError("%s shader failed to compile: %s", StageName(kind), log.c_str());
    glDeleteProgram(program);
    return E_INVALIDARG;
  }
  auto* shader = new Impl(core_);
  shader->program = program;
  shader->kind = kind;
  shader->inputs = blob.inputs;
  for (const StageConstantBuffer& cb : blob.constantBuffers) {
    const GLuint index = glGetUniformBlockIndex(program, cb.name.c_str());
    if (index == GL_INVALID_INDEX) continue;  // declared but optimized away
    const GLuint binding = UniformBindingBase(kind) + cb.binding;
    glUniformBlockBinding(program, index, binding);
    shader->bindings.buffers.push_back({binding, cb.binding});
  }
  GLuint nextUnit = TextureUnitBase(kind);
  for (const StageTexture& t : blob.textures) {
    const GLint location = glGetUniformLocation(program, t.name.c_str());
    if (location < 0) continue;
    const GLuint unit = nextUnit++;
    glProgramUniform1i(program, location, static_cast<GLint>(unit));
    shader->bindings.textures.push_back({unit, t.slot, t.samplerSlot});
  }
  for (const StageImage& im : blob.images) {
    const GLint location = glGetUniformLocation(program, im.name.c_str());
    if (location < 0 || im.unit >= D3D11_PS_CS_UAV_REGISTER_COUNT) continue;
    glProgramUniform1i(program, location, static_cast<GLint>(im.unit));
    // The declared format; an image declared without one (written only) takes its view's at binding.
    static constexpr GLenum formats[] = {GL_RGBA32F, GL_RGBA8, GL_R32F, GL_R32UI, GL_RGBA16F, GL_R32I, 0};
    shader->bindings.images.push_back({im.unit, im.unit, formats[static_cast<int>(im.format)]});
  }
  return Hand<Interface>(shader, out);
}

HRESULT DeviceImpl::CreateVertexShader(const void* code, SIZE_T length, ID3D11ClassLinkage*, ID3D11VertexShader** out) {
  return CreateShader<VertexShaderImpl>(StageKind::Vertex, code, length, out);
}
HRESULT DeviceImpl::CreatePixelShader(const void* code, SIZE_T length, ID3D11ClassLinkage*, ID3D11PixelShader** out) {
  return CreateShader<PixelShaderImpl>(StageKind::Pixel, code, length, out);
}
HRESULT DeviceImpl::CreateComputeShader(const void* code, SIZE_T length, ID3D11ClassLinkage*, ID3D11ComputeShader** out) {
  return CreateShader<ComputeShaderImpl>(StageKind::Compute, code, length, out);
}

}  // namespace d3dgl
