#include <SDL.h>
#include <epoxy/egl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "platform/d3d11/Internal.h"

namespace d3dgl {

std::atomic<long> g_liveObjects{0};
D3D11DeviceOptions g_options;
D3D11WindowBridge g_windowBridge;

namespace {
std::atomic<std::uint64_t> g_nextId{1};
DeviceCore* g_current = nullptr;

#ifndef NDEBUG
void GLAPIENTRY DebugOutput(GLenum, GLenum type, GLuint, GLenum severity, GLsizei, const GLchar* message,
                            const void*) {
  // Errors and undefined behaviour only: Mesa's portability notes fire on every separable pipeline.
  if (type != GL_DEBUG_TYPE_ERROR && type != GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR && severity != GL_DEBUG_SEVERITY_HIGH) return;
  std::fprintf(stderr, "GL debug: %s\n", message);
}
#endif

int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::atoi(v) : fallback;
}

bool HasExtension(const char* list, const char* name) {
  if (list == nullptr) return false;
  const std::size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name))
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

bool CreateEglContext(DeviceCore& core) {
  // Mesa's surfaceless platform needs no display server or device node; other drivers get their
  // default display, used without surfaces as well.
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  EGLDisplay display = EGL_NO_DISPLAY;
  if (HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
    display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
    display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
      LogError("no headless EGL display: error 0x%x", eglGetError());
      return false;
    }
  }
  core.eglDisplay = display;
  const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
  if (!HasExtension(extensions, "EGL_KHR_surfaceless_context")) {
    LogError("the EGL display cannot make a context current without a surface");
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) return false;
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
    const EGLint attribs[] = {EGL_CONTEXT_MAJOR_VERSION, major, EGL_CONTEXT_MINOR_VERSION, minor,
                              EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
#ifndef NDEBUG
                              EGL_CONTEXT_OPENGL_DEBUG, EGL_TRUE,
#endif
                              EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attribs);
    if (context != EGL_NO_CONTEXT) {
      core.eglContext = context;
      return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
    }
  }
  LogError("no OpenGL 3.3 or later core context on the headless EGL display");
  return false;
}

bool CreateSdlContext(DeviceCore& core) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
#ifndef NDEBUG
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_DEBUG_FLAG);
#endif
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // A context needs a window; the swap chain later makes it current on the real one.
  core.hiddenWindow = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (core.hiddenWindow == nullptr) {
    LogError("cannot create an OpenGL window: %s", SDL_GetError());
    return false;
  }
  for (const auto& [major, minor] : {std::pair{4, 5}, std::pair{3, 3}}) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
    core.sdlContext = SDL_GL_CreateContext(core.hiddenWindow);
    if (core.sdlContext != nullptr) return SDL_GL_MakeCurrent(core.hiddenWindow, core.sdlContext) == 0;
  }
  LogError("no OpenGL 3.3 or later core context: %s", SDL_GetError());
  return false;
}

// Mesa's CPU rasterizers (llvmpipe, and lavapipe under zink; both name llvmpipe in their renderer
// string; seen with Mesa 22.3) filter anisotropically by averaging over the texel bounding box of the
// pixel's footprint, with no bound on its size. On a nearly edge-on triangle the footprint of the
// pixels beside the covered one can span a hundred thousand texels each way, and one draw then runs
// for hours (tests/driver-bugs/llvmpipe-aniso-hang). They get trilinear filtering instead, which
// differs from theirs by a few levels at grazing angles and is far faster.
bool HasUnboundedAnisotropicFilter(const char* renderer) {
  return renderer != nullptr && std::strstr(renderer, "llvmpipe") != nullptr;
}

void ProbeCapabilities(Capabilities& caps) {
  glGetIntegerv(GL_MAJOR_VERSION, &caps.glMajor);
  glGetIntegerv(GL_MINOR_VERSION, &caps.glMinor);
  int version = caps.glMajor * 10 + caps.glMinor;
  const int cap = g_options.glVersionCap > 0 ? g_options.glVersionCap : EnvInt("SHOW_GL_VERSION_CAP", 0);
  if (cap > 0 && version > cap) version = cap;
  caps.computeShaders = version >= 43 || epoxy_has_gl_extension("GL_ARB_compute_shader");
  caps.imageLoadStore = version >= 42 || epoxy_has_gl_extension("GL_ARB_shader_image_load_store");
  caps.clipControl = version >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  if (cap > 0) {  // a capped device must not claim extensions beyond its version either
    caps.computeShaders = version >= 43;
    caps.imageLoadStore = version >= 42;
    caps.clipControl = version >= 45;
  }
  glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &caps.maxCombinedTextureUnits);
  caps.anisotropicFiltering =
      epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") &&
      !HasUnboundedAnisotropicFilter(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  if (version >= 45 && caps.computeShaders && caps.imageLoadStore && caps.clipControl)
    caps.featureLevel = D3D_FEATURE_LEVEL_11_0;
  else if (version >= 40)
    caps.featureLevel = D3D_FEATURE_LEVEL_10_1;
  else if (version >= 33)
    caps.featureLevel = D3D_FEATURE_LEVEL_10_0;
  else
    caps.featureLevel = D3D_FEATURE_LEVEL_9_3;
}

}  // namespace

std::uint64_t NextObjectId() { return g_nextId++; }

void LogError(const char* fmt, ...) {
  std::va_list args;
  va_start(args, fmt);
  std::fputs("d3d11: ", stderr);
  std::vfprintf(stderr, fmt, args);
  std::fputc('\n', stderr);
  va_end(args);
}

std::shared_ptr<DeviceCore> CreateCore() {
  auto core = std::make_shared<DeviceCore>();
  // Windowed only when there is a display to put windows on; otherwise (tests, capture, a machine
  // without a display) the device is headless and swap chains keep frames in their back buffers.
  const bool windowed = g_windowBridge.windowFromHwnd != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0;
  if (windowed && !CreateSdlContext(*core)) {
    core->DestroyContext();
    LogError("no OpenGL context for windows; rendering headless instead");
  }
  if (core->sdlContext == nullptr && !CreateEglContext(*core)) return nullptr;
  g_current = core.get();
  ProbeCapabilities(core->caps);
  core->cache.bypass = g_options.bypassStateCache || EnvInt("SHOW_GL_STATE_CACHE", 1) == 0;
#ifndef NDEBUG
  if (core->caps.glMajor * 10 + core->caps.glMinor >= 43) {
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(DebugOutput, nullptr);
  }
#endif
  if (core->caps.featureLevel < D3D_FEATURE_LEVEL_11_0) return core;  // refused by the caller

  // Direct3D's conventions: top-left origin, depth 0..1. Every render target is a texture, so row 0
  // of a texture is the top row of the picture, as in Direct3D.
  glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glCreateProgramPipelines(1, &core->graphicsPipeline);
  glCreateProgramPipelines(1, &core->computePipeline);
  glCreateVertexArrays(1, &core->emptyVertexArray);
  return core;
}

bool DeviceCore::MakeCurrent() {
  // A window's destruction takes the context off it behind our back; the hidden window we own is
  // always there to make it current on again.
  if (g_current == this && (sdlContext == nullptr || SDL_GL_GetCurrentContext() == sdlContext)) return true;
  bool ok = false;
  if (eglContext != nullptr)
    ok = eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext) == EGL_TRUE;
  else if (sdlContext != nullptr)
    ok = SDL_GL_MakeCurrent(hiddenWindow, sdlContext) == 0;
  if (ok) {
    g_current = this;
    cache.Reset();  // another context may have run in between
  }
  return ok;
}

bool AttachWindow(DeviceCore& core, SDL_Window* window) {
  if (core.sdlContext == nullptr || window == nullptr) return false;
  if (SDL_GL_GetCurrentWindow() == window && SDL_GL_GetCurrentContext() == core.sdlContext) return true;
  if (SDL_GL_MakeCurrent(window, core.sdlContext) != 0) {
    LogError("cannot draw into the window: %s", SDL_GetError());
    return false;
  }
  if (g_current != &core) core.cache.Reset();
  g_current = &core;
  return true;
}

DeviceCore::~DeviceCore() {
  if (MakeCurrent()) {
    for (auto& [key, fbo] : framebuffers) glDeleteFramebuffers(1, &fbo);
    glDeleteProgramPipelines(1, &graphicsPipeline);
    glDeleteProgramPipelines(1, &computePipeline);
    glDeleteVertexArrays(1, &emptyVertexArray);
  }
  DestroyContext();
}

void DeviceCore::DestroyContext() {
  if (g_current == this) g_current = nullptr;
  if (eglDisplay != nullptr) {
    eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (eglContext != nullptr) eglDestroyContext(eglDisplay, eglContext);
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

bool DeviceCore::FboKey::operator<(const FboKey& o) const {
  return std::tie(colors, colorLevels, depth, depthLevel) < std::tie(o.colors, o.colorLevels, o.depth, o.depthLevel);
}

GLuint DeviceCore::Framebuffer(const FboKey& key) {
  auto it = framebuffers.find(key);
  if (it != framebuffers.end()) return it->second;
  GLuint fbo = 0;
  glCreateFramebuffers(1, &fbo);
  GLenum drawBuffers[8];
  for (int i = 0; i < 8; ++i) {
    drawBuffers[i] = GL_NONE;
    if (key.colors[i] != 0) {
      glNamedFramebufferTexture(fbo, GL_COLOR_ATTACHMENT0 + i, key.colors[i], key.colorLevels[i]);
      drawBuffers[i] = GL_COLOR_ATTACHMENT0 + i;
    }
  }
  glNamedFramebufferDrawBuffers(fbo, 8, drawBuffers);
  if (key.depth != 0) glNamedFramebufferTexture(fbo, GL_DEPTH_STENCIL_ATTACHMENT, key.depth, key.depthLevel);
  const GLenum status = glCheckNamedFramebufferStatus(fbo, GL_DRAW_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) LogError("render targets do not form a complete framebuffer (0x%x)", status);
  framebuffers.emplace(key, fbo);
  return fbo;
}

void DeviceCore::ForgetTextureEverywhere(GLuint texture) {
  for (auto it = framebuffers.begin(); it != framebuffers.end();) {
    bool uses = it->first.depth == texture;
    for (GLuint c : it->first.colors) uses = uses || c == texture;
    if (uses) {
      cache.ForgetFramebuffer(it->second);
      glDeleteFramebuffers(1, &it->second);
      it = framebuffers.erase(it);
    } else {
      ++it;
    }
  }
  cache.ForgetTexture(texture);
}

// ---- state cache ----

void StateCache::BindFramebuffer(GLuint fbo) {
  if (!bypass && fbo_ == fbo) return;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
  fbo_ = fbo;
  ++glCalls;
}
void StateCache::BindPipeline(GLuint pipeline) {
  if (!bypass && pipeline_ == pipeline) return;
  // A program made current with glUseProgram would override the pipeline; the layer never makes
  // one current, so this is needed only once per context.
  if (bypass || program_ != 0) {
    glUseProgram(0);
    program_ = 0;
    ++glCalls;
  }
  glBindProgramPipeline(pipeline);
  pipeline_ = pipeline;
  ++glCalls;
}
void StateCache::UseStage(GLuint pipeline, GLbitfield bit, int index, GLuint program) {
  if (!bypass && stages_[index] == program) return;
  glUseProgramStages(pipeline, bit, program);
  stages_[index] = program;
  ++glCalls;
}
void StateCache::BindVertexArray(GLuint vao) {
  if (!bypass && vao_ == vao) return;
  glBindVertexArray(vao);
  vao_ = vao;
  ++glCalls;
}
void StateCache::BindTexture(GLuint unit, GLuint texture) {
  if (unit >= textures_.size()) return;
  if (!bypass && textures_[unit] == texture) return;
  glBindTextureUnit(unit, texture);
  textures_[unit] = texture;
  ++glCalls;
}
void StateCache::BindSampler(GLuint unit, GLuint sampler) {
  if (unit >= samplers_.size()) return;
  if (!bypass && samplers_[unit] == sampler) return;
  glBindSampler(unit, sampler);
  samplers_[unit] = sampler;
  ++glCalls;
}
void StateCache::BindUniformBuffer(GLuint binding, GLuint buffer) {
  if (binding >= uniformBuffers_.size()) return;
  if (!bypass && uniformBuffers_[binding] == buffer) return;
  glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer);
  uniformBuffers_[binding] = buffer;
  ++glCalls;
}
void StateCache::BindImage(GLuint unit, GLuint texture, GLint level, GLenum format) {
  if (unit >= images_.size()) return;
  Image& im = images_[unit];
  if (!bypass && im.texture == texture && im.level == level && im.format == format) return;
  if (texture == 0)
    glBindImageTexture(unit, 0, 0, GL_FALSE, 0, GL_READ_ONLY, GL_R32F);
  else
    glBindImageTexture(unit, texture, level, GL_FALSE, 0, GL_READ_WRITE, format);
  im = {texture, level, format};
  ++glCalls;
}
void StateCache::Viewport(const D3D11_VIEWPORT& vp) {
  if (!bypass && viewportKnown_ && std::memcmp(&vp, &viewport_, sizeof vp) == 0) return;
  glViewportIndexedf(0, vp.TopLeftX, vp.TopLeftY, vp.Width, vp.Height);
  glDepthRangeIndexed(0, vp.MinDepth, vp.MaxDepth);
  viewport_ = vp;
  viewportKnown_ = true;
  glCalls += 2;
}
bool StateCache::StateChanged(int which, std::uint64_t key) {
  if (!bypass && stateKeys_[which] == key) return false;
  stateKeys_[which] = key;
  return true;
}
template <class T>
bool StateCache::Changes(Slot<T>& slot, const T& value) {
  if (!bypass && slot.known && slot.value == value) return false;
  slot.value = value;
  slot.known = true;
  ++glCalls;
  return true;
}
void StateCache::Enable(Cap cap, bool on) {
  static constexpr GLenum kNames[kCapCount] = {GL_CULL_FACE, GL_DEPTH_CLAMP, GL_SCISSOR_TEST, GL_POLYGON_OFFSET_FILL,
                                               GL_SAMPLE_ALPHA_TO_COVERAGE, GL_DEPTH_TEST, GL_STENCIL_TEST};
  if (!Changes(fixed_.caps[cap], on)) return;
  if (on) glEnable(kNames[cap]); else glDisable(kNames[cap]);
}
void StateCache::EnableBlend(GLuint target, bool on) {
  if (target >= fixed_.blendOn.size() || !Changes(fixed_.blendOn[target], on)) return;
  if (on) glEnablei(GL_BLEND, target); else glDisablei(GL_BLEND, target);
}
void StateCache::CullFace(GLenum face) {
  if (Changes(fixed_.cullFace, face)) glCullFace(face);
}
void StateCache::FrontFace(GLenum mode) {
  if (Changes(fixed_.frontFace, mode)) glFrontFace(mode);
}
void StateCache::PolygonMode(GLenum mode) {
  if (Changes(fixed_.polygonMode, mode)) glPolygonMode(GL_FRONT_AND_BACK, mode);
}
void StateCache::PolygonOffset(float factor, float units) {
  if (Changes(fixed_.polygonOffset, std::array<float, 2>{factor, units})) glPolygonOffset(factor, units);
}
void StateCache::BlendColor(const float rgba[4]) {
  if (Changes(fixed_.blendColor, std::array<float, 4>{rgba[0], rgba[1], rgba[2], rgba[3]}))
    glBlendColor(rgba[0], rgba[1], rgba[2], rgba[3]);
}
void StateCache::BlendFunc(GLuint target, GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha) {
  if (target < fixed_.blendFunc.size() &&
      Changes(fixed_.blendFunc[target], std::array<GLenum, 4>{src, dst, srcAlpha, dstAlpha}))
    glBlendFuncSeparatei(target, src, dst, srcAlpha, dstAlpha);
}
void StateCache::BlendEquation(GLuint target, GLenum rgb, GLenum alpha) {
  if (target < fixed_.blendEquation.size() && Changes(fixed_.blendEquation[target], std::array<GLenum, 2>{rgb, alpha}))
    glBlendEquationSeparatei(target, rgb, alpha);
}
void StateCache::ColorMask(GLuint target, unsigned mask) {
  mask &= 0xFu;
  if (target < fixed_.colorMask.size() && Changes(fixed_.colorMask[target], mask))
    glColorMaski(target, (mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
}
void StateCache::DepthFunc(GLenum func) {
  if (Changes(fixed_.depthFunc, func)) glDepthFunc(func);
}
void StateCache::DepthMask(bool write) {
  if (Changes(fixed_.depthMask, write)) glDepthMask(write ? GL_TRUE : GL_FALSE);
}
void StateCache::StencilFunc(int face, GLenum func, GLint ref, GLuint mask) {
  if (face < 0 || face > 1) return;
  if (Changes(fixed_.stencilFunc[face], std::array<GLuint, 3>{func, static_cast<GLuint>(ref), mask}))
    glStencilFuncSeparate(face == 0 ? GL_FRONT : GL_BACK, func, ref, mask);
}
void StateCache::StencilOp(int face, GLenum fail, GLenum depthFail, GLenum pass) {
  if (face < 0 || face > 1) return;
  if (Changes(fixed_.stencilOp[face], std::array<GLenum, 3>{fail, depthFail, pass}))
    glStencilOpSeparate(face == 0 ? GL_FRONT : GL_BACK, fail, depthFail, pass);
}
void StateCache::StencilMask(GLuint mask) {
  if (Changes(fixed_.stencilMask, mask)) glStencilMask(mask);
}
void StateCache::ForgetTexture(GLuint texture) {
  for (GLuint& t : textures_)
    if (t == texture) t = kUnknown;
  for (Image& im : images_)
    if (im.texture == texture) im.texture = kUnknown;
}
void StateCache::ForgetBuffer(GLuint buffer) {
  for (GLuint& b : uniformBuffers_)
    if (b == buffer) b = kUnknown;
}
void StateCache::ForgetSampler(GLuint sampler) {
  for (GLuint& s : samplers_)
    if (s == sampler) s = kUnknown;
}
void StateCache::ForgetProgram(GLuint program) {
  for (GLuint& s : stages_)
    if (s == program) s = kUnknown;
}
void StateCache::ForgetFramebuffer(GLuint fbo) {
  if (fbo_ == fbo) fbo_ = kUnknown;
}
void StateCache::ForgetVertexArray(GLuint vao) {
  if (vao_ == vao) vao_ = kUnknown;
}
void StateCache::Reset() {
  fbo_ = pipeline_ = vao_ = program_ = kUnknown;
  stages_.fill(kUnknown);
  textures_.fill(kUnknown);
  samplers_.fill(kUnknown);
  uniformBuffers_.fill(kUnknown);
  for (Image& im : images_) im.texture = kUnknown;
  viewportKnown_ = false;
  stateKeys_.fill(~0ull);
  fixed_ = FixedFunction{};
}

// ---- formats ----

const FormatInfo* LookupFormat(DXGI_FORMAT format) {
  static const std::map<DXGI_FORMAT, FormatInfo> table = {
      {DXGI_FORMAT_R32G32B32A32_FLOAT, {GL_RGBA32F, GL_RGBA, GL_FLOAT, false, 16, false, 4, GL_FLOAT, false, false}},
      {DXGI_FORMAT_R32G32B32A32_UINT, {GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT, false, 16, false, 4, GL_UNSIGNED_INT, false, true}},
      {DXGI_FORMAT_R32G32B32A32_SINT, {GL_RGBA32I, GL_RGBA_INTEGER, GL_INT, false, 16, false, 4, GL_INT, false, true}},
      {DXGI_FORMAT_R32G32B32_FLOAT, {GL_RGB32F, GL_RGB, GL_FLOAT, false, 12, false, 3, GL_FLOAT, false, false}},
      {DXGI_FORMAT_R32G32B32_UINT, {0, 0, 0, false, 12, false, 3, GL_UNSIGNED_INT, false, true}},
      {DXGI_FORMAT_R32G32B32_SINT, {0, 0, 0, false, 12, false, 3, GL_INT, false, true}},
      {DXGI_FORMAT_R16G16B16A16_FLOAT, {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, false, 8, false, 4, GL_HALF_FLOAT, false, false}},
      {DXGI_FORMAT_R32G32_FLOAT, {GL_RG32F, GL_RG, GL_FLOAT, false, 8, false, 2, GL_FLOAT, false, false}},
      {DXGI_FORMAT_R32G32_UINT, {GL_RG32UI, GL_RG_INTEGER, GL_UNSIGNED_INT, false, 8, false, 2, GL_UNSIGNED_INT, false, true}},
      {DXGI_FORMAT_R32G32_SINT, {GL_RG32I, GL_RG_INTEGER, GL_INT, false, 8, false, 2, GL_INT, false, true}},
      {DXGI_FORMAT_R8G8B8A8_UNORM, {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, false, 4, false, 4, GL_UNSIGNED_BYTE, true, false}},
      {DXGI_FORMAT_R8G8B8A8_UNORM_SRGB, {GL_SRGB8_ALPHA8, GL_RGBA, GL_UNSIGNED_BYTE, false, 4, false, 0, 0, false, false}},
      {DXGI_FORMAT_R8G8B8A8_UINT, {GL_RGBA8UI, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE, false, 4, false, 4, GL_UNSIGNED_BYTE, false, true}},
      {DXGI_FORMAT_B8G8R8A8_UNORM, {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false, 4, false, 0, 0, false, false}},
      {DXGI_FORMAT_D32_FLOAT, {GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, false, 4, true, 0, 0, false, false}},
      {DXGI_FORMAT_R32_FLOAT, {GL_R32F, GL_RED, GL_FLOAT, false, 4, false, 1, GL_FLOAT, false, false}},
      {DXGI_FORMAT_R32_UINT, {GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, false, 4, false, 1, GL_UNSIGNED_INT, false, true}},
      {DXGI_FORMAT_R32_SINT, {GL_R32I, GL_RED_INTEGER, GL_INT, false, 4, false, 1, GL_INT, false, true}},
      {DXGI_FORMAT_D24_UNORM_S8_UINT, {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, false, 4, true, 0, 0, false, false}},
      {DXGI_FORMAT_R16_UINT, {GL_R16UI, GL_RED_INTEGER, GL_UNSIGNED_SHORT, false, 2, false, 1, GL_UNSIGNED_SHORT, false, true}},
      {DXGI_FORMAT_BC1_UNORM, {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true, 8, false, 0, 0, false, false}},
      {DXGI_FORMAT_BC2_UNORM, {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true, 16, false, 0, 0, false, false}},
      {DXGI_FORMAT_BC3_UNORM, {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true, 16, false, 0, 0, false, false}},
  };
  auto it = table.find(format);
  return it == table.end() ? nullptr : &it->second;
}

GLenum ImageFormatFor(DXGI_FORMAT format) {
  switch (format) {
    case DXGI_FORMAT_R8G8B8A8_UNORM: return GL_RGBA8;
    case DXGI_FORMAT_R32G32B32A32_FLOAT: return GL_RGBA32F;
    case DXGI_FORMAT_R16G16B16A16_FLOAT: return GL_RGBA16F;
    case DXGI_FORMAT_R32_FLOAT: return GL_R32F;
    case DXGI_FORMAT_R32_UINT: return GL_R32UI;
    default: return 0;
  }
}

}  // namespace d3dgl

using namespace d3dgl;

long D3D11LiveObjectCount() { return g_liveObjects.load(); }

void D3D11SetDeviceOptions(const D3D11DeviceOptions& options) { g_options = options; }

void D3D11SetWindowBridge(const D3D11WindowBridge* bridge) { g_windowBridge = bridge ? *bridge : D3D11WindowBridge{}; }

bool D3D11ReadTexture(ID3D11Texture2D* texture, UINT mipLevel, UINT arraySlice, std::vector<std::uint8_t>& bytes) {
  TextureImpl* t = AsTexture(texture);
  if (t == nullptr || mipLevel >= t->desc.MipLevels || arraySlice >= t->desc.ArraySize) return false;
  const DXGI_FORMAT f = t->desc.Format;
  if (f != DXGI_FORMAT_R8G8B8A8_UNORM && f != DXGI_FORMAT_R32G32B32A32_FLOAT) return false;
  if (!t->Core().MakeCurrent()) return false;
  const UINT w = std::max(1u, t->desc.Width >> mipLevel), h = std::max(1u, t->desc.Height >> mipLevel);
  const UINT pixel = f == DXGI_FORMAT_R8G8B8A8_UNORM ? 4 : 16;
  bytes.assign(std::size_t(w) * h * pixel, 0);
  glMemoryBarrier(GL_TEXTURE_UPDATE_BARRIER_BIT | GL_FRAMEBUFFER_BARRIER_BIT);
  glGetTextureSubImage(t->name, static_cast<GLint>(mipLevel), 0, 0, static_cast<GLint>(arraySlice),
                       static_cast<GLsizei>(w), static_cast<GLsizei>(h), 1, GL_RGBA,
                       f == DXGI_FORMAT_R8G8B8A8_UNORM ? GL_UNSIGNED_BYTE : GL_FLOAT,
                       static_cast<GLsizei>(bytes.size()), bytes.data());
  return glGetError() == GL_NO_ERROR;
}
