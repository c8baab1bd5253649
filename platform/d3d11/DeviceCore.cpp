#include "platform/d3d11/DeviceCore.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "platform/d3d11/DeviceOptions.h"

namespace d3dgl {

std::shared_ptr<DeviceCore> CreateCore()
{
    auto core = std::make_shared<DeviceCore>();
    // Windowed only when there is a display to put windows on; otherwise (tests, capture, a machine
    // without a display) the device is headless and swap chains keep frames in their back buffers.
    const bool windowed = WindowBridge().windowFromHwnd != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0;
    if (!core->context.Create(windowed)) {
        return nullptr;
    }
    const char* cache = std::getenv("SHOW_GL_STATE_CACHE");
    core->gl.bypass = DeviceOptions().bypassStateCache || (cache != nullptr && *cache != '\0' && std::atoi(cache) == 0);
    if (core->Caps().featureLevel < D3D_FEATURE_LEVEL_11_0) {
        return core;  // refused by the caller
    }
    glCreateProgramPipelines(1, &core->graphicsPipeline);
    glCreateProgramPipelines(1, &core->computePipeline);
    glCreateVertexArrays(1, &core->emptyVertexArray);
    if (!core->uniforms.Create(core->Caps().uniformBufferAlignment)) {
        LogError("no persistently mapped buffer for constant-buffer updates; they are written in place");
    }
    return core;
}

DeviceCore::~DeviceCore()
{
    if (MakeCurrent()) {
        framebuffers.DeleteAll();
        uniforms.Destroy();
        glDeleteProgramPipelines(1, &graphicsPipeline);
        glDeleteProgramPipelines(1, &computePipeline);
        glDeleteVertexArrays(1, &emptyVertexArray);
    }
}

bool DeviceCore::MakeCurrent()
{
    bool switched = false;
    if (!context.MakeCurrent(switched)) {
        return false;
    }
    if (switched) {
        gl.Reset();
    }
    return true;
}

bool DeviceCore::AttachWindow(SDL_Window* window)
{
    bool switched = false;
    if (!context.AttachWindow(window, switched)) {
        return false;
    }
    if (switched) {
        gl.Reset();
    }
    return true;
}

void DeviceCore::Label(GLenum identifier, GLuint name, const std::string& label)
{
    if (name == 0 || !MakeCurrent()) {
        return;
    }
    GLint longest = 256;  // the least GL_MAX_LABEL_LENGTH a driver may have
    glGetIntegerv(GL_MAX_LABEL_LENGTH, &longest);
    const auto length = static_cast<GLsizei>(
        std::min<std::size_t>(label.size(), static_cast<std::size_t>(longest - 1)));
    glObjectLabel(identifier, name, length, label.c_str());
}

void DeviceCore::ForgetTexture(GLuint texture)
{
    framebuffers.ForgetTexture(texture, gl);
    gl.ForgetTexture(texture);
}

}  // namespace d3dgl
