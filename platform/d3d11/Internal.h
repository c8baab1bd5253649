#pragma once
// Implementation classes of the graphics layer. Not for use outside platform/d3d11.
#include <epoxy/gl.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/d3d11/StageBlob.h"

namespace d3dgl {

extern std::atomic<long> g_liveObjects;
std::uint64_t NextObjectId();

// Reference counting and the live-object counter shared by every object of the layer.
template <typename Interface>
class ComObject : public Interface {
 public:
  ComObject() { ++g_liveObjects; }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    IUnknown* found = riid == IID_IUnknown ? static_cast<IUnknown*>(this) : Cast(riid);
    if (found == nullptr) return E_NOINTERFACE;
    found->AddRef();
    *out = found;
    return S_OK;
  }
  std::uint64_t Id() const { return id_; }

 protected:
  ~ComObject() override { --g_liveObjects; }
  virtual IUnknown* Cast(REFIID) { return nullptr; }

 private:
  ULONG refs_ = 1;
  std::uint64_t id_ = NextObjectId();
};

// A strong reference held by the layer itself (bindings, views on their resource).
template <typename T>
class Ref {
 public:
  Ref() = default;
  Ref(T* p) : p_(p) { if (p_) p_->AddRef(); }  // NOLINT: implicit by design
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref& operator=(const Ref& o) {
    Reset(o.p_);
    return *this;
  }
  ~Ref() { Reset(nullptr); }
  void Reset(T* p) {
    if (p) p->AddRef();
    if (p_) p_->Release();
    p_ = p;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

struct FormatInfo {
  GLenum internalFormat = 0;
  GLenum format = 0;  // pixel-transfer format
  GLenum type = 0;
  bool compressed = false;
  UINT blockBytes = 0;  // bytes per pixel, or per 4x4 block when compressed
  bool depth = false;
  // As a vertex attribute:
  GLint components = 0;
  GLenum attribType = 0;
  bool normalized = false;
  bool integer = false;
};
// Null for formats the layer does not support.
const FormatInfo* LookupFormat(DXGI_FORMAT format);
GLenum ImageFormatFor(DXGI_FORMAT format);

enum class Stage { Vertex = 0, Pixel = 1, Compute = 2, Count = 3 };

// Quirks and capabilities, decided once when the device is created.
struct Capabilities {
  int glMajor = 0, glMinor = 0;
  bool computeShaders = false, imageLoadStore = false, clipControl = false;
  // GL_EXT_texture_filter_anisotropic is there and safe to use (see ProbeCapabilities).
  bool anisotropicFiltering = false;
  GLint maxCombinedTextureUnits = 0;
  D3D_FEATURE_LEVEL featureLevel = D3D_FEATURE_LEVEL_9_1;
};

// Skips GL calls that would not change anything. Every GL name the layer deletes is forgotten here,
// because GL reuses names.
class StateCache {
 public:
  bool bypass = false;
  std::uint64_t glCalls = 0;

  void BindFramebuffer(GLuint fbo);
  void BindPipeline(GLuint pipeline);
  void UseStage(GLuint pipeline, GLbitfield bit, int index, GLuint program);
  void BindVertexArray(GLuint vao);
  void BindTexture(GLuint unit, GLuint texture);
  void BindSampler(GLuint unit, GLuint sampler);
  void BindUniformBuffer(GLuint binding, GLuint buffer);
  void BindImage(GLuint unit, GLuint texture, GLint level, GLenum format);
  void Viewport(const D3D11_VIEWPORT& vp);
  bool StateChanged(int which, std::uint64_t key);  // rasterizer 0, blend 1, depth 2

  // Fixed-function values, one slot per value, so that switching between state objects that share
  // most settings (or restoring after a clear) issues only the calls that change something.
  enum Cap { kCullFace, kDepthClamp, kScissorTest, kPolygonOffsetFill, kAlphaToCoverage, kDepthTest, kStencilTest, kCapCount };
  void Enable(Cap cap, bool on);
  void EnableBlend(GLuint target, bool on);
  void CullFace(GLenum face);
  void FrontFace(GLenum mode);
  void PolygonMode(GLenum mode);
  void PolygonOffset(float factor, float units);
  void BlendColor(const float rgba[4]);
  void BlendFunc(GLuint target, GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha);
  void BlendEquation(GLuint target, GLenum rgb, GLenum alpha);
  void ColorMask(GLuint target, unsigned mask);  // bit 0 red .. bit 3 alpha
  void DepthFunc(GLenum func);
  void DepthMask(bool write);
  void StencilFunc(int face, GLenum func, GLint ref, GLuint mask);  // face 0 front, 1 back
  void StencilOp(int face, GLenum fail, GLenum depthFail, GLenum pass);
  void StencilMask(GLuint mask);
  void ForgetState(int which) { stateKeys_[which] = ~0ull; }
  void ForgetTexture(GLuint texture);
  void ForgetBuffer(GLuint buffer);
  void ForgetSampler(GLuint sampler);
  void ForgetProgram(GLuint program);
  void ForgetFramebuffer(GLuint fbo);
  void ForgetVertexArray(GLuint vao);
  void Reset();  // after anything outside the cache touched GL state

 private:
  static constexpr GLuint kUnknown = 0xFFFFFFFFu;
  GLuint fbo_ = kUnknown, pipeline_ = kUnknown, vao_ = kUnknown, program_ = kUnknown;
  std::array<GLuint, 3> stages_{kUnknown, kUnknown, kUnknown};
  std::array<GLuint, 192> textures_{}, samplers_{};
  std::array<GLuint, 64> uniformBuffers_{};
  struct Image {
    GLuint texture = 0;
    GLint level = 0;
    GLenum format = 0;
  };
  std::array<Image, 8> images_{};
  D3D11_VIEWPORT viewport_{};
  bool viewportKnown_ = false;
  std::array<std::uint64_t, 3> stateKeys_{~0ull, ~0ull, ~0ull};

  // A value GL holds for us, or unknown (after a reset, or before the first call).
  template <class T>
  struct Slot {
    T value{};
    bool known = false;
  };
  template <class T>
  bool Changes(Slot<T>& slot, const T& value);  // records the value; true when GL must be told
  struct FixedFunction {
    std::array<Slot<bool>, kCapCount> caps{};
    std::array<Slot<bool>, 8> blendOn{};
    Slot<GLenum> cullFace, frontFace, polygonMode, depthFunc;
    Slot<std::array<float, 2>> polygonOffset;
    Slot<std::array<float, 4>> blendColor;
    std::array<Slot<std::array<GLenum, 4>>, 8> blendFunc{};
    std::array<Slot<std::array<GLenum, 2>>, 8> blendEquation{};
    std::array<Slot<unsigned>, 8> colorMask{};
    Slot<bool> depthMask;
    std::array<Slot<std::array<GLuint, 3>>, 2> stencilFunc{};
    std::array<Slot<std::array<GLenum, 3>>, 2> stencilOp{};
    Slot<GLuint> stencilMask;
  } fixed_;
};

class DeviceImpl;
class TextureImpl;

// What every object of one device shares: the GL context and the caches. Outlives the device while
// any of its objects lives, because their destructors delete GL names.
class DeviceCore {
 public:
  ~DeviceCore();
  bool MakeCurrent();
  void DestroyContext();

  Capabilities caps;
  StateCache cache;
  DeviceImpl* device = nullptr;  // null once the device is gone

  // GL context: EGL (headless) or SDL (windowed).
  void* eglDisplay = nullptr;
  void* eglContext = nullptr;
  void* sdlContext = nullptr;
  SDL_Window* hiddenWindow = nullptr;  // owned; the SDL context is current on it between presents

  // Framebuffers by attachment set; dropped when one of the attached textures dies.
  struct FboKey {
    std::array<GLuint, 8> colors{};
    std::array<GLint, 8> colorLevels{};
    GLuint depth = 0;
    GLint depthLevel = 0;
    bool operator<(const FboKey& o) const;
  };
  std::map<FboKey, GLuint> framebuffers;
  GLuint Framebuffer(const FboKey& key);
  void ForgetTextureEverywhere(GLuint texture);

  // Deduplicated state objects: description bytes → object (not owning).
  std::map<std::string, IUnknown*> rasterizerStates, blendStates, depthStates, samplerStates;

  GLuint graphicsPipeline = 0, computePipeline = 0;
  GLuint emptyVertexArray = 0;  // for draws without an input layout (GL needs a VAO bound)
};

class DeviceChildBase {
 public:
  explicit DeviceChildBase(std::shared_ptr<DeviceCore> core) : core_(std::move(core)) {}
  DeviceCore& Core() const { return *core_; }
  void GetDeviceImpl(ID3D11Device** out) const;

 protected:
  std::shared_ptr<DeviceCore> core_;
};

template <typename Interface>
class DeviceChild : public ComObject<Interface>, public DeviceChildBase {
 public:
  using DeviceChildBase::DeviceChildBase;
  void GetDevice(ID3D11Device** out) override { GetDeviceImpl(out); }

 protected:
  IUnknown* Cast(REFIID riid) override {
    if (riid == IID_ID3D11DeviceChild) return this;
    return nullptr;
  }
};

class BufferImpl final : public DeviceChild<ID3D11Buffer> {
 public:
  BufferImpl(std::shared_ptr<DeviceCore> core, const D3D11_BUFFER_DESC& desc, GLuint name)
      : DeviceChild(std::move(core)), desc(desc), name(name) {}
  ~BufferImpl() override;
  void GetType(D3D11_RESOURCE_DIMENSION* d) override { *d = D3D11_RESOURCE_DIMENSION_BUFFER; }
  void GetDesc(D3D11_BUFFER_DESC* d) override { *d = desc; }
  IUnknown* Cast(REFIID riid) override;

  D3D11_BUFFER_DESC desc;
  GLuint name;
};

class TextureImpl final : public DeviceChild<ID3D11Texture2D> {
 public:
  TextureImpl(std::shared_ptr<DeviceCore> core, const D3D11_TEXTURE2D_DESC& desc, GLuint name, GLenum target)
      : DeviceChild(std::move(core)), desc(desc), name(name), target(target) {}
  ~TextureImpl() override;
  void GetType(D3D11_RESOURCE_DIMENSION* d) override { *d = D3D11_RESOURCE_DIMENSION_TEXTURE2D; }
  void GetDesc(D3D11_TEXTURE2D_DESC* d) override { *d = desc; }
  IUnknown* Cast(REFIID riid) override;

  D3D11_TEXTURE2D_DESC desc;  // MipLevels is the real count, never 0
  GLuint name;
  GLenum target;  // GL_TEXTURE_2D, GL_TEXTURE_2D_ARRAY, GL_TEXTURE_CUBE_MAP, or GL_TEXTURE_3D inside a Texture3DImpl
};

// A 3D texture: its GL storage is a TextureImpl (Depth in desc.ArraySize), so views and bindings
// treat it like the others; this object is what the caller holds.
class Texture3DImpl final : public DeviceChild<ID3D11Texture3D> {
 public:
  Texture3DImpl(std::shared_ptr<DeviceCore> core, const D3D11_TEXTURE3D_DESC& desc, TextureImpl* storage)
      : DeviceChild(std::move(core)), desc(desc), storage(storage) {}
  void GetType(D3D11_RESOURCE_DIMENSION* d) override { *d = D3D11_RESOURCE_DIMENSION_TEXTURE3D; }
  void GetDesc(D3D11_TEXTURE3D_DESC* d) override { *d = desc; }
  IUnknown* Cast(REFIID riid) override;

  D3D11_TEXTURE3D_DESC desc;
  Ref<TextureImpl> storage;
};

TextureImpl* AsTexture(ID3D11Resource* resource);
BufferImpl* AsBuffer(ID3D11Resource* resource);

template <typename Interface, typename Desc>
class ViewImpl final : public DeviceChild<Interface> {
 public:
  ViewImpl(std::shared_ptr<DeviceCore> core, TextureImpl* texture, const Desc& desc)
      : DeviceChild<Interface>(std::move(core)), texture(texture), desc(desc) {}
  ~ViewImpl() override;
  void GetResource(ID3D11Resource** out) override {
    ID3D11Resource* r = owner ? owner.Get() : static_cast<ID3D11Resource*>(texture.Get());
    r->AddRef();
    *out = r;
  }
  void GetDesc(Desc* d) override { *d = desc; }

  Ref<TextureImpl> texture;
  Ref<ID3D11Resource> owner;  // the resource the caller made the view of, when it is not `texture` (3D)
  Desc desc;
  GLuint glName = 0;  // the texture (or texture view) to sample or attach
  GLint level = 0;    // first mip level used
  GLuint ownedView = 0;  // a GL texture view created for a sub-range, deleted with this view
};
using SrvImpl = ViewImpl<ID3D11ShaderResourceView, D3D11_SHADER_RESOURCE_VIEW_DESC>;
using RtvImpl = ViewImpl<ID3D11RenderTargetView, D3D11_RENDER_TARGET_VIEW_DESC>;
using DsvImpl = ViewImpl<ID3D11DepthStencilView, D3D11_DEPTH_STENCIL_VIEW_DESC>;
using UavImpl = ViewImpl<ID3D11UnorderedAccessView, D3D11_UNORDERED_ACCESS_VIEW_DESC>;

// Resource slots of one shader as the device binds them.
struct ShaderBindings {
  struct Texture {
    GLuint unit;
    UINT slot;
    UINT samplerSlot;
  };
  struct Buffer {
    GLuint binding;
    UINT slot;
  };
  struct Image {
    GLuint unit;
    UINT slot;
    GLenum format;
  };
  std::vector<Texture> textures;
  std::vector<Buffer> buffers;
  std::vector<Image> images;
};

template <typename Interface>
class ShaderImpl final : public DeviceChild<Interface> {
 public:
  using DeviceChild<Interface>::DeviceChild;
  ~ShaderImpl() override;
  GLuint program = 0;
  StageKind kind = StageKind::Vertex;
  ShaderBindings bindings;
  std::vector<StageInput> inputs;
};
using VertexShaderImpl = ShaderImpl<ID3D11VertexShader>;
using PixelShaderImpl = ShaderImpl<ID3D11PixelShader>;
using ComputeShaderImpl = ShaderImpl<ID3D11ComputeShader>;

class InputLayoutImpl final : public DeviceChild<ID3D11InputLayout> {
 public:
  using DeviceChild::DeviceChild;
  ~InputLayoutImpl() override;
  GLuint vao = 0;
  std::vector<UINT> slots;  // input slots the layout reads
  // What is attached to the VAO now (by object id: GL reuses buffer names), so unchanged
  // bindings are skipped.
  std::array<std::uint64_t, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> boundBuffers{};
  std::array<UINT, D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT> boundStrides{}, boundOffsets{};
  std::uint64_t boundIndexBuffer = 0;
};

template <typename Interface, typename Desc>
class StateImpl final : public DeviceChild<Interface> {
 public:
  StateImpl(std::shared_ptr<DeviceCore> core, const Desc& desc, std::map<std::string, IUnknown*>* registry,
            std::string key)
      : DeviceChild<Interface>(std::move(core)), desc(desc), registry_(registry), key_(std::move(key)) {}
  ~StateImpl() override;
  void GetDesc(Desc* d) override { *d = desc; }
  Desc desc;
  GLuint sampler = 0;  // sampler states only

 private:
  std::map<std::string, IUnknown*>* registry_;
  std::string key_;
};
using RasterizerStateImpl = StateImpl<ID3D11RasterizerState, D3D11_RASTERIZER_DESC>;
using BlendStateImpl = StateImpl<ID3D11BlendState, D3D11_BLEND_DESC>;
using DepthStencilStateImpl = StateImpl<ID3D11DepthStencilState, D3D11_DEPTH_STENCIL_DESC>;
using SamplerStateImpl = StateImpl<ID3D11SamplerState, D3D11_SAMPLER_DESC>;

class DeviceImpl final : public ComObject<ID3D11Device> {
 public:
  explicit DeviceImpl(std::shared_ptr<DeviceCore> core);
  ~DeviceImpl() override;
  IUnknown* Cast(REFIID riid) override;
  HRESULT QueryInterface(REFIID riid, void** out) override;

  HRESULT CreateBuffer(const D3D11_BUFFER_DESC* pDesc, const D3D11_SUBRESOURCE_DATA* pInitialData, ID3D11Buffer** ppBuffer) override;
  HRESULT CreateTexture2D(const D3D11_TEXTURE2D_DESC* pDesc, const D3D11_SUBRESOURCE_DATA* pInitialData, ID3D11Texture2D** ppTexture2D) override;
  HRESULT CreateTexture3D(const D3D11_TEXTURE3D_DESC* pDesc, const D3D11_SUBRESOURCE_DATA* pInitialData, ID3D11Texture3D** ppTexture3D) override;
  HRESULT CreateShaderResourceView(ID3D11Resource* pResource, const D3D11_SHADER_RESOURCE_VIEW_DESC* pDesc, ID3D11ShaderResourceView** ppSRView) override;
  HRESULT CreateUnorderedAccessView(ID3D11Resource* pResource, const D3D11_UNORDERED_ACCESS_VIEW_DESC* pDesc, ID3D11UnorderedAccessView** ppUAView) override;
  HRESULT CreateRenderTargetView(ID3D11Resource* pResource, const D3D11_RENDER_TARGET_VIEW_DESC* pDesc, ID3D11RenderTargetView** ppRTView) override;
  HRESULT CreateDepthStencilView(ID3D11Resource* pResource, const D3D11_DEPTH_STENCIL_VIEW_DESC* pDesc, ID3D11DepthStencilView** ppDepthStencilView) override;
  HRESULT CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* pInputElementDescs, UINT NumElements, const void* pShaderBytecodeWithInputSignature, SIZE_T BytecodeLength, ID3D11InputLayout** ppInputLayout) override;
  HRESULT CreateVertexShader(const void* pShaderBytecode, SIZE_T BytecodeLength, ID3D11ClassLinkage* pClassLinkage, ID3D11VertexShader** ppVertexShader) override;
  HRESULT CreatePixelShader(const void* pShaderBytecode, SIZE_T BytecodeLength, ID3D11ClassLinkage* pClassLinkage, ID3D11PixelShader** ppPixelShader) override;
  HRESULT CreateComputeShader(const void* pShaderBytecode, SIZE_T BytecodeLength, ID3D11ClassLinkage* pClassLinkage, ID3D11ComputeShader** ppComputeShader) override;
  HRESULT CreateBlendState(const D3D11_BLEND_DESC* pBlendStateDesc, ID3D11BlendState** ppBlendState) override;
  HRESULT CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* pDepthStencilDesc, ID3D11DepthStencilState** ppDepthStencilState) override;
  HRESULT CreateRasterizerState(const D3D11_RASTERIZER_DESC* pRasterizerDesc, ID3D11RasterizerState** ppRasterizerState) override;
  HRESULT CreateSamplerState(const D3D11_SAMPLER_DESC* pSamplerDesc, ID3D11SamplerState** ppSamplerState) override;
  HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT Format, UINT SampleCount, UINT* pNumQualityLevels) override;
  D3D_FEATURE_LEVEL GetFeatureLevel() override { return core_->caps.featureLevel; }
  void GetImmediateContext(ID3D11DeviceContext** ppImmediateContext) override;

  const std::shared_ptr<DeviceCore>& Core() const { return core_; }
  ID3D11DeviceContext* Context() const { return context_; }

 private:
  template <typename Impl, typename Interface>
  HRESULT CreateShader(StageKind kind, const void* code, SIZE_T length, Interface** out);

  std::shared_ptr<DeviceCore> core_;
  ID3D11DeviceContext* context_ = nullptr;
};

ID3D11DeviceContext* CreateImmediateContext(std::shared_ptr<DeviceCore> core);

// Creates the shared GL context for a new device; null (with a message on stderr) on failure.
std::shared_ptr<DeviceCore> CreateCore();
extern D3D11DeviceOptions g_options;
extern D3D11WindowBridge g_windowBridge;

// Makes `core`'s context current before a swap chain presents to `window`.
bool AttachWindow(DeviceCore& core, SDL_Window* window);

// Hands a new object to the caller; a null out-pointer asks only whether creation would succeed.
template <typename T>
HRESULT Hand(T* object, T** out) {
  if (out == nullptr) {
    object->Release();
    return S_FALSE;
  }
  *out = object;
  return S_OK;
}

template <typename T>
HRESULT Refuse(T** out) {
  if (out != nullptr) *out = nullptr;
  return E_INVALIDARG;
}

void LogError(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace d3dgl
