#pragma once
// The DXGI subset the program uses: formats, swap-chain descriptions and the device → adapter →
// factory chain that creates the swap chain.
#include "platform/d3d11/ComBase.h"

enum DXGI_FORMAT : UINT {
    DXGI_FORMAT_UNKNOWN = 0,
    DXGI_FORMAT_R32G32B32A32_FLOAT = 2,
    DXGI_FORMAT_R32G32B32A32_UINT = 3,
    DXGI_FORMAT_R32G32B32A32_SINT = 4,
    DXGI_FORMAT_R32G32B32_FLOAT = 6,
    DXGI_FORMAT_R32G32B32_UINT = 7,
    DXGI_FORMAT_R32G32B32_SINT = 8,
    DXGI_FORMAT_R16G16B16A16_FLOAT = 10,
    DXGI_FORMAT_R32G32_FLOAT = 16,
    DXGI_FORMAT_R32G32_UINT = 17,
    DXGI_FORMAT_R32G32_SINT = 18,
    DXGI_FORMAT_D32_FLOAT_S8X24_UINT = 20,
    DXGI_FORMAT_R8G8B8A8_UNORM = 28,
    DXGI_FORMAT_R8G8B8A8_UNORM_SRGB = 29,
    DXGI_FORMAT_R8G8B8A8_UINT = 30,
    DXGI_FORMAT_D32_FLOAT = 40,
    DXGI_FORMAT_R32_FLOAT = 41,
    DXGI_FORMAT_R32_UINT = 42,
    DXGI_FORMAT_R32_SINT = 43,
    DXGI_FORMAT_D24_UNORM_S8_UINT = 45,
    DXGI_FORMAT_D16_UNORM = 55,
    DXGI_FORMAT_R16_UINT = 57,
    DXGI_FORMAT_BC1_UNORM = 71,
    DXGI_FORMAT_BC2_UNORM = 74,
    DXGI_FORMAT_BC3_UNORM = 77,
    DXGI_FORMAT_B8G8R8A8_UNORM = 87,
};

struct DXGI_RATIONAL {
    UINT Numerator;
    UINT Denominator;
};

enum DXGI_MODE_SCANLINE_ORDER : UINT {
    DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED = 0,
    DXGI_MODE_SCANLINE_ORDER_PROGRESSIVE = 1,
};

enum DXGI_MODE_SCALING : UINT {
    DXGI_MODE_SCALING_UNSPECIFIED = 0,
    DXGI_MODE_SCALING_CENTERED = 1,
    DXGI_MODE_SCALING_STRETCHED = 2,
};

struct DXGI_MODE_DESC {
    UINT Width;
    UINT Height;
    DXGI_RATIONAL RefreshRate;
    DXGI_FORMAT Format;
    DXGI_MODE_SCANLINE_ORDER ScanlineOrdering;
    DXGI_MODE_SCALING Scaling;
};

struct DXGI_SAMPLE_DESC {
    UINT Count;
    UINT Quality;
};

using DXGI_USAGE = UINT;
constexpr DXGI_USAGE DXGI_USAGE_SHADER_INPUT = 0x10;
constexpr DXGI_USAGE DXGI_USAGE_RENDER_TARGET_OUTPUT = 0x20;

enum DXGI_SWAP_EFFECT : UINT {
    DXGI_SWAP_EFFECT_DISCARD = 0,
    DXGI_SWAP_EFFECT_SEQUENTIAL = 1,
};

struct DXGI_SWAP_CHAIN_DESC {
    DXGI_MODE_DESC BufferDesc;
    DXGI_SAMPLE_DESC SampleDesc;
    DXGI_USAGE BufferUsage;
    UINT BufferCount;
    HWND OutputWindow;
    BOOL Windowed;
    DXGI_SWAP_EFFECT SwapEffect;
    UINT Flags;
};

constexpr UINT DXGI_MWA_NO_ALT_ENTER = 0x2;

constexpr HRESULT DXGI_STATUS_OCCLUDED = 0x087A0001;
constexpr HRESULT DXGI_ERROR_INVALID_CALL = MakeHresult(0x887A0001u);
constexpr HRESULT DXGI_ERROR_NOT_FOUND = MakeHresult(0x887A0002u);
constexpr HRESULT DXGI_ERROR_MORE_DATA = MakeHresult(0x887A0003u);
constexpr HRESULT DXGI_ERROR_UNSUPPORTED = MakeHresult(0x887A0004u);
constexpr HRESULT DXGI_ERROR_DEVICE_REMOVED = MakeHresult(0x887A0005u);

inline constexpr IID IID_IDXGIObject = {0xaec22fb8, 0x76f3, 0x4639, {0x9b, 0xe0, 0x28, 0xeb, 0x43, 0xa6, 0x7a, 0x2e}};
inline constexpr IID IID_IDXGIDevice = {0x54ec77fa, 0x1377, 0x44e6, {0x8c, 0x32, 0x88, 0xfd, 0x5f, 0x44, 0xc8, 0x4c}};
inline constexpr IID IID_IDXGIAdapter = {0x2411e7e1, 0x12ac, 0x4ccf, {0xbd, 0x14, 0x97, 0x98, 0xe8, 0x53, 0x4d, 0xc0}};
inline constexpr IID IID_IDXGIFactory = {0x7b7166ec, 0x21c7, 0x44ae, {0xb2, 0x1a, 0xc9, 0xae, 0x32, 0x1a, 0xe3, 0x69}};
inline constexpr IID IID_IDXGISwapChain = {
    0x310d36a0, 0xd2e7, 0x4c0a, {0xaa, 0x04, 0x6a, 0x9d, 0x23, 0xb8, 0x88, 0x6a}};

struct IDXGIObject : IUnknown {
    virtual HRESULT GetParent(REFIID riid, void** ppParent) = 0;
};

struct IDXGIAdapter : IDXGIObject {};

struct IDXGIDevice : IDXGIObject {
    virtual HRESULT GetAdapter(IDXGIAdapter** pAdapter) = 0;
};

struct IDXGISwapChain : IDXGIObject {
    virtual HRESULT Present(UINT SyncInterval, UINT Flags) = 0;
    virtual HRESULT GetBuffer(UINT Buffer, REFIID riid, void** ppSurface) = 0;
    virtual HRESULT SetFullscreenState(BOOL Fullscreen, void* pTarget) = 0;
    virtual HRESULT GetDesc(DXGI_SWAP_CHAIN_DESC* pDesc) = 0;
    virtual HRESULT ResizeBuffers(UINT BufferCount, UINT Width, UINT Height, DXGI_FORMAT NewFormat,
                                  UINT SwapChainFlags) = 0;
};

struct IDXGIFactory : IDXGIObject {
    virtual HRESULT MakeWindowAssociation(HWND WindowHandle, UINT Flags) = 0;
    virtual HRESULT CreateSwapChain(IUnknown* pDevice, DXGI_SWAP_CHAIN_DESC* pDesc, IDXGISwapChain** ppSwapChain) = 0;
};
