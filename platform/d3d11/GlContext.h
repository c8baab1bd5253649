#pragma once
// The GL context of one device and what it can do: EGL on Mesa's surfaceless platform when headless,
// an SDL GL context when windows are drawn into.
#include <SDL.h>

#include "platform/d3d11/D3D11.h"

namespace d3dgl {

// Decided once, when the device is created.
struct Capabilities {
    int glMajor = 0, glMinor = 0;
    bool computeShaders = false, imageLoadStore = false, clipControl = false;
    // GL_EXT_texture_filter_anisotropic is there and safe to use (see GlContext.cpp).
    bool anisotropicFiltering = false;
    int maxCombinedTextureUnits = 0;
    D3D_FEATURE_LEVEL featureLevel = D3D_FEATURE_LEVEL_9_1;
};

class GlContext {
public:
    GlContext() = default;
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;
    ~GlContext() { Destroy(); }

    // Windowed when asked and possible, headless otherwise; false (with a message) when no context
    // could be made. Leaves the context current and its capabilities probed.
    bool Create(bool windowed);
    void Destroy();

    // True when the context is current. `switched` is set when another context was current before,
    // so that whatever remembered GL state must forget it.
    bool MakeCurrent(bool& switched);
    // Makes the context current on the window a swap chain presents to.
    bool AttachWindow(SDL_Window* window, bool& switched);

    const Capabilities& Caps() const { return capabilities; }
    // The feature level the device was created at (at most the context's).
    void LowerFeatureLevel(D3D_FEATURE_LEVEL level) { capabilities.featureLevel = level; }

private:
    bool CreateEgl();
    bool CreateSdl();
    void ProbeCapabilities();

    Capabilities capabilities;
    void* eglDisplay = nullptr;
    void* eglContext = nullptr;
    void* sdlContext = nullptr;
    SDL_Window* hiddenWindow = nullptr;  // owned; the SDL context is current on it between presents
};

// For failures of the environment (no display, no context), which are no rule of the API.
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace d3dgl
