#pragma once
// How the layer reaches the program's windows: the window layer registers a bridge from an HWND to
// the SDL window behind it, and hands the layer every SDL event (for Alt+Enter). Production wiring,
// set once at start-up by the application framework.
#include "platform/d3d11/D3D11.h"

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
