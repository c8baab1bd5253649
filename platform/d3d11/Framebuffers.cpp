#include "platform/d3d11/Framebuffers.h"

#include "platform/d3d11/Checks.h"
#include "platform/d3d11/GlState.h"

namespace d3dgl {

bool Framebuffers::Attachments::Empty() const
{
    for (GLuint color : colors) {
        if (color != 0) {
            return false;
        }
    }
    return depth == 0;
}

GLuint Framebuffers::For(const Attachments& attachments)
{
    if (auto found = byAttachments.find(attachments); found != byAttachments.end()) {
        return found->second;
    }
    GLuint framebuffer = 0;
    glCreateFramebuffers(1, &framebuffer);
    GLenum drawBuffers[8];
    for (int i = 0; i < 8; ++i) {
        drawBuffers[i] = GL_NONE;
        if (attachments.colors[i] != 0) {
            glNamedFramebufferTexture(framebuffer, GL_COLOR_ATTACHMENT0 + i, attachments.colors[i],
                                      attachments.colorLevels[i]);
            drawBuffers[i] = GL_COLOR_ATTACHMENT0 + i;
        }
    }
    glNamedFramebufferDrawBuffers(framebuffer, 8, drawBuffers);
    if (attachments.depth != 0) {
        // A depth-only texture on the combined attachment leaves the framebuffer incomplete.
        glNamedFramebufferTexture(framebuffer,
                                  attachments.depthHasStencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  attachments.depth, attachments.depthLevel);
    }
    if (Verdict broken = CheckFramebufferStatus(glCheckNamedFramebufferStatus(framebuffer, GL_DRAW_FRAMEBUFFER))) {
        // Drawing into it would be a GL error at every draw; kept as "none", the set's draws are
        // dropped by their rule instead, and binding the set again finds that answer.
        Report(*broken);
        glDeleteFramebuffers(1, &framebuffer);
        framebuffer = 0;
    }
    byAttachments.emplace(attachments, framebuffer);
    return framebuffer;
}

void Framebuffers::ForgetTexture(GLuint texture, GlState& state)
{
    for (auto it = byAttachments.begin(); it != byAttachments.end();) {
        bool uses = it->first.depth == texture;
        for (GLuint color : it->first.colors) {
            uses = uses || color == texture;
        }
        if (uses) {
            state.ForgetFramebuffer(it->second);
            glDeleteFramebuffers(1, &it->second);
            it = byAttachments.erase(it);
        } else {
            ++it;
        }
    }
}

void Framebuffers::DeleteAll()
{
    for (auto& [attachments, framebuffer] : byAttachments) {
        glDeleteFramebuffers(1, &framebuffer);
    }
    byAttachments.clear();
}

}  // namespace d3dgl
