#include "platform/d3d11/GlContext.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/d3d11/DeviceOptions.h"

namespace d3dgl {

namespace {

// The context current on this thread, so that making it current again costs nothing.
const GlContext* current = nullptr;

#ifndef NDEBUG
void GLAPIENTRY DebugOutput(GLenum, GLenum type, GLuint, GLenum severity, GLsizei, const GLchar* message, const void*)
{
    // Errors and undefined behaviour only: Mesa's portability notes fire on every separable pipeline.
    if (type != GL_DEBUG_TYPE_ERROR && type != GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR && severity != GL_DEBUG_SEVERITY_HIGH) {
        return;
    }
    std::fprintf(stderr, "GL debug: %s\n", message);
}
#endif

int EnvInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

bool HasExtension(const char* list, const char* name)
{
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name)) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) {
            return true;
        }
    }
    return false;
}

// Mesa's CPU rasterizers (llvmpipe, and lavapipe under zink; both name llvmpipe in their renderer
// string; seen with Mesa 22.3) filter anisotropically by averaging over the texel bounding box of the
// pixel's footprint, with no bound on its size. On a nearly edge-on triangle the footprint of the
// pixels beside the covered one can span a hundred thousand texels each way, and one draw then runs
// for hours (tests/driver-bugs/llvmpipe-aniso-hang). They get trilinear filtering instead, which
// differs from theirs by a few levels at grazing angles and is far faster.
bool HasUnboundedAnisotropicFilter(const char* renderer)
{
    return renderer != nullptr && std::strstr(renderer, "llvmpipe") != nullptr;
}

}  // namespace

void LogError(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fputs("d3d11: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

bool GlContext::Create(bool windowed)
{
    if (windowed && !CreateSdl()) {
        Destroy();
        LogError("no OpenGL context for windows; rendering headless instead");
    }
    if (sdlContext == nullptr && !CreateEgl()) {
        return false;
    }
    current = this;
    ProbeCapabilities();
#ifndef NDEBUG
    if (capabilities.glMajor * 10 + capabilities.glMinor >= 43) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(DebugOutput, nullptr);
    }
#endif
    if (capabilities.featureLevel >= D3D_FEATURE_LEVEL_11_0) {
        // Direct3D's conventions: top-left origin, depth 0..1. Every render target is a texture, so
        // row 0 of a texture is the top row of the picture, as in Direct3D.
        glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
        glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
    }
    return true;
}

bool GlContext::CreateEgl()
{
    // Mesa's surfaceless platform needs no display server or device node; other drivers get their
    // default display, used without surfaces as well.
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EGLDisplay display = EGL_NO_DISPLAY;
    if (HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    }
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
            LogError("no headless EGL display: error 0x%x", eglGetError());
            return false;
        }
    }
    eglDisplay = display;
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context")) {
        LogError("the EGL display cannot make a context current without a surface");
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return false;
    }
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) {
            LogError("no OpenGL-capable EGL configuration");
            return false;
        }
    }
    // 4.5 for the full layer; 3.3 only so that a lesser driver is reported as such and refused.
    for (const auto& [major, minor] : {std::pair{4, 5}, std::pair{3, 3}}) {
        const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                     major,
                                     EGL_CONTEXT_MINOR_VERSION,
                                     minor,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
#ifndef NDEBUG
                                     EGL_CONTEXT_OPENGL_DEBUG,
                                     EGL_TRUE,
#endif
                                     EGL_NONE};
        EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
        if (context != EGL_NO_CONTEXT) {
            eglContext = context;
            return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
        }
    }
    LogError("no OpenGL 3.3 or later core context on the headless EGL display");
    return false;
}

bool GlContext::CreateSdl()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
#ifndef NDEBUG
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_DEBUG_FLAG);
#endif
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // A context needs a window; the swap chain later makes it current on the real one.
    hiddenWindow = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (hiddenWindow == nullptr) {
        LogError("cannot create an OpenGL window: %s", SDL_GetError());
        return false;
    }
    for (const auto& [major, minor] : {std::pair{4, 5}, std::pair{3, 3}}) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
        sdlContext = SDL_GL_CreateContext(hiddenWindow);
        if (sdlContext != nullptr) {
            return SDL_GL_MakeCurrent(hiddenWindow, sdlContext) == 0;
        }
    }
    LogError("no OpenGL 3.3 or later core context: %s", SDL_GetError());
    return false;
}

void GlContext::ProbeCapabilities()
{
    Capabilities& caps = capabilities;
    glGetIntegerv(GL_MAJOR_VERSION, &caps.glMajor);
    glGetIntegerv(GL_MINOR_VERSION, &caps.glMinor);
    int version = caps.glMajor * 10 + caps.glMinor;
    const int cap = DeviceOptions().glVersionCap > 0 ? DeviceOptions().glVersionCap : EnvInt("SHOW_GL_VERSION_CAP", 0);
    if (cap > 0 && version > cap) {
        version = cap;
    }
    caps.computeShaders = version >= 43 || epoxy_has_gl_extension("GL_ARB_compute_shader");
    caps.imageLoadStore = version >= 42 || epoxy_has_gl_extension("GL_ARB_shader_image_load_store");
    caps.clipControl = version >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    if (cap > 0) {  // a capped device must not claim extensions beyond its version either
        caps.computeShaders = version >= 43;
        caps.imageLoadStore = version >= 42;
        caps.clipControl = version >= 45;
    }
    glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &caps.maxCombinedTextureUnits);
    caps.anisotropicFiltering = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") &&
                                !HasUnboundedAnisotropicFilter(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    if (version >= 45 && caps.computeShaders && caps.imageLoadStore && caps.clipControl) {
        caps.featureLevel = D3D_FEATURE_LEVEL_11_0;
    } else if (version >= 40) {
        caps.featureLevel = D3D_FEATURE_LEVEL_10_1;
    } else if (version >= 33) {
        caps.featureLevel = D3D_FEATURE_LEVEL_10_0;
    } else {
        caps.featureLevel = D3D_FEATURE_LEVEL_9_3;
    }
}

bool GlContext::MakeCurrent(bool& switched)
{
    switched = false;
    // A window's destruction takes the context off it behind our back; the hidden window we own is
    // always there to make it current on again.
    if (current == this && (sdlContext == nullptr || SDL_GL_GetCurrentContext() == sdlContext)) {
        return true;
    }
    bool ok = false;
    if (eglContext != nullptr) {
        ok = eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext) == EGL_TRUE;
    } else if (sdlContext != nullptr) {
        ok = SDL_GL_MakeCurrent(hiddenWindow, sdlContext) == 0;
    }
    if (ok) {
        current = this;
        switched = true;  // another context may have run in between
    }
    return ok;
}

bool GlContext::AttachWindow(SDL_Window* window, bool& switched)
{
    switched = false;
    if (sdlContext == nullptr || window == nullptr) {
        return false;
    }
    if (SDL_GL_GetCurrentWindow() == window && SDL_GL_GetCurrentContext() == sdlContext) {
        return true;
    }
    if (SDL_GL_MakeCurrent(window, sdlContext) != 0) {
        LogError("cannot draw into the window: %s", SDL_GetError());
        return false;
    }
    switched = current != this;
    current = this;
    return true;
}

void GlContext::Destroy()
{
    if (current == this) {
        current = nullptr;
    }
    if (eglDisplay != nullptr) {
        eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (eglContext != nullptr) {
            eglDestroyContext(eglDisplay, eglContext);
        }
        // The display is shared by every device of the process; terminating it would pull it from
        // under a second device.
        eglContext = nullptr;
        eglDisplay = nullptr;
    }
    if (sdlContext != nullptr) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(sdlContext);
        sdlContext = nullptr;
    }
    if (hiddenWindow != nullptr) {
        SDL_DestroyWindow(hiddenWindow);
        hiddenWindow = nullptr;
    }
}

}  // namespace d3dgl
