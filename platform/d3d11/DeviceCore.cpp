#include "platform/d3d11/DeviceCore.h"

#include <SDL.h>

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
    return core;
}

DeviceCore::~DeviceCore()
{
    if (MakeCurrent()) {
        framebuffers.DeleteAll();
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

void DeviceCore::ForgetTexture(GLuint texture)
{
    framebuffers.ForgetTexture(texture, gl);
    gl.ForgetTexture(texture);
}

}  // namespace d3dgl
