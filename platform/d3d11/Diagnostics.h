#pragma once
// Hooks for tests and tools: the live-object counter, the call trace of a context, reading a
// texture back, and the switches that help tell a layer bug from a rendering bug.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d11/D3D11.h"

// Number of device objects (devices, contexts, resources, views, states, shaders, layouts,
// swap chains and DXGI objects) alive in this process. Zero once everything has been released.
long D3D11LiveObjectCount();

// Starts recording the context's calls, one entry per call, e.g. "OMSetRenderTargets(2)" or
// "DrawIndexed(36,0,0)". Ending returns the entries and stops recording.
void D3D11BeginCallTrace(ID3D11DeviceContext* context);
std::vector<std::string> D3D11EndCallTrace(ID3D11DeviceContext* context);

// GL calls the context has issued (state translation, draws, clears, updates) since creation.
std::uint64_t D3D11GLCallCount(ID3D11DeviceContext* context);

// Reads one subresource as tightly packed rows, top row first (Direct3D's row order). Works for
// the 8-bit RGBA and 32-bit float RGBA formats; false otherwise.
bool D3D11ReadTexture(ID3D11Texture2D* texture, UINT mipLevel, UINT arraySlice, std::vector<std::uint8_t>& bytes);

struct D3D11DeviceOptions {
    // Reports at most this GL version when choosing the feature level (0 = no cap), so that the
    // refusal of a lesser device can be exercised on any machine. SHOW_GL_VERSION_CAP=33 does the same.
    int glVersionCap = 0;
    // Re-issues every GL state at every draw instead of skipping unchanged state.
    // SHOW_GL_STATE_CACHE=0 does the same.
    bool bypassStateCache = false;
};
// Applies to devices created afterwards.
void D3D11SetDeviceOptions(const D3D11DeviceOptions& options);

// The windowed path: the window layer registers how to reach the SDL window behind an HWND.
// With no bridge registered (or a null result), devices are headless and swap chains present nowhere.
struct SDL_Window;
struct D3D11WindowBridge {
    SDL_Window* (*windowFromHwnd)(HWND hwnd) = nullptr;
};
void D3D11SetWindowBridge(const D3D11WindowBridge* bridge);

// Alt+Enter toggles the fullscreen state of the windowed swap chain of the event's window, as DXGI
// does, unless the factory's MakeWindowAssociation asked for DXGI_MWA_NO_ALT_ENTER. The window layer
// hands every SDL event here (Win32SetSdlEventObserver). True when the event was used.
union SDL_Event;
bool D3D11HandleSdlEvent(const SDL_Event& event);
