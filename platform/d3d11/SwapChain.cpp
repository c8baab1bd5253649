// DXGI: the factory, adapter and DXGI device a program walks to reach the swap chain, and the swap
// chain itself, which presents the back buffer into its window (or keeps it, headless).
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform/d3d11/DXGI.h"
#include "platform/d3d11/DeviceObjects.h"
#include "platform/d3d11/DeviceOptions.h"

namespace d3dgl {

namespace {

class SwapChainImpl;
// Windowed swap chains, for Alt+Enter, and the windows that asked DXGI to leave Alt+Enter alone.
std::vector<SwapChainImpl*> windowedChains;
std::vector<HWND> noAltEnter;

class SwapChainImpl final : public ComObject<IDXGISwapChain> {
public:
    SwapChainImpl(DeviceImpl* device, const DXGI_SWAP_CHAIN_DESC& desc, SDL_Window* window)
        : device(device),
          chainDesc(desc),
          windowId(window != nullptr ? SDL_GetWindowID(window) : 0)
    {
        if (windowId != 0) {
            windowedChains.push_back(this);
        }
    }
    ~SwapChainImpl() override
    {
        if (SDL_Window* window = Window(); window != nullptr && isFullscreen) {
            SDL_SetWindowFullscreen(window, 0);
        }
        std::erase(windowedChains, this);
    }
    // Looked up by id each time: the window may be destroyed before the swap chain is released.
    SDL_Window* Window() const { return windowId != 0 ? SDL_GetWindowFromID(windowId) : nullptr; }
    std::uint32_t WindowId() const { return windowId; }
    HWND OutputWindow() const { return chainDesc.OutputWindow; }
    bool Fullscreen() const { return isFullscreen; }
    IUnknown* Cast(REFIID riid) override
    {
        return riid == IID_IDXGISwapChain || riid == IID_IDXGIObject ? this : nullptr;
    }

    HRESULT CreateBackBuffer(UINT width, UINT height)
    {
        D3D11_TEXTURE2D_DESC td{};
        td.Width = std::max(1u, width);
        td.Height = std::max(1u, height);
        td.MipLevels = 1;
        td.ArraySize = 1;
        td.Format = chainDesc.BufferDesc.Format;
        td.SampleDesc = {1, 0};
        td.Usage = D3D11_USAGE_DEFAULT;
        td.BindFlags = D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE;
        ID3D11Texture2D* texture = nullptr;
        const HRESULT hr = device->CreateTexture2D(&td, nullptr, &texture);
        if (FAILED(hr)) {
            return hr;
        }
        backBuffer = ComPtr<TextureImpl>::Adopt(static_cast<TextureImpl*>(texture));
        chainDesc.BufferDesc.Width = td.Width;
        chainDesc.BufferDesc.Height = td.Height;
        return S_OK;
    }

    HRESULT GetParent(REFIID riid, void** out) override;

    HRESULT Present(UINT syncInterval, UINT) override
    {
        DeviceCore& core = *device->Core();
        if (windowId == 0) {  // headless: the frame stays in the back buffer
            if (core.MakeCurrent()) {
                core.gl.Flush();
            }
            return S_OK;
        }
        SDL_Window* window = Window();
        if (window == nullptr) {
            return DXGI_ERROR_INVALID_CALL;  // the output window is gone
        }
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) {
            return DXGI_STATUS_OCCLUDED;
        }
        if (!core.AttachWindow(window)) {
            return DXGI_ERROR_DEVICE_REMOVED;
        }
        if (swapInterval != static_cast<int>(syncInterval)) {
            SDL_GL_SetSwapInterval(syncInterval > 0 ? 1 : 0);
            swapInterval = static_cast<int>(syncInterval);
        }
        Framebuffers::Attachments attachments;
        attachments.colors[0] = backBuffer->name;
        const GLuint source = core.framebuffers.For(attachments);
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window, &w, &h);
        // Row 0 of our textures is the top of the picture; the window's row 0 is its bottom.
        core.gl.BlitToWindow(source, static_cast<GLint>(backBuffer->desc.Width),
                             static_cast<GLint>(backBuffer->desc.Height), w, h);
        SDL_GL_SwapWindow(window);
        return S_OK;
    }

    HRESULT GetBuffer(UINT index, REFIID riid, void** out) override
    {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (index != 0 || !backBuffer) {
            return DXGI_ERROR_INVALID_CALL;
        }
        return backBuffer->QueryInterface(riid, out);
    }

    HRESULT SetFullscreenState(BOOL fullscreen, void*) override
    {
        SDL_Window* window = Window();
        if (window == nullptr) {
            return DXGI_ERROR_UNSUPPORTED;
        }
        if (SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
            return DXGI_ERROR_UNSUPPORTED;
        }
        isFullscreen = fullscreen != 0;
        return S_OK;
    }

    HRESULT GetDesc(DXGI_SWAP_CHAIN_DESC* out) override
    {
        if (out == nullptr) {
            return E_INVALIDARG;
        }
        *out = chainDesc;
        out->Windowed = isFullscreen ? FALSE : TRUE;
        return S_OK;
    }

    HRESULT ResizeBuffers(UINT count, UINT width, UINT height, DXGI_FORMAT format, UINT) override
    {
        if (Verdict broken = CheckResize(count, format)) {
            Report(*broken);
            return DXGI_ERROR_INVALID_CALL;
        }
        if (format != DXGI_FORMAT_UNKNOWN) {
            chainDesc.BufferDesc.Format = format;
        }
        // Zero means "the window's size", as in DXGI; headless, it keeps the current size.
        if (SDL_Window* window = Window(); (width == 0 || height == 0) && window != nullptr) {
            int w = 0, h = 0;
            SDL_GL_GetDrawableSize(window, &w, &h);
            if (width == 0) {
                width = static_cast<UINT>(std::max(w, 1));
            }
            if (height == 0) {
                height = static_cast<UINT>(std::max(h, 1));
            }
        }
        if (width == 0) {
            width = chainDesc.BufferDesc.Width;
        }
        if (height == 0) {
            height = chainDesc.BufferDesc.Height;
        }
        // Refused before anything is allocated; a window larger than the device can draw keeps
        // showing its last picture at the old size.
        if (Verdict broken = CheckResizeSize(width, height)) {
            Report(*broken);
            return DXGI_ERROR_INVALID_CALL;
        }
        // The old back buffer lives on while the caller still holds views of it.
        return CreateBackBuffer(width, height);
    }

private:
    ComPtr<DeviceImpl> device;
    DXGI_SWAP_CHAIN_DESC chainDesc;
    std::uint32_t windowId;
    ComPtr<TextureImpl> backBuffer;
    int swapInterval = -1;
    bool isFullscreen = false;
};

class FactoryImpl final : public ComObject<IDXGIFactory> {
public:
    IUnknown* Cast(REFIID riid) override
    {
        return riid == IID_IDXGIFactory || riid == IID_IDXGIObject ? this : nullptr;
    }
    HRESULT GetParent(REFIID, void** out) override
    {
        if (out != nullptr) {
            *out = nullptr;
        }
        return E_NOINTERFACE;
    }
    HRESULT MakeWindowAssociation(HWND window, UINT flags) override
    {
        std::erase(noAltEnter, window);
        if ((flags & DXGI_MWA_NO_ALT_ENTER) != 0 && window != nullptr) {
            noAltEnter.push_back(window);
        }
        return S_OK;
    }
    HRESULT CreateSwapChain(IUnknown* deviceUnknown, DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** out) override
    {
        if (out != nullptr) {
            *out = nullptr;
        }
        if (Verdict broken = CheckSwapChain(desc, deviceUnknown != nullptr, out != nullptr)) {
            Report(*broken);
            return DXGI_ERROR_INVALID_CALL;
        }
        ID3D11Device* d3dDevice = nullptr;
        if (FAILED(deviceUnknown->QueryInterface(IID_ID3D11Device, reinterpret_cast<void**>(&d3dDevice)))) {
            return DXGI_ERROR_INVALID_CALL;
        }
        auto* device = static_cast<DeviceImpl*>(d3dDevice);
        const auto hold = ComPtr<DeviceImpl>::Adopt(device);
        SDL_Window* window = nullptr;
        if (WindowBridge().windowFromHwnd != nullptr && desc->OutputWindow != nullptr) {
            window = WindowBridge().windowFromHwnd(desc->OutputWindow);
            if (window != nullptr && !device->Core()->AttachWindow(window)) {
                return DXGI_ERROR_INVALID_CALL;
            }
        }
        UINT width = desc->BufferDesc.Width, height = desc->BufferDesc.Height;
        if ((width == 0 || height == 0) && window != nullptr) {
            int w = 0, h = 0;
            SDL_GL_GetDrawableSize(window, &w, &h);
            width = width ? width : static_cast<UINT>(w);
            height = height ? height : static_cast<UINT>(h);
        }
        auto* chain = new SwapChainImpl(device, *desc, window);
        const HRESULT hr = chain->CreateBackBuffer(width, height);
        if (FAILED(hr)) {
            chain->Release();
            return hr;
        }
        *out = chain;
        return S_OK;
    }
};

class AdapterImpl final : public ComObject<IDXGIAdapter> {
public:
    IUnknown* Cast(REFIID riid) override
    {
        return riid == IID_IDXGIAdapter || riid == IID_IDXGIObject ? this : nullptr;
    }
    HRESULT GetParent(REFIID riid, void** out) override
    {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (!(riid == IID_IDXGIFactory)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IDXGIFactory*>(new FactoryImpl());
        return S_OK;
    }
};

class DxgiDeviceImpl final : public ComObject<IDXGIDevice> {
public:
    explicit DxgiDeviceImpl(DeviceImpl* device) : device(device) {}
    IUnknown* Cast(REFIID riid) override
    {
        if (riid == IID_IDXGIDevice || riid == IID_IDXGIObject) {
            return this;
        }
        if (riid == IID_ID3D11Device) {
            return device.Get();
        }
        return nullptr;
    }
    HRESULT GetParent(REFIID riid, void** out) override
    {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (!(riid == IID_IDXGIAdapter)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IDXGIAdapter*>(new AdapterImpl());
        return S_OK;
    }
    HRESULT GetAdapter(IDXGIAdapter** out) override
    {
        return GetParent(IID_IDXGIAdapter, reinterpret_cast<void**>(out));
    }

private:
    ComPtr<DeviceImpl> device;
};

}  // namespace

HRESULT SwapChainImpl::GetParent(REFIID riid, void** out)
{
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (!(riid == IID_IDXGIFactory)) {
        return E_NOINTERFACE;
    }
    *out = static_cast<IDXGIFactory*>(new FactoryImpl());
    return S_OK;
}

ComPtr<IDXGIDevice> MakeDxgiDevice(DeviceImpl* device)
{
    return ComPtr<IDXGIDevice>::Adopt(new DxgiDeviceImpl(device));
}

}  // namespace d3dgl

using namespace d3dgl;

bool D3D11HandleSdlEvent(const SDL_Event& event)
{
    if (event.type != SDL_KEYDOWN || event.key.repeat != 0 || event.key.keysym.sym != SDLK_RETURN ||
        (event.key.keysym.mod & KMOD_ALT) == 0) {
        return false;
    }
    for (SwapChainImpl* chain : windowedChains) {
        if (chain->WindowId() != event.key.windowID) {
            continue;
        }
        if (std::find(noAltEnter.begin(), noAltEnter.end(), chain->OutputWindow()) != noAltEnter.end()) {
            return false;
        }
        return SUCCEEDED(chain->SetFullscreenState(chain->Fullscreen() ? FALSE : TRUE, nullptr));
    }
    return false;
}
