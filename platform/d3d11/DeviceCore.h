#pragma once
// What every object of one device shares: the GL context, the GL state boundary, the framebuffers
// and the registry of shared state objects. It outlives the device while any of the device's objects
// lives, because their destructors delete GL names.
#include <map>
#include <memory>
#include <string>

#include "platform/d3d11/ComBase.h"
#include "platform/d3d11/Framebuffers.h"
#include "platform/d3d11/GlContext.h"
#include "platform/d3d11/GlState.h"
#include "platform/d3d11/UploadRing.h"

namespace d3dgl {

class DeviceImpl;

class DeviceCore {
public:
    DeviceCore() = default;
    DeviceCore(const DeviceCore&) = delete;
    DeviceCore& operator=(const DeviceCore&) = delete;
    ~DeviceCore();

    // Makes the context current, forgetting the remembered GL state if another context ran meanwhile.
    bool MakeCurrent();
    // Makes the context current on the window a swap chain presents to.
    bool AttachWindow(SDL_Window* window);
    const Capabilities& Caps() const { return context.Caps(); }
    // Deletes the framebuffers that attach the texture and forgets the texture's bindings.
    void ForgetTexture(GLuint texture);
    // Names a GL object for GL debuggers (glObjectLabel); `name` 0 is no object and is skipped.
    void Label(GLenum identifier, GLuint name, const std::string& label);

    GlContext context;
    GlState gl;
    Framebuffers framebuffers;
    UploadRing uniforms;           // constant-buffer updates
    DeviceImpl* device = nullptr;  // null once the device is gone

    // Shared state objects by description (not owning; each removes itself when released).
    std::map<std::string, IUnknown*> rasterizerStates, blendStates, depthStates, samplerStates;

    GLuint graphicsPipeline = 0, computePipeline = 0;
    GLuint emptyVertexArray = 0;  // for draws without an input layout (GL needs a vertex array bound)
};

// The shared core of a new device; null (with a message) when no GL context can be made.
std::shared_ptr<DeviceCore> CreateCore();

}  // namespace d3dgl
