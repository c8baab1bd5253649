#pragma once
// The objects a device makes: resources, views, shaders, input layouts, state objects, and the device
// itself. Each holds its GL name and what the context needs to bind it; all of it is decided when
// the object is created. Not for use outside platform/d3d11.
#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/Checks.h"
#include "platform/d3d11/ComObject.h"
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/DXGI.h"
#include "platform/d3d11/DeviceCore.h"
#include "platform/d3d11/Formats.h"
#include "platform/d3d11/GlRecords.h"
#include "platform/d3d11/Validation.h"

namespace d3dgl {

// Every device child holds the shared core, so that it can delete its GL names after the device
// itself is gone.
template <typename Interface>
class DeviceChild : public ComObject<Interface> {
public:
    explicit DeviceChild(std::shared_ptr<DeviceCore> core) : core(std::move(core)) {}
    DeviceCore& Core() const { return *core; }
    void GetDevice(ID3D11Device** out) override;
    HRESULT GetPrivateData(REFGUID guid, UINT* size, void* data) override;
    // WKPDID_D3DDebugObjectName also labels the object's GL names, so GL debuggers show it.
    HRESULT SetPrivateData(REFGUID guid, UINT size, const void* data) override;
    HRESULT SetPrivateDataInterface(REFGUID guid, const IUnknown* data) override;
    // The WKPDID_D3DDebugObjectName the program gave the object, or empty; messages name it by it.
    std::string DebugName() const;

protected:
    IUnknown* Cast(REFIID riid) override { return riid == IID_ID3D11DeviceChild ? this : nullptr; }
    // Gives the object's GL names the debug name, where it has any.
    virtual void LabelGl(const std::string&) {}

    std::shared_ptr<DeviceCore> core;

private:
    std::vector<std::pair<GUID, std::vector<std::uint8_t>>> privateData;
    std::vector<std::pair<GUID, ComPtr<IUnknown>>> privateInterfaces;
};

class BufferImpl final : public DeviceChild<ID3D11Buffer> {
public:
    BufferImpl(std::shared_ptr<DeviceCore> core, const D3D11_BUFFER_DESC& desc, GLuint name)
        : DeviceChild(std::move(core)),
          desc(desc),
          name(name)
    {}
    ~BufferImpl() override;
    void GetType(D3D11_RESOURCE_DIMENSION* d) override { *d = D3D11_RESOURCE_DIMENSION_BUFFER; }
    void GetDesc(D3D11_BUFFER_DESC* d) override { *d = desc; }
    IUnknown* Cast(REFIID riid) override;

    void LabelGl(const std::string& label) override { Core().Label(GL_BUFFER, name, label); }

    const D3D11_BUFFER_DESC desc;
    const GLuint name;

    // A constant buffer is bound from where its contents are: the upload ring once it was updated,
    // its own storage before. `contents` is a copy of them that partial updates complete; it is
    // unknown after a copy into the buffer, until read back.
    GLuint boundBuffer = 0;
    GLintptr boundOffset = 0;
    std::vector<std::uint8_t> contents;
    bool contentsKnown = true;
};

class TextureImpl final : public DeviceChild<ID3D11Texture2D> {
public:
    TextureImpl(std::shared_ptr<DeviceCore> core, const D3D11_TEXTURE2D_DESC& desc, GLuint name, GLenum target)
        : DeviceChild(std::move(core)),
          desc(desc),
          format(LookupFormat(desc.Format)),
          name(name),
          target(target)
    {}
    ~TextureImpl() override;
    void GetType(D3D11_RESOURCE_DIMENSION* d) override { *d = D3D11_RESOURCE_DIMENSION_TEXTURE2D; }
    void GetDesc(D3D11_TEXTURE2D_DESC* d) override { *d = desc; }
    IUnknown* Cast(REFIID riid) override;
    void LabelGl(const std::string& label) override { Core().Label(GL_TEXTURE, name, label); }

    const D3D11_TEXTURE2D_DESC desc;  // MipLevels is the real count, never 0
    const FormatInfo* const format;   // desc.Format's entry, looked up once: views are bound every frame
    const GLuint name;
    const GLenum
        target;  // GL_TEXTURE_2D, GL_TEXTURE_2D_ARRAY, GL_TEXTURE_CUBE_MAP, or GL_TEXTURE_3D inside a Texture3DImpl
};

// A 3D texture: its GL storage is a TextureImpl (Depth in desc.ArraySize), so views and bindings
// treat it like the others; this object is what the caller holds.
class Texture3DImpl final : public DeviceChild<ID3D11Texture3D> {
public:
    Texture3DImpl(std::shared_ptr<DeviceCore> core, const D3D11_TEXTURE3D_DESC& desc, ComPtr<TextureImpl> storage)
        : DeviceChild(std::move(core)),
          desc(desc),
          storage(std::move(storage))
    {}
    void GetType(D3D11_RESOURCE_DIMENSION* d) override { *d = D3D11_RESOURCE_DIMENSION_TEXTURE3D; }
    void GetDesc(D3D11_TEXTURE3D_DESC* d) override { *d = desc; }
    IUnknown* Cast(REFIID riid) override;

    const D3D11_TEXTURE3D_DESC desc;
    const ComPtr<TextureImpl> storage;
};

// Null when the resource is of the other kind (or null).
TextureImpl* AsTexture(ID3D11Resource* resource);
BufferImpl* AsBuffer(ID3D11Resource* resource);

template <typename Interface, typename Desc>
class ViewImpl final : public DeviceChild<Interface> {
public:
    ViewImpl(std::shared_ptr<DeviceCore> core, TextureImpl* texture, const Desc& desc)
        : DeviceChild<Interface>(std::move(core)),
          texture(texture),
          desc(desc)
    {}
    ~ViewImpl() override;
    void GetResource(ID3D11Resource** out) override
    {
        ID3D11Resource* resource = owner ? owner.Get() : static_cast<ID3D11Resource*>(texture.Get());
        resource->AddRef();
        *out = resource;
    }
    void GetDesc(Desc* d) override { *d = desc; }
    void LabelGl(const std::string& label) override { this->Core().Label(GL_TEXTURE, ownedView, label); }

    const ComPtr<TextureImpl> texture;
    ComPtr<ID3D11Resource> owner;  // the resource the caller made the view of, when it is not `texture` (3D)
    const Desc desc;
    GLuint glName = 0;     // the texture (or texture view) to sample or attach
    GLint level = 0;       // first mip level used
    GLuint ownedView = 0;  // a GL texture view made for a sub-range, deleted with this view
};
using SrvImpl = ViewImpl<ID3D11ShaderResourceView, D3D11_SHADER_RESOURCE_VIEW_DESC>;
using RtvImpl = ViewImpl<ID3D11RenderTargetView, D3D11_RENDER_TARGET_VIEW_DESC>;
using DsvImpl = ViewImpl<ID3D11DepthStencilView, D3D11_DEPTH_STENCIL_VIEW_DESC>;
using UavImpl = ViewImpl<ID3D11UnorderedAccessView, D3D11_UNORDERED_ACCESS_VIEW_DESC>;

// Where one shader's Direct3D slots land in GL.
struct ShaderBindings {
    struct Texture {
        GLuint unit;
        UINT slot;
        UINT samplerSlot;
        bool comparison;  // read with SampleCmp
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
    // A program made later (MakeProgram) takes the name then.
    void LabelGl(const std::string& label) override
    {
        if (program != 0) {
            this->Core().Label(GL_PROGRAM, program, label);
        }
    }

    // Where the driver compiles in parallel, the program is made, and its link result and bindings
    // are read, only here, when the shader is first drawn or dispatched with: shaders no frame draws
    // with cost nothing. False (reported once) when the driver refused the program.
    bool Linked();

    GLuint program = 0;  // 0 until made
    StageKind kind = StageKind::Vertex;
    ShaderBindings bindings;
    std::vector<StageInput> inputs;
    enum class Link { Pending, Done, Refused } link = Link::Pending;
    StageBlob blob;     // what the bindings are read from; emptied once linked
    ShaderFacts facts;  // what draws are validated against; complete once linked

private:
    void MakeProgram();
};
using VertexShaderImpl = ShaderImpl<ID3D11VertexShader>;
using PixelShaderImpl = ShaderImpl<ID3D11PixelShader>;
using ComputeShaderImpl = ShaderImpl<ID3D11ComputeShader>;

class InputLayoutImpl final : public DeviceChild<ID3D11InputLayout> {
public:
    using DeviceChild::DeviceChild;
    ~InputLayoutImpl() override;
    void LabelGl(const std::string& label) override { Core().Label(GL_VERTEX_ARRAY, vertexArray, label); }

    GLuint vertexArray = 0;
    std::vector<UINT> slots;  // input slots the layout reads
    VertexArrayAttachments attached;
};

// A state object and its GL record (RasterizerGl, BlendGl, DepthStencilGl or SamplerGl), translated
// once at creation. Equal descriptions share one object: it is listed in the core's registry under
// its description and removes itself when released.
template <typename Interface, typename Desc, typename Record>
class StateImpl final : public DeviceChild<Interface> {
public:
    StateImpl(std::shared_ptr<DeviceCore> core, const Desc& desc, const Record& gl,
              std::map<std::string, IUnknown*>* registry, std::string key)
        : DeviceChild<Interface>(std::move(core)),
          desc(desc),
          gl(gl),
          registry(registry),
          key(std::move(key))
    {}
    ~StateImpl() override;
    void GetDesc(Desc* d) override { *d = desc; }
    void LabelGl(const std::string& label) override { this->Core().Label(GL_SAMPLER, sampler, label); }

    const Desc desc;
    const Record gl;
    GLuint sampler = 0;  // sampler states only: the GL sampler object made from `gl`

private:
    std::map<std::string, IUnknown*>* registry;
    std::string key;
};
using RasterizerStateImpl = StateImpl<ID3D11RasterizerState, D3D11_RASTERIZER_DESC, RasterizerGl>;
using BlendStateImpl = StateImpl<ID3D11BlendState, D3D11_BLEND_DESC, BlendGl>;
using DepthStencilStateImpl = StateImpl<ID3D11DepthStencilState, D3D11_DEPTH_STENCIL_DESC, DepthStencilGl>;
using SamplerStateImpl = StateImpl<ID3D11SamplerState, D3D11_SAMPLER_DESC, SamplerGl>;

class DeviceImpl final : public ComObject<ID3D11Device> {
public:
    explicit DeviceImpl(std::shared_ptr<DeviceCore> core);
    ~DeviceImpl() override;
    IUnknown* Cast(REFIID riid) override;
    HRESULT QueryInterface(REFIID riid, void** out) override;

    HRESULT CreateBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                         ID3D11Buffer** out) override;
    HRESULT CreateTexture2D(const D3D11_TEXTURE2D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                            ID3D11Texture2D** out) override;
    HRESULT CreateTexture3D(const D3D11_TEXTURE3D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                            ID3D11Texture3D** out) override;
    HRESULT CreateShaderResourceView(ID3D11Resource* resource, const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                     ID3D11ShaderResourceView** out) override;
    HRESULT CreateUnorderedAccessView(ID3D11Resource* resource, const D3D11_UNORDERED_ACCESS_VIEW_DESC* desc,
                                      ID3D11UnorderedAccessView** out) override;
    HRESULT CreateRenderTargetView(ID3D11Resource* resource, const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                   ID3D11RenderTargetView** out) override;
    HRESULT CreateDepthStencilView(ID3D11Resource* resource, const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                   ID3D11DepthStencilView** out) override;
    HRESULT CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature,
                              SIZE_T length, ID3D11InputLayout** out) override;
    HRESULT CreateVertexShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                               ID3D11VertexShader** out) override;
    HRESULT CreatePixelShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                              ID3D11PixelShader** out) override;
    HRESULT CreateComputeShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                                ID3D11ComputeShader** out) override;
    HRESULT CreateBlendState(const D3D11_BLEND_DESC* desc, ID3D11BlendState** out) override;
    HRESULT CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* desc, ID3D11DepthStencilState** out) override;
    HRESULT CreateRasterizerState(const D3D11_RASTERIZER_DESC* desc, ID3D11RasterizerState** out) override;
    HRESULT CreateSamplerState(const D3D11_SAMPLER_DESC* desc, ID3D11SamplerState** out) override;
    HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT sampleCount, UINT* levels) override;
    D3D_FEATURE_LEVEL GetFeatureLevel() override { return core->Caps().featureLevel; }
    void GetImmediateContext(ID3D11DeviceContext** out) override;

    const std::shared_ptr<DeviceCore>& Core() const { return core; }

private:
    template <typename Impl, typename Interface>
    HRESULT CreateShader(StageKind kind, const void* code, SIZE_T length, Interface** out);

    std::shared_ptr<DeviceCore> core;
    ComPtr<ID3D11DeviceContext> context;
};

template <typename Interface>
void DeviceChild<Interface>::GetDevice(ID3D11Device** out)
{
    if (out == nullptr) {
        return;
    }
    *out = core->device;
    if (*out != nullptr) {
        (*out)->AddRef();
    }
}

template <typename Interface>
HRESULT DeviceChild<Interface>::GetPrivateData(REFGUID guid, UINT* size, void* data)
{
    if (size == nullptr) {
        return E_INVALIDARG;
    }
    for (const auto& [key, bytes] : privateData) {
        if (key == guid) {
            const auto held = static_cast<UINT>(bytes.size());
            if (data != nullptr && *size < held) {
                *size = held;
                return DXGI_ERROR_MORE_DATA;
            }
            if (data != nullptr) {
                std::memcpy(data, bytes.data(), held);
            }
            *size = held;
            return S_OK;
        }
    }
    for (const auto& [key, held] : privateInterfaces) {
        if (key == guid) {
            // As in Direct3D: the interface pointer itself, with a reference for the caller.
            constexpr auto kPointerSize = static_cast<UINT>(sizeof(IUnknown*));
            if (data != nullptr && *size < kPointerSize) {
                *size = kPointerSize;
                return DXGI_ERROR_MORE_DATA;
            }
            if (data != nullptr) {
                IUnknown* pointer = held.Get();
                pointer->AddRef();
                std::memcpy(data, &pointer, kPointerSize);
            }
            *size = kPointerSize;
            return S_OK;
        }
    }
    *size = 0;
    return DXGI_ERROR_NOT_FOUND;
}

template <typename Interface>
std::string DeviceChild<Interface>::DebugName() const
{
    for (const auto& [key, bytes] : privateData) {
        if (key == WKPDID_D3DDebugObjectName) {
            const auto* text = reinterpret_cast<const char*>(bytes.data());
            return std::string(text, strnlen(text, bytes.size()));
        }
    }
    return {};
}

template <typename Interface>
HRESULT DeviceChild<Interface>::SetPrivateDataInterface(REFGUID guid, const IUnknown* data)
{
    std::erase_if(privateData, [&](const auto& entry) { return entry.first == guid; });
    std::erase_if(privateInterfaces, [&](const auto& entry) { return entry.first == guid; });
    if (data != nullptr) {
        privateInterfaces.emplace_back(guid, ComPtr<IUnknown>(const_cast<IUnknown*>(data)));  // adds the reference
    }
    return S_OK;
}

template <typename Interface>
HRESULT DeviceChild<Interface>::SetPrivateData(REFGUID guid, UINT size, const void* data)
{
    std::erase_if(privateInterfaces, [&](const auto& entry) { return entry.first == guid; });
    std::erase_if(privateData, [&](const auto& entry) { return entry.first == guid; });
    if (data != nullptr && size > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        privateData.emplace_back(guid, std::vector<std::uint8_t>(bytes, bytes + size));
    }
    if (guid == WKPDID_D3DDebugObjectName) {
        const auto* text = static_cast<const char*>(data);
        LabelGl(data != nullptr ? std::string(text, strnlen(text, size)) : std::string());
    }
    return S_OK;
}

// The device's one immediate context (Context.cpp).
ComPtr<ID3D11DeviceContext> CreateImmediateContext(std::shared_ptr<DeviceCore> core);
// What QueryInterface(IID_IDXGIDevice) hands out: the way from the device to the DXGI factory
// (SwapChain.cpp).
ComPtr<IDXGIDevice> MakeDxgiDevice(DeviceImpl* device);

// Hands a new object to the caller; a null out-pointer asks only whether creation would succeed.
template <typename T>
HRESULT Hand(T* object, T** out)
{
    if (out == nullptr) {
        object->Release();
        return S_FALSE;
    }
    *out = object;
    return S_OK;
}

// Reports the rule and returns E_INVALIDARG; the out-pointer has been nulled by the caller.
inline HRESULT Refuse(Rule rule)
{
    Report(rule);
    return E_INVALIDARG;
}

}  // namespace d3dgl
