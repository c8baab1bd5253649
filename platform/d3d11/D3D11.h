#pragma once
// The Direct3D 11 subset the program, its effect runtime and its tests use, with the public API's
// names, method signatures and numeric values. Implemented over OpenGL 4.5 (see README.md).
#include <cstddef>

#include "platform/d3d11/DXGI.h"

constexpr UINT D3D11_SDK_VERSION = 7;
constexpr UINT D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT = 8;
constexpr UINT D3D11_COMMONSHADER_CONSTANT_BUFFER_API_SLOT_COUNT = 14;
constexpr UINT D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT = 128;
constexpr UINT D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT = 16;
constexpr UINT D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT = 32;
constexpr UINT D3D11_PS_CS_UAV_REGISTER_COUNT = 8;
constexpr UINT D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE = 16;
constexpr UINT D3D11_DEFAULT_SAMPLE_MASK = 0xffffffffu;
constexpr UINT D3D11_APPEND_ALIGNED_ELEMENT = 0xffffffffu;
constexpr float D3D11_FLOAT32_MAX = 3.402823466e+38f;

constexpr HRESULT D3D11_ERROR_FILE_NOT_FOUND = MakeHresult(0x887C0002u);

enum D3D_DRIVER_TYPE : UINT {
    D3D_DRIVER_TYPE_UNKNOWN = 0,
    D3D_DRIVER_TYPE_HARDWARE = 1,
    D3D_DRIVER_TYPE_REFERENCE = 2,
    D3D_DRIVER_TYPE_NULL = 3,
    D3D_DRIVER_TYPE_SOFTWARE = 4,
    D3D_DRIVER_TYPE_WARP = 5,
};

enum D3D_FEATURE_LEVEL : UINT {
    D3D_FEATURE_LEVEL_9_1 = 0x9100,
    D3D_FEATURE_LEVEL_9_2 = 0x9200,
    D3D_FEATURE_LEVEL_9_3 = 0x9300,
    D3D_FEATURE_LEVEL_10_0 = 0xa000,
    D3D_FEATURE_LEVEL_10_1 = 0xa100,
    D3D_FEATURE_LEVEL_11_0 = 0xb000,
};

enum D3D11_CREATE_DEVICE_FLAG : UINT {
    D3D11_CREATE_DEVICE_SINGLETHREADED = 0x1,
    D3D11_CREATE_DEVICE_DEBUG = 0x2,
};

enum D3D11_USAGE : UINT {
    D3D11_USAGE_DEFAULT = 0,
    D3D11_USAGE_IMMUTABLE = 1,
    D3D11_USAGE_DYNAMIC = 2,
    D3D11_USAGE_STAGING = 3,
};

enum D3D11_BIND_FLAG : UINT {
    D3D11_BIND_VERTEX_BUFFER = 0x1,
    D3D11_BIND_INDEX_BUFFER = 0x2,
    D3D11_BIND_CONSTANT_BUFFER = 0x4,
    D3D11_BIND_SHADER_RESOURCE = 0x8,
    D3D11_BIND_STREAM_OUTPUT = 0x10,
    D3D11_BIND_RENDER_TARGET = 0x20,
    D3D11_BIND_DEPTH_STENCIL = 0x40,
    D3D11_BIND_UNORDERED_ACCESS = 0x80,
};

enum D3D11_CPU_ACCESS_FLAG : UINT {
    D3D11_CPU_ACCESS_WRITE = 0x10000,
    D3D11_CPU_ACCESS_READ = 0x20000,
};

enum D3D11_RESOURCE_MISC_FLAG : UINT {
    D3D11_RESOURCE_MISC_GENERATE_MIPS = 0x1,
    D3D11_RESOURCE_MISC_TEXTURECUBE = 0x4,
};

enum D3D11_MAP : UINT {
    D3D11_MAP_READ = 1,
    D3D11_MAP_WRITE = 2,
    D3D11_MAP_READ_WRITE = 3,
    D3D11_MAP_WRITE_DISCARD = 4,
    D3D11_MAP_WRITE_NO_OVERWRITE = 5,
};

enum D3D11_CLEAR_FLAG : UINT {
    D3D11_CLEAR_DEPTH = 0x1,
    D3D11_CLEAR_STENCIL = 0x2,
};

enum D3D11_RESOURCE_DIMENSION : UINT {
    D3D11_RESOURCE_DIMENSION_UNKNOWN = 0,
    D3D11_RESOURCE_DIMENSION_BUFFER = 1,
    D3D11_RESOURCE_DIMENSION_TEXTURE1D = 2,
    D3D11_RESOURCE_DIMENSION_TEXTURE2D = 3,
    D3D11_RESOURCE_DIMENSION_TEXTURE3D = 4,
};

enum D3D11_PRIMITIVE_TOPOLOGY : UINT {
    D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED = 0,
    D3D11_PRIMITIVE_TOPOLOGY_POINTLIST = 1,
    D3D11_PRIMITIVE_TOPOLOGY_LINELIST = 2,
    D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP = 3,
    D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST = 4,
    D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP = 5,
};
using D3D_PRIMITIVE_TOPOLOGY = D3D11_PRIMITIVE_TOPOLOGY;

enum D3D11_INPUT_CLASSIFICATION : UINT {
    D3D11_INPUT_PER_VERTEX_DATA = 0,
    D3D11_INPUT_PER_INSTANCE_DATA = 1,
};

enum D3D11_FILL_MODE : UINT { D3D11_FILL_WIREFRAME = 2, D3D11_FILL_SOLID = 3 };
enum D3D11_CULL_MODE : UINT { D3D11_CULL_NONE = 1, D3D11_CULL_FRONT = 2, D3D11_CULL_BACK = 3 };

enum D3D11_BLEND : UINT {
    D3D11_BLEND_ZERO = 1,
    D3D11_BLEND_ONE = 2,
    D3D11_BLEND_SRC_COLOR = 3,
    D3D11_BLEND_INV_SRC_COLOR = 4,
    D3D11_BLEND_SRC_ALPHA = 5,
    D3D11_BLEND_INV_SRC_ALPHA = 6,
    D3D11_BLEND_DEST_ALPHA = 7,
    D3D11_BLEND_INV_DEST_ALPHA = 8,
    D3D11_BLEND_DEST_COLOR = 9,
    D3D11_BLEND_INV_DEST_COLOR = 10,
    D3D11_BLEND_SRC_ALPHA_SAT = 11,
    D3D11_BLEND_BLEND_FACTOR = 14,
    D3D11_BLEND_INV_BLEND_FACTOR = 15,
};

enum D3D11_BLEND_OP : UINT {
    D3D11_BLEND_OP_ADD = 1,
    D3D11_BLEND_OP_SUBTRACT = 2,
    D3D11_BLEND_OP_REV_SUBTRACT = 3,
    D3D11_BLEND_OP_MIN = 4,
    D3D11_BLEND_OP_MAX = 5,
};

enum D3D11_COLOR_WRITE_ENABLE : UINT {
    D3D11_COLOR_WRITE_ENABLE_RED = 1,
    D3D11_COLOR_WRITE_ENABLE_GREEN = 2,
    D3D11_COLOR_WRITE_ENABLE_BLUE = 4,
    D3D11_COLOR_WRITE_ENABLE_ALPHA = 8,
    D3D11_COLOR_WRITE_ENABLE_ALL = 15,
};

enum D3D11_COMPARISON_FUNC : UINT {
    D3D11_COMPARISON_NEVER = 1,
    D3D11_COMPARISON_LESS = 2,
    D3D11_COMPARISON_EQUAL = 3,
    D3D11_COMPARISON_LESS_EQUAL = 4,
    D3D11_COMPARISON_GREATER = 5,
    D3D11_COMPARISON_NOT_EQUAL = 6,
    D3D11_COMPARISON_GREATER_EQUAL = 7,
    D3D11_COMPARISON_ALWAYS = 8,
};

enum D3D11_DEPTH_WRITE_MASK : UINT { D3D11_DEPTH_WRITE_MASK_ZERO = 0, D3D11_DEPTH_WRITE_MASK_ALL = 1 };

enum D3D11_STENCIL_OP : UINT {
    D3D11_STENCIL_OP_KEEP = 1,
    D3D11_STENCIL_OP_ZERO = 2,
    D3D11_STENCIL_OP_REPLACE = 3,
    D3D11_STENCIL_OP_INCR_SAT = 4,
    D3D11_STENCIL_OP_DECR_SAT = 5,
    D3D11_STENCIL_OP_INVERT = 6,
    D3D11_STENCIL_OP_INCR = 7,
    D3D11_STENCIL_OP_DECR = 8,
};

enum D3D11_FILTER : UINT {
    D3D11_FILTER_MIN_MAG_MIP_POINT = 0,
    D3D11_FILTER_MIN_MAG_POINT_MIP_LINEAR = 0x1,
    D3D11_FILTER_MIN_POINT_MAG_LINEAR_MIP_POINT = 0x4,
    D3D11_FILTER_MIN_POINT_MAG_MIP_LINEAR = 0x5,
    D3D11_FILTER_MIN_LINEAR_MAG_MIP_POINT = 0x10,
    D3D11_FILTER_MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x11,
    D3D11_FILTER_MIN_MAG_LINEAR_MIP_POINT = 0x14,
    D3D11_FILTER_MIN_MAG_MIP_LINEAR = 0x15,
    D3D11_FILTER_ANISOTROPIC = 0x55,
    D3D11_FILTER_COMPARISON_MIN_MAG_MIP_LINEAR = 0x95,
};

enum D3D11_TEXTURE_ADDRESS_MODE : UINT {
    D3D11_TEXTURE_ADDRESS_WRAP = 1,
    D3D11_TEXTURE_ADDRESS_MIRROR = 2,
    D3D11_TEXTURE_ADDRESS_CLAMP = 3,
    D3D11_TEXTURE_ADDRESS_BORDER = 4,
    D3D11_TEXTURE_ADDRESS_MIRROR_ONCE = 5,
};

enum D3D11_SRV_DIMENSION : UINT {
    D3D11_SRV_DIMENSION_UNKNOWN = 0,
    D3D11_SRV_DIMENSION_BUFFER = 1,
    D3D11_SRV_DIMENSION_TEXTURE2D = 4,
    D3D11_SRV_DIMENSION_TEXTURE2DARRAY = 5,
    D3D11_SRV_DIMENSION_TEXTURE3D = 8,
    D3D11_SRV_DIMENSION_TEXTURECUBE = 9,
};

enum D3D11_RTV_DIMENSION : UINT { D3D11_RTV_DIMENSION_UNKNOWN = 0, D3D11_RTV_DIMENSION_TEXTURE2D = 4 };
enum D3D11_DSV_DIMENSION : UINT { D3D11_DSV_DIMENSION_UNKNOWN = 0, D3D11_DSV_DIMENSION_TEXTURE2D = 3 };
enum D3D11_UAV_DIMENSION : UINT { D3D11_UAV_DIMENSION_UNKNOWN = 0, D3D11_UAV_DIMENSION_TEXTURE2D = 4 };

struct D3D11_BUFFER_DESC {
    UINT ByteWidth;
    D3D11_USAGE Usage;
    UINT BindFlags;
    UINT CPUAccessFlags;
    UINT MiscFlags;
    UINT StructureByteStride;
};

struct D3D11_SUBRESOURCE_DATA {
    const void* pSysMem;
    UINT SysMemPitch;
    UINT SysMemSlicePitch;
};

struct D3D11_MAPPED_SUBRESOURCE {
    void* pData;
    UINT RowPitch;
    UINT DepthPitch;
};

struct D3D11_TEXTURE2D_DESC {
    UINT Width;
    UINT Height;
    UINT MipLevels;
    UINT ArraySize;
    DXGI_FORMAT Format;
    DXGI_SAMPLE_DESC SampleDesc;
    D3D11_USAGE Usage;
    UINT BindFlags;
    UINT CPUAccessFlags;
    UINT MiscFlags;
};

struct D3D11_TEXTURE3D_DESC {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    DXGI_FORMAT Format;
    D3D11_USAGE Usage;
    UINT BindFlags;
    UINT CPUAccessFlags;
    UINT MiscFlags;
};

struct D3D11_BOX {
    UINT left, top, front, right, bottom, back;
};

struct D3D11_TEX2D_SRV {
    UINT MostDetailedMip;
    UINT MipLevels;
};
struct D3D11_TEX2D_ARRAY_SRV {
    UINT MostDetailedMip;
    UINT MipLevels;
    UINT FirstArraySlice;
    UINT ArraySize;
};
struct D3D11_TEX3D_SRV {
    UINT MostDetailedMip;
    UINT MipLevels;
};
struct D3D11_TEXCUBE_SRV {
    UINT MostDetailedMip;
    UINT MipLevels;
};
struct D3D11_SHADER_RESOURCE_VIEW_DESC {
    DXGI_FORMAT Format;
    D3D11_SRV_DIMENSION ViewDimension;
    union {
        D3D11_TEX2D_SRV Texture2D;
        D3D11_TEX2D_ARRAY_SRV Texture2DArray;
        D3D11_TEX3D_SRV Texture3D;
        D3D11_TEXCUBE_SRV TextureCube;
    };
};

struct D3D11_TEX2D_RTV {
    UINT MipSlice;
};
struct D3D11_RENDER_TARGET_VIEW_DESC {
    DXGI_FORMAT Format;
    D3D11_RTV_DIMENSION ViewDimension;
    union {
        D3D11_TEX2D_RTV Texture2D;
    };
};

struct D3D11_TEX2D_DSV {
    UINT MipSlice;
};
struct D3D11_DEPTH_STENCIL_VIEW_DESC {
    DXGI_FORMAT Format;
    D3D11_DSV_DIMENSION ViewDimension;
    UINT Flags;
    union {
        D3D11_TEX2D_DSV Texture2D;
    };
};

struct D3D11_TEX2D_UAV {
    UINT MipSlice;
};
struct D3D11_UNORDERED_ACCESS_VIEW_DESC {
    DXGI_FORMAT Format;
    D3D11_UAV_DIMENSION ViewDimension;
    union {
        D3D11_TEX2D_UAV Texture2D;
    };
};

struct D3D11_INPUT_ELEMENT_DESC {
    LPCSTR SemanticName;
    UINT SemanticIndex;
    DXGI_FORMAT Format;
    UINT InputSlot;
    UINT AlignedByteOffset;
    D3D11_INPUT_CLASSIFICATION InputSlotClass;
    UINT InstanceDataStepRate;
};

struct D3D11_RASTERIZER_DESC {
    D3D11_FILL_MODE FillMode;
    D3D11_CULL_MODE CullMode;
    BOOL FrontCounterClockwise;
    INT DepthBias;
    float DepthBiasClamp;
    float SlopeScaledDepthBias;
    BOOL DepthClipEnable;
    BOOL ScissorEnable;
    BOOL MultisampleEnable;
    BOOL AntialiasedLineEnable;
};

struct D3D11_RENDER_TARGET_BLEND_DESC {
    BOOL BlendEnable;
    D3D11_BLEND SrcBlend;
    D3D11_BLEND DestBlend;
    D3D11_BLEND_OP BlendOp;
    D3D11_BLEND SrcBlendAlpha;
    D3D11_BLEND DestBlendAlpha;
    D3D11_BLEND_OP BlendOpAlpha;
    UINT8 RenderTargetWriteMask;
};

struct D3D11_BLEND_DESC {
    BOOL AlphaToCoverageEnable;
    BOOL IndependentBlendEnable;
    D3D11_RENDER_TARGET_BLEND_DESC RenderTarget[8];
};

struct D3D11_DEPTH_STENCILOP_DESC {
    D3D11_STENCIL_OP StencilFailOp;
    D3D11_STENCIL_OP StencilDepthFailOp;
    D3D11_STENCIL_OP StencilPassOp;
    D3D11_COMPARISON_FUNC StencilFunc;
};

struct D3D11_DEPTH_STENCIL_DESC {
    BOOL DepthEnable;
    D3D11_DEPTH_WRITE_MASK DepthWriteMask;
    D3D11_COMPARISON_FUNC DepthFunc;
    BOOL StencilEnable;
    UINT8 StencilReadMask;
    UINT8 StencilWriteMask;
    D3D11_DEPTH_STENCILOP_DESC FrontFace;
    D3D11_DEPTH_STENCILOP_DESC BackFace;
};

struct D3D11_SAMPLER_DESC {
    D3D11_FILTER Filter;
    D3D11_TEXTURE_ADDRESS_MODE AddressU;
    D3D11_TEXTURE_ADDRESS_MODE AddressV;
    D3D11_TEXTURE_ADDRESS_MODE AddressW;
    float MipLODBias;
    UINT MaxAnisotropy;
    D3D11_COMPARISON_FUNC ComparisonFunc;
    float BorderColor[4];
    float MinLOD;
    float MaxLOD;
};

struct D3D11_VIEWPORT {
    float TopLeftX;
    float TopLeftY;
    float Width;
    float Height;
    float MinDepth;
    float MaxDepth;
};

inline constexpr IID IID_ID3D11Device = {0xdb6f6ddb, 0xac77, 0x4e88, {0x82, 0x53, 0x81, 0x9d, 0xf9, 0xbb, 0xf1, 0x40}};
inline constexpr IID IID_ID3D11DeviceContext = {
    0xc0bfa96c, 0xe089, 0x44fb, {0x8e, 0xaf, 0x26, 0xf8, 0x79, 0x61, 0x90, 0xda}};
inline constexpr IID IID_ID3D11DeviceChild = {
    0x1841e5c8, 0x16b0, 0x489b, {0xbc, 0xc8, 0x44, 0xcf, 0xb0, 0xd5, 0xde, 0xae}};
inline constexpr IID IID_ID3D11Resource = {
    0xdc8e63f3, 0xd12b, 0x4952, {0xb4, 0x7b, 0x5e, 0x45, 0x02, 0x6a, 0x86, 0x2d}};
inline constexpr IID IID_ID3D11Buffer = {0x48570b85, 0xd1ee, 0x4fcd, {0xa2, 0x50, 0xeb, 0x35, 0x07, 0x22, 0xb0, 0x37}};
inline constexpr IID IID_ID3D11Texture2D = {
    0x6f15aaf2, 0xd208, 0x4e89, {0x9a, 0xb4, 0x48, 0x95, 0x35, 0xd3, 0x4f, 0x9c}};
inline constexpr IID IID_ID3D11Texture3D = {
    0x037e866e, 0xf56d, 0x4357, {0xa8, 0xaf, 0x9d, 0xab, 0xbe, 0x6e, 0x25, 0x0e}};

// The private-data key of the name debuggers and GPU tools show for an object.
inline constexpr GUID WKPDID_D3DDebugObjectName = {
    0x429b8c22, 0x9188, 0x4b0c, {0x87, 0x42, 0xac, 0xb0, 0xbf, 0x85, 0xc2, 0x00}};

struct ID3D11Device;

struct ID3D11DeviceChild : IUnknown {
    virtual void GetDevice(ID3D11Device** ppDevice) = 0;
    virtual HRESULT GetPrivateData(REFGUID guid, UINT* pDataSize, void* pData) = 0;
    virtual HRESULT SetPrivateData(REFGUID guid, UINT DataSize, const void* pData) = 0;
    // Holds a reference to pData (null removes the entry), released when the object is destroyed.
    virtual HRESULT SetPrivateDataInterface(REFGUID guid, const IUnknown* pData) = 0;
};

// Named, nested groups of a context's calls, which GPU tools show as a tree (Direct3D 11.1;
// queried from the immediate context).
inline constexpr IID IID_ID3DUserDefinedAnnotation = {
    0xb2daad8b, 0x03d4, 0x4dbf, {0x95, 0xeb, 0x32, 0xab, 0x4b, 0x63, 0xd0, 0xab}};
struct ID3DUserDefinedAnnotation : IUnknown {
    virtual INT BeginEvent(LPCWSTR Name) = 0;
    virtual INT EndEvent() = 0;
    virtual void SetMarker(LPCWSTR Name) = 0;
    virtual BOOL GetStatus() = 0;
};

struct ID3D11Resource : ID3D11DeviceChild {
    virtual void GetType(D3D11_RESOURCE_DIMENSION* pResourceDimension) = 0;
};

struct ID3D11Buffer : ID3D11Resource {
    virtual void GetDesc(D3D11_BUFFER_DESC* pDesc) = 0;
};

struct ID3D11Texture2D : ID3D11Resource {
    virtual void GetDesc(D3D11_TEXTURE2D_DESC* pDesc) = 0;
};

struct ID3D11Texture3D : ID3D11Resource {
    virtual void GetDesc(D3D11_TEXTURE3D_DESC* pDesc) = 0;
};

struct ID3D11View : ID3D11DeviceChild {
    virtual void GetResource(ID3D11Resource** ppResource) = 0;
};

struct ID3D11ShaderResourceView : ID3D11View {
    virtual void GetDesc(D3D11_SHADER_RESOURCE_VIEW_DESC* pDesc) = 0;
};
struct ID3D11RenderTargetView : ID3D11View {
    virtual void GetDesc(D3D11_RENDER_TARGET_VIEW_DESC* pDesc) = 0;
};
struct ID3D11DepthStencilView : ID3D11View {
    virtual void GetDesc(D3D11_DEPTH_STENCIL_VIEW_DESC* pDesc) = 0;
};
struct ID3D11UnorderedAccessView : ID3D11View {
    virtual void GetDesc(D3D11_UNORDERED_ACCESS_VIEW_DESC* pDesc) = 0;
};

struct ID3D11VertexShader : ID3D11DeviceChild {};
struct ID3D11PixelShader : ID3D11DeviceChild {};
struct ID3D11ComputeShader : ID3D11DeviceChild {};
struct ID3D11GeometryShader : ID3D11DeviceChild {};
struct ID3D11ClassInstance : ID3D11DeviceChild {};
struct ID3D11ClassLinkage : IUnknown {};
struct ID3D11InputLayout : ID3D11DeviceChild {};

struct ID3D11RasterizerState : ID3D11DeviceChild {
    virtual void GetDesc(D3D11_RASTERIZER_DESC* pDesc) = 0;
};
struct ID3D11BlendState : ID3D11DeviceChild {
    virtual void GetDesc(D3D11_BLEND_DESC* pDesc) = 0;
};
struct ID3D11DepthStencilState : ID3D11DeviceChild {
    virtual void GetDesc(D3D11_DEPTH_STENCIL_DESC* pDesc) = 0;
};
struct ID3D11SamplerState : ID3D11DeviceChild {
    virtual void GetDesc(D3D11_SAMPLER_DESC* pDesc) = 0;
};

struct ID3D11DeviceContext : ID3D11DeviceChild {
    virtual void VSSetConstantBuffers(UINT StartSlot, UINT NumBuffers, ID3D11Buffer* const* ppConstantBuffers) = 0;
    virtual void PSSetShaderResources(UINT StartSlot, UINT NumViews,
                                      ID3D11ShaderResourceView* const* ppShaderResourceViews) = 0;
    virtual void PSSetShader(ID3D11PixelShader* pPixelShader, ID3D11ClassInstance* const* ppClassInstances,
                             UINT NumClassInstances) = 0;
    virtual void PSSetSamplers(UINT StartSlot, UINT NumSamplers, ID3D11SamplerState* const* ppSamplers) = 0;
    virtual void VSSetShader(ID3D11VertexShader* pVertexShader, ID3D11ClassInstance* const* ppClassInstances,
                             UINT NumClassInstances) = 0;
    virtual void DrawIndexed(UINT IndexCount, UINT StartIndexLocation, INT BaseVertexLocation) = 0;
    virtual void Draw(UINT VertexCount, UINT StartVertexLocation) = 0;
    virtual HRESULT Map(ID3D11Resource* pResource, UINT Subresource, D3D11_MAP MapType, UINT MapFlags,
                        D3D11_MAPPED_SUBRESOURCE* pMappedResource) = 0;
    virtual void Unmap(ID3D11Resource* pResource, UINT Subresource) = 0;
    virtual void PSSetConstantBuffers(UINT StartSlot, UINT NumBuffers, ID3D11Buffer* const* ppConstantBuffers) = 0;
    virtual void IASetInputLayout(ID3D11InputLayout* pInputLayout) = 0;
    virtual void IASetVertexBuffers(UINT StartSlot, UINT NumBuffers, ID3D11Buffer* const* ppVertexBuffers,
                                    const UINT* pStrides, const UINT* pOffsets) = 0;
    virtual void IASetIndexBuffer(ID3D11Buffer* pIndexBuffer, DXGI_FORMAT Format, UINT Offset) = 0;
    virtual void DrawIndexedInstanced(UINT IndexCountPerInstance, UINT InstanceCount, UINT StartIndexLocation,
                                      INT BaseVertexLocation, UINT StartInstanceLocation) = 0;
    virtual void DrawInstanced(UINT VertexCountPerInstance, UINT InstanceCount, UINT StartVertexLocation,
                               UINT StartInstanceLocation) = 0;
    virtual void VSSetShaderResources(UINT StartSlot, UINT NumViews,
                                      ID3D11ShaderResourceView* const* ppShaderResourceViews) = 0;
    virtual void VSSetSamplers(UINT StartSlot, UINT NumSamplers, ID3D11SamplerState* const* ppSamplers) = 0;
    virtual void IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY Topology) = 0;
    virtual void GSSetShader(ID3D11GeometryShader* pShader, ID3D11ClassInstance* const* ppClassInstances,
                             UINT NumClassInstances) = 0;
    virtual void OMSetRenderTargets(UINT NumViews, ID3D11RenderTargetView* const* ppRenderTargetViews,
                                    ID3D11DepthStencilView* pDepthStencilView) = 0;
    virtual void OMSetBlendState(ID3D11BlendState* pBlendState, const float BlendFactor[4], UINT SampleMask) = 0;
    virtual void OMSetDepthStencilState(ID3D11DepthStencilState* pDepthStencilState, UINT StencilRef) = 0;
    virtual void Dispatch(UINT ThreadGroupCountX, UINT ThreadGroupCountY, UINT ThreadGroupCountZ) = 0;
    virtual void RSSetState(ID3D11RasterizerState* pRasterizerState) = 0;
    virtual void RSSetViewports(UINT NumViewports, const D3D11_VIEWPORT* pViewports) = 0;
    virtual void CopyResource(ID3D11Resource* pDstResource, ID3D11Resource* pSrcResource) = 0;
    virtual void UpdateSubresource(ID3D11Resource* pDstResource, UINT DstSubresource, const D3D11_BOX* pDstBox,
                                   const void* pSrcData, UINT SrcRowPitch, UINT SrcDepthPitch) = 0;
    virtual void ClearRenderTargetView(ID3D11RenderTargetView* pRenderTargetView, const float ColorRGBA[4]) = 0;
    virtual void ClearDepthStencilView(ID3D11DepthStencilView* pDepthStencilView, UINT ClearFlags, float Depth,
                                       UINT8 Stencil) = 0;
    virtual void GenerateMips(ID3D11ShaderResourceView* pShaderResourceView) = 0;
    virtual void CSSetShaderResources(UINT StartSlot, UINT NumViews,
                                      ID3D11ShaderResourceView* const* ppShaderResourceViews) = 0;
    virtual void CSSetUnorderedAccessViews(UINT StartSlot, UINT NumUAVs,
                                           ID3D11UnorderedAccessView* const* ppUnorderedAccessViews,
                                           const UINT* pUAVInitialCounts) = 0;
    virtual void CSSetShader(ID3D11ComputeShader* pComputeShader, ID3D11ClassInstance* const* ppClassInstances,
                             UINT NumClassInstances) = 0;
    virtual void CSSetSamplers(UINT StartSlot, UINT NumSamplers, ID3D11SamplerState* const* ppSamplers) = 0;
    virtual void CSSetConstantBuffers(UINT StartSlot, UINT NumBuffers, ID3D11Buffer* const* ppConstantBuffers) = 0;
    virtual void ClearState() = 0;
    virtual void Flush() = 0;
};

struct ID3D11Device : IUnknown {
    virtual HRESULT CreateBuffer(const D3D11_BUFFER_DESC* pDesc, const D3D11_SUBRESOURCE_DATA* pInitialData,
                                 ID3D11Buffer** ppBuffer) = 0;
    virtual HRESULT CreateTexture2D(const D3D11_TEXTURE2D_DESC* pDesc, const D3D11_SUBRESOURCE_DATA* pInitialData,
                                    ID3D11Texture2D** ppTexture2D) = 0;
    virtual HRESULT CreateTexture3D(const D3D11_TEXTURE3D_DESC* pDesc, const D3D11_SUBRESOURCE_DATA* pInitialData,
                                    ID3D11Texture3D** ppTexture3D) = 0;
    virtual HRESULT CreateShaderResourceView(ID3D11Resource* pResource, const D3D11_SHADER_RESOURCE_VIEW_DESC* pDesc,
                                             ID3D11ShaderResourceView** ppSRView) = 0;
    virtual HRESULT CreateUnorderedAccessView(ID3D11Resource* pResource, const D3D11_UNORDERED_ACCESS_VIEW_DESC* pDesc,
                                              ID3D11UnorderedAccessView** ppUAView) = 0;
    virtual HRESULT CreateRenderTargetView(ID3D11Resource* pResource, const D3D11_RENDER_TARGET_VIEW_DESC* pDesc,
                                           ID3D11RenderTargetView** ppRTView) = 0;
    virtual HRESULT CreateDepthStencilView(ID3D11Resource* pResource, const D3D11_DEPTH_STENCIL_VIEW_DESC* pDesc,
                                           ID3D11DepthStencilView** ppDepthStencilView) = 0;
    virtual HRESULT CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* pInputElementDescs, UINT NumElements,
                                      const void* pShaderBytecodeWithInputSignature, SIZE_T BytecodeLength,
                                      ID3D11InputLayout** ppInputLayout) = 0;
    virtual HRESULT CreateVertexShader(const void* pShaderBytecode, SIZE_T BytecodeLength,
                                       ID3D11ClassLinkage* pClassLinkage, ID3D11VertexShader** ppVertexShader) = 0;
    virtual HRESULT CreatePixelShader(const void* pShaderBytecode, SIZE_T BytecodeLength,
                                      ID3D11ClassLinkage* pClassLinkage, ID3D11PixelShader** ppPixelShader) = 0;
    virtual HRESULT CreateComputeShader(const void* pShaderBytecode, SIZE_T BytecodeLength,
                                        ID3D11ClassLinkage* pClassLinkage, ID3D11ComputeShader** ppComputeShader) = 0;
    virtual HRESULT CreateBlendState(const D3D11_BLEND_DESC* pBlendStateDesc, ID3D11BlendState** ppBlendState) = 0;
    virtual HRESULT CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* pDepthStencilDesc,
                                            ID3D11DepthStencilState** ppDepthStencilState) = 0;
    virtual HRESULT CreateRasterizerState(const D3D11_RASTERIZER_DESC* pRasterizerDesc,
                                          ID3D11RasterizerState** ppRasterizerState) = 0;
    virtual HRESULT CreateSamplerState(const D3D11_SAMPLER_DESC* pSamplerDesc, ID3D11SamplerState** ppSamplerState) = 0;
    virtual HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT Format, UINT SampleCount, UINT* pNumQualityLevels) = 0;
    virtual D3D_FEATURE_LEVEL GetFeatureLevel() = 0;
    virtual void GetImmediateContext(ID3D11DeviceContext** ppImmediateContext) = 0;
};

HRESULT D3D11CreateDevice(IDXGIAdapter* pAdapter, D3D_DRIVER_TYPE DriverType, HMODULE Software, UINT Flags,
                          const D3D_FEATURE_LEVEL* pFeatureLevels, UINT FeatureLevels, UINT SDKVersion,
                          ID3D11Device** ppDevice, D3D_FEATURE_LEVEL* pFeatureLevel,
                          ID3D11DeviceContext** ppImmediateContext);
