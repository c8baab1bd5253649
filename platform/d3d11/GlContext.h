#pragma once
// The GL context of one device and what it can do: an EGL context when headless (on the first display
// of EglDisplays.h that gives one), an SDL GL context when windows are drawn into.
#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/d3d11/D3D11.h"

namespace d3dgl {

// Decided once, when the device is created.
struct Capabilities {
    int glMajor = 0, glMinor = 0;
    bool computeShaders = false, imageLoadStore = false, clipControl = false;
    // GL_EXT_texture_filter_anisotropic is there and safe to use (see GlContext.cpp).
    bool anisotropicFiltering = false;
    int maxCombinedTextureUnits = 0;
    int uniformBufferAlignment = 256;  // GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT
    // GL_KHR_parallel_shader_compile or GL_ARB_parallel_shader_compile: programs compile on the
    // driver's threads until their result is asked for.
    bool parallelShaderCompile = false;
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
    // Where the context came from: "EGL device 0 (software)", "SDL window system (x11)", ...
    const std::string& Platform() const { return platform; }
    // The debug output is on (SHOW_GL_DEBUG=1): the driver's messages reach stderr, and
    // annotations become debug groups.
    bool DebugOutput() const { return debugOutput; }
    // The feature level the device was created at (at most the context's).
    void LowerFeatureLevel(D3D_FEATURE_LEVEL level) { capabilities.featureLevel = level; }

private:
    bool CreateEgl();
    // On one EGL display; false with the reason when it gives no context.
    bool CreateEglOn(void* display, std::string& reason);
    bool CreateSdl();
    void ProbeCapabilities();

    Capabilities capabilities;
    std::string platform;
    bool debugOutput = false;
    void* eglDisplay = nullptr;
    void* eglContext = nullptr;
    void* eglSurface = nullptr;  // a 1x1 pbuffer, where the display has no surfaceless contexts
    void* sdlContext = nullptr;
    SDL_Window* hiddenWindow = nullptr;  // owned; the SDL context is current on it between presents
};

// GL errors, undefined behaviour and high-severity messages the debug output (SHOW_GL_DEBUG=1) has
// reported in this process, repeats included.
std::uint64_t GlDebugProblemCount();
// Messages of the driver's shader compiler (its warnings included, whatever their severity) the
// debug output has reported in this process, repeats included.
std::uint64_t GlShaderCompilerMessageCount();

// For failures of the environment (no display, no context), which are no rule of the API.
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace d3dgl
