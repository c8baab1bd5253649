#include "platform/d3d11/GlContext.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/d3d11/DeviceOptions.h"
#include "platform/d3d11/EglDisplays.h"

namespace d3dgl {

namespace {

// The context current on this thread, so that making it current again costs nothing.
const GlContext* current = nullptr;

int EnvInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

// SHOW_GL_DEBUG=1 asks for a debug context whose every message reaches stderr. Asked for, not
// implied by a debug build: the drivers' notes would change what every program prints.
bool GlDebugRequested()
{
    return EnvInt("SHOW_GL_DEBUG", 0) != 0;
}

const char* DebugSeverityName(GLenum severity)
{
    switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH: return "high";
    case GL_DEBUG_SEVERITY_MEDIUM: return "medium";
    case GL_DEBUG_SEVERITY_LOW: return "low";
    default: return "note";
    }
}

const char* DebugTypeName(GLenum type)
{
    switch (type) {
    case GL_DEBUG_TYPE_ERROR: return "error";
    case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR: return "deprecated";
    case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR: return "undefined behaviour";
    case GL_DEBUG_TYPE_PORTABILITY: return "portability";
    case GL_DEBUG_TYPE_PERFORMANCE: return "performance";
    case GL_DEBUG_TYPE_MARKER: return "marker";
    case GL_DEBUG_TYPE_PUSH_GROUP: return "push group";
    case GL_DEBUG_TYPE_POP_GROUP: return "pop group";
    default: return "other";
    }
}

// Errors, undefined behaviour and high-severity messages seen so far (every one, repeats included).
std::atomic<std::uint64_t> debugProblems{0};
// Messages of the shader compiler, of any severity: the warnings about our GLSL.
std::atomic<std::uint64_t> shaderCompilerMessages{0};

// Every message of every severity, each distinct one once: drivers repeat theirs on every draw.
// The output is synchronous, so this runs on the thread that made the call.
void GLAPIENTRY PrintDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                                  const GLchar* message, const void*)
{
    if (source == GL_DEBUG_SOURCE_APPLICATION) {
        return;  // our own groups and markers
    }
    if (type == GL_DEBUG_TYPE_ERROR || type == GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR || severity == GL_DEBUG_SEVERITY_HIGH) {
        ++debugProblems;
    }
    if (source == GL_DEBUG_SOURCE_SHADER_COMPILER) {
        ++shaderCompilerMessages;
    }
    static std::mutex mutex;
    static std::set<std::tuple<GLenum, GLenum, GLuint, std::string>> seen;
    const std::string text = length >= 0 ? std::string(message, static_cast<std::size_t>(length))
                                         : std::string(message);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!seen.emplace(source, type, id, text).second) {
            return;
        }
    }
    std::fprintf(stderr, "GL debug (%s, %s): %s\n", DebugSeverityName(severity), DebugTypeName(type), text.c_str());
}

const char* GlString(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "?";
}

// A name in a list of names separated by spaces.
bool HasExtensionIn(const char* list, const char* name)
{
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name)) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) {
            return true;
        }
    }
    return false;
}

// An EGL extension in the list, unless the device options hide it (to try the paths of an EGL
// without it).
bool HasExtension(const char* list, const char* name)
{
    if (list == nullptr || HasExtensionIn(DeviceOptions().hiddenEglExtensions.c_str(), name)) {
        return false;
    }
    return HasExtensionIn(list, name);
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

std::uint64_t GlDebugProblemCount()
{
    return debugProblems;
}

std::uint64_t GlShaderCompilerMessageCount()
{
    return shaderCompilerMessages;
}

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
    if (GlDebugRequested() &&
        (capabilities.glMajor * 10 + capabilities.glMinor >= 43 || epoxy_has_gl_extension("GL_KHR_debug"))) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(PrintDebugMessage, nullptr);
        glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
        debugOutput = true;
    }
    if (EnvInt("SHOW_GL_INFO", 0) != 0) {
        std::fprintf(stderr, "GL: %s; %s; OpenGL %s; on the %s\n", GlString(GL_VENDOR), GlString(GL_RENDERER),
                     GlString(GL_VERSION), platform.c_str());
    }
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

namespace {

// EGL_DRM_RENDER_NODE_FILE_EXT (EGL_EXT_device_drm_render_node), newer than libepoxy 1.5.10's headers.
constexpr EGLint kDrmRenderNodeFile = 0x3377;

// What this EGL library offers for choosing a display, with the devices it enumerates.
EglClient QueryClient(std::vector<EGLDeviceEXT>& handles)
{
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EglClient client;
    client.platformDisplays = HasExtension(extensions, "EGL_EXT_platform_base");
    client.surfacelessPlatform = HasExtension(extensions, "EGL_MESA_platform_surfaceless");
    client.devicePlatform = HasExtension(extensions, "EGL_EXT_platform_device") &&
                            (HasExtension(extensions, "EGL_EXT_device_enumeration") ||
                             HasExtension(extensions, "EGL_EXT_device_base"));
    EGLint count = 0;
    if (!client.devicePlatform || !eglQueryDevicesEXT(0, nullptr, &count) || count <= 0) {
        return client;
    }
    handles.resize(static_cast<std::size_t>(count));
    if (!eglQueryDevicesEXT(count, handles.data(), &count)) {
        count = 0;
    }
    handles.resize(static_cast<std::size_t>(count));
    for (EGLDeviceEXT handle : handles) {
        const char* deviceExtensions = eglQueryDeviceStringEXT(handle, EGL_EXTENSIONS);
        EglDevice device;
        device.software = HasExtension(deviceExtensions, "EGL_MESA_device_software");
        const char* node = nullptr;
        if (HasExtension(deviceExtensions, "EGL_EXT_device_drm_render_node")) {
            node = eglQueryDeviceStringEXT(handle, kDrmRenderNodeFile);
        }
        if (node == nullptr && HasExtension(deviceExtensions, "EGL_EXT_device_drm")) {
            node = eglQueryDeviceStringEXT(handle, EGL_DRM_DEVICE_FILE_EXT);
        }
        device.name = node != nullptr ? node : "";
        client.devices.push_back(device);
    }
    return client;
}

const char* EnvText(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

bool GlContext::CreateEgl()
{
    std::vector<EGLDeviceEXT> devices;
    const EglClient client = QueryClient(devices);
    std::vector<std::string> tried;
    std::string error;
    const std::vector<EglCandidate> candidates = EglCandidates(client, EnvText("SHOW_EGL_PLATFORM"),
                                                               EnvText("SHOW_EGL_DEVICE"), tried, error);
    if (!error.empty()) {
        LogError("%s", error.c_str());
        return false;
    }
    for (const EglCandidate& candidate : candidates) {
        EGLDisplay display = EGL_NO_DISPLAY;
        switch (candidate.platform) {
        case EglPlatform::Device:
            display = eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, devices[candidate.device], nullptr);
            break;
        case EglPlatform::Surfaceless:
            display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
            break;
        case EglPlatform::Default: display = eglGetDisplay(EGL_DEFAULT_DISPLAY); break;
        }
        std::string reason;
        if (CreateEglOn(display, reason)) {
            platform = candidate.label;
            return true;
        }
        tried.push_back(candidate.label + ": " + reason);
    }
    std::string message = "no headless OpenGL context; tried:";
    for (const std::string& line : tried) {
        message += "\n  " + line;
    }
    LogError("%s", message.c_str());
    return false;
}

bool GlContext::CreateEglOn(void* displayHandle, std::string& reason)
{
    const EGLDisplay display = displayHandle;
    if (display == EGL_NO_DISPLAY) {
        reason = "no display: " + EglErrorName(eglGetError());
        return false;
    }
    if (!eglInitialize(display, nullptr, nullptr)) {
        reason = "eglInitialize: " + EglErrorName(eglGetError());
        return false;
    }
    // Displays are shared by every device of the process and never terminated here: a second device
    // may be using this one.
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    const bool surfaceless = HasExtension(extensions, "EGL_KHR_surfaceless_context");
    const bool noConfig = HasExtension(extensions, "EGL_KHR_no_config_context");
    if (!eglBindAPI(EGL_OPENGL_API)) {
        reason = "no desktop OpenGL: " + EglErrorName(eglGetError());
        return false;
    }
    // A config is needed for the context without EGL_KHR_no_config_context, and for the 1x1 pbuffer
    // the context is made current on without EGL_KHR_surfaceless_context. It must be asked for one that
    // backs a pbuffer: EGL_SURFACE_TYPE defaults to windows, which a device display has none of.
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!noConfig || !surfaceless) {
        const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) {
            reason = "no OpenGL configuration that can back a pbuffer";
            return false;
        }
    }
    EGLSurface surface = EGL_NO_SURFACE;
    if (!surfaceless) {
        const EGLint size[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        surface = eglCreatePbufferSurface(display, config, size);
        if (surface == EGL_NO_SURFACE) {
            reason = "no surfaceless contexts, and no pbuffer: " + EglErrorName(eglGetError());
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
                                     EGL_CONTEXT_OPENGL_DEBUG,
                                     GlDebugRequested() ? EGL_TRUE : EGL_FALSE,
                                     EGL_NONE};
        EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
        if (context == EGL_NO_CONTEXT) {
            continue;
        }
        if (eglMakeCurrent(display, surface, surface, context) != EGL_TRUE) {
            reason = "eglMakeCurrent: " + EglErrorName(eglGetError());
            eglDestroyContext(display, context);
            break;
        }
        eglDisplay = display;
        eglContext = context;
        eglSurface = surface;
        return true;
    }
    if (reason.empty()) {
        reason = "no OpenGL 3.3 or later core context: " + EglErrorName(eglGetError());
    }
    if (surface != EGL_NO_SURFACE) {
        eglDestroySurface(display, surface);
    }
    return false;
}

bool GlContext::CreateSdl()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, GlDebugRequested() ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
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
            const char* driver = SDL_GetCurrentVideoDriver();
            platform = std::string("SDL window system (") + (driver != nullptr ? driver : "?") + ")";
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
    glGetIntegerv(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT, &caps.uniformBufferAlignment);
    if (DeviceOptions().serialShaderCompile) {
        caps.parallelShaderCompile = false;
    } else if (epoxy_has_gl_extension("GL_KHR_parallel_shader_compile")) {
        glMaxShaderCompilerThreadsKHR(0xFFFFFFFFu);  // as many as the driver likes
        caps.parallelShaderCompile = true;
    } else if (epoxy_has_gl_extension("GL_ARB_parallel_shader_compile")) {
        glMaxShaderCompilerThreadsARB(0xFFFFFFFFu);
        caps.parallelShaderCompile = true;
    }
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
        ok = eglMakeCurrent(eglDisplay, eglSurface, eglSurface, eglContext) == EGL_TRUE;
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
        if (eglSurface != nullptr) {
            eglDestroySurface(eglDisplay, eglSurface);
        }
        // The display is shared by every device of the process; terminating it would pull it from
        // under a second device.
        eglContext = nullptr;
        eglSurface = nullptr;
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
