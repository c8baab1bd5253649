#pragma once
// GL framebuffers by attachment set. The context asks for one when render targets or the depth view
// are bound, not at each draw; a framebuffer lives until one of its textures is deleted.
#include <epoxy/gl.h>

#include <array>
#include <compare>
#include <map>

namespace d3dgl {

class GlState;

class Framebuffers {
public:
    struct Attachments {
        std::array<GLuint, 8> colors{};
        std::array<GLint, 8> colorLevels{};
        GLuint depth = 0;
        GLint depthLevel = 0;
        bool depthHasStencil = false;  // attached as depth and stencil, else as depth only

        bool Empty() const;
        auto operator<=>(const Attachments&) const = default;
    };

    // The framebuffer with these attachments, made on first use (the context must be current); 0 when
    // GL finds them incomplete (reported once, as TargetsIncomplete), so that nothing draws into it.
    GLuint For(const Attachments& attachments);
    // Deletes every framebuffer that attaches the texture, and has `state` forget them.
    void ForgetTexture(GLuint texture, GlState& state);
    void DeleteAll();

private:
    std::map<Attachments, GLuint> byAttachments;
};

}  // namespace d3dgl
