#pragma once
// A device that creates buffers in memory and records every description and its initial bytes, so
// buffer creation can be checked without a graphics driver. Everything else it refuses. The buffers
// live as long as the device.

#include <cstring>
#include <vector>

#include "platform/d3d11/D3D11.h"

class RecordingBuffer final : public ID3D11Buffer {
public:
    RecordingBuffer(const D3D11_BUFFER_DESC& d, const void* data) : desc(d), bytes(d.ByteWidth)
    {
        if (data != nullptr && d.ByteWidth > 0) {
            std::memcpy(bytes.data(), data, d.ByteWidth);
        }
    }

    HRESULT QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override
    {
        const ULONG left = --references;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    void GetDevice(ID3D11Device** device) override { *device = nullptr; }
    HRESULT GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
    HRESULT SetPrivateData(REFGUID, UINT, const void*) override { return E_NOTIMPL; }
    HRESULT SetPrivateDataInterface(REFGUID, const IUnknown*) override { return E_NOTIMPL; }
    void GetType(D3D11_RESOURCE_DIMENSION* dimension) override { *dimension = D3D11_RESOURCE_DIMENSION_BUFFER; }
    void GetDesc(D3D11_BUFFER_DESC* out) override { *out = desc; }

    D3D11_BUFFER_DESC desc;
    std::vector<unsigned char> bytes;

private:
    ULONG references = 1;
};

class RecordingDevice final : public ID3D11Device {
public:
    ~RecordingDevice() override
    {
        for (RecordingBuffer* buffer : created) {
            buffer->Release();
        }
    }

    HRESULT CreateBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                         ID3D11Buffer** buffer) override
    {
        ++createCalls;
        if (failCreation) {
            *buffer = nullptr;
            return E_OUTOFMEMORY;
        }
        auto* created = new RecordingBuffer(*desc, initialData != nullptr ? initialData->pSysMem : nullptr);
        if (initialData != nullptr) {
            pitches.push_back(initialData->SysMemPitch);
            pitches.push_back(initialData->SysMemSlicePitch);
        }
        // The device keeps the only reference and frees the buffers with itself; tests do not release.
        this->created.push_back(created);
        *buffer = created;
        return S_OK;
    }

    // Read back what a buffer was created with; null is allowed and gives nothing.
    static const RecordingBuffer* Recorded(ID3D11Buffer* buffer) { return static_cast<RecordingBuffer*>(buffer); }

    HRESULT QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT CreateTexture2D(const D3D11_TEXTURE2D_DESC*, const D3D11_SUBRESOURCE_DATA*, ID3D11Texture2D**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateTexture3D(const D3D11_TEXTURE3D_DESC*, const D3D11_SUBRESOURCE_DATA*, ID3D11Texture3D**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateShaderResourceView(ID3D11Resource*, const D3D11_SHADER_RESOURCE_VIEW_DESC*,
                                     ID3D11ShaderResourceView**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateUnorderedAccessView(ID3D11Resource*, const D3D11_UNORDERED_ACCESS_VIEW_DESC*,
                                      ID3D11UnorderedAccessView**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateRenderTargetView(ID3D11Resource*, const D3D11_RENDER_TARGET_VIEW_DESC*,
                                   ID3D11RenderTargetView**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateDepthStencilView(ID3D11Resource*, const D3D11_DEPTH_STENCIL_VIEW_DESC*,
                                   ID3D11DepthStencilView**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC*, UINT, const void*, SIZE_T, ID3D11InputLayout**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateVertexShader(const void*, SIZE_T, ID3D11ClassLinkage*, ID3D11VertexShader**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreatePixelShader(const void*, SIZE_T, ID3D11ClassLinkage*, ID3D11PixelShader**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateComputeShader(const void*, SIZE_T, ID3D11ClassLinkage*, ID3D11ComputeShader**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateBlendState(const D3D11_BLEND_DESC*, ID3D11BlendState**) override { return E_NOTIMPL; }
    HRESULT CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC*, ID3D11DepthStencilState**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateRasterizerState(const D3D11_RASTERIZER_DESC*, ID3D11RasterizerState**) override { return E_NOTIMPL; }
    HRESULT CreateSamplerState(const D3D11_SAMPLER_DESC*, ID3D11SamplerState**) override { return E_NOTIMPL; }
    HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT, UINT, UINT*) override { return E_NOTIMPL; }
    D3D_FEATURE_LEVEL GetFeatureLevel() override { return D3D_FEATURE_LEVEL_11_0; }
    void GetImmediateContext(ID3D11DeviceContext** context) override { *context = nullptr; }

    bool failCreation = false;
    int createCalls = 0;
    std::vector<UINT> pitches;
    std::vector<RecordingBuffer*> created;
};
