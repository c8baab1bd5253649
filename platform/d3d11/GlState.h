#pragma once
// The GL boundary of the immediate context: every bind, every fixed-function value and every piece
// of work the context sends to GL goes through the device's one GlState. It remembers what GL holds,
// skips calls that would change nothing, and counts the calls it makes (the count tests and the
// benchmarks read). Object creation and deletion stay with the objects' own files; the one list of
// the files that may call GL, and why each may, is scripts/check-gl-boundary.py (checked by a test).
#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/GlRecords.h"

namespace d3dgl {

class GlState {
public:
    // Re-issues every call instead of skipping the ones that change nothing (SHOW_GL_STATE_CACHE=0).
    bool bypass = false;

    // GL calls made so far.
    std::uint64_t Calls() const { return calls; }
    // Times Reset forgot everything: what a caller handed over before the last one is unknown to GL.
    std::uint64_t Resets() const { return resets; }

    // ---- bindings ----
    void BindDrawFramebuffer(GLuint framebuffer);
    void BindPipeline(GLuint pipeline);
    // The layer runs vertex, pixel and compute stages only.
    void UseProgram(GLuint pipeline, StageKind stage, GLuint program);
    void BindVertexArray(GLuint vertexArray);
    void AttachVertexBuffer(GLuint vertexArray, VertexArrayAttachments& attached, UINT slot, std::uint64_t bufferId,
                            GLuint buffer, UINT offset, UINT stride);
    // `attached` is null for the shared empty vertex array, whose index buffer is not remembered.
    void AttachIndexBuffer(GLuint vertexArray, VertexArrayAttachments* attached, std::uint64_t bufferId, GLuint buffer);
    void BindTexture(GLuint unit, GLuint texture);
    void BindSampler(GLuint unit, GLuint sampler);
    // `size` bytes from `offset` of the buffer (0 for none).
    void BindUniformBuffer(GLuint binding, GLuint buffer, GLintptr offset, GLsizeiptr size);
    void BindImage(GLuint unit, GLuint texture, GLint level, GLenum format);
    void Viewport(const D3D11_VIEWPORT& viewport);

    // ---- fixed-function state ----
    // `id` names the state object the values come from (0 for Direct3D's defaults): a repeat of the
    // last object applied costs nothing; another object costs only the values that differ.
    void Apply(std::uint64_t id, const RasterizerGl& rasterizer);
    void Apply(std::uint64_t id, const BlendGl& blend, const float factor[4]);
    void Apply(std::uint64_t id, const DepthStencilGl& depthStencil, UINT stencilRef);

    // ---- work ----
    // Ignores write masks and scissor, as Direct3D's clear does.
    void ClearColor(GLuint texture, GLint level, const float rgba[4]);
    // Opens the depth and stencil write masks and the scissor for the clear; the next draw
    // re-applies its states (only the values that differ reach GL).
    void ClearDepthStencil(GLuint framebuffer, bool depth, bool stencil, float depthValue, GLint stencilValue);
    void DrawArrays(GLenum mode, GLint first, GLsizei count, GLsizei instances, GLuint baseInstance);
    void DrawElements(GLenum mode, GLsizei count, GLenum indexType, std::uintptr_t offset, GLsizei instances,
                      GLint baseVertex, GLuint baseInstance);
    // Followed by the barrier that lets whatever reads the written images next (sampling, another
    // dispatch, a copy, a render pass) see the writes.
    void Dispatch(GLuint x, GLuint y, GLuint z);
    void* MapBuffer(GLuint buffer, GLsizeiptr size, GLbitfield access);
    void UnmapBuffer(GLuint buffer);
    void BufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, const void* data);
    // Rows `rowLength` pixels apart.
    void TextureSubImage(GLuint texture, GLint level, GLint x, GLint y, GLint slice, GLsizei width, GLsizei height,
                         GLint rowLength, GLenum format, GLenum type, const void* data);
    void CopyBuffer(GLuint source, GLintptr sourceOffset, GLuint destination, GLsizeiptr size);
    // Reads back into `data` (a stall: for the rare updates that need what a copy left).
    void GetBufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, void* data);
    void CopyTextureLevel(GLuint source, GLenum sourceTarget, GLuint destination, GLenum destinationTarget, GLint level,
                          GLsizei width, GLsizei height, GLsizei slices);
    void GenerateMipmap(GLuint texture);
    void Flush();
    // Debug groups and markers, which GL debuggers show (the debug output must be on).
    void PushDebugGroup(const std::string& name);
    void PopDebugGroup();
    void DebugMarker(const std::string& text);
    // Into the default framebuffer, upside down (the window's row 0 is its bottom).
    void BlitToWindow(GLuint source, GLint width, GLint height, GLint windowWidth, GLint windowHeight);

    // ---- names the layer deletes; GL reuses them ----
    void ForgetTexture(GLuint texture);
    void ForgetBuffer(GLuint buffer);
    void ForgetSampler(GLuint sampler);
    void ForgetProgram(GLuint program);
    void ForgetFramebuffer(GLuint framebuffer);
    void ForgetVertexArray(GLuint vertexArray);
    // Everything unknown: after another context ran in between.
    void Reset();

private:
    template <typename Function, typename... Args>
    auto Gl(Function function, Args... args);

    // A value GL holds for us, or unknown: before the first call, after a reset, or once the object
    // it named was deleted.
    template <typename T>
    class Cached {
    public:
        // True when GL must be told (the value is unknown or differs, or the cache is bypassed); the
        // value is then taken as what GL holds.
        bool Update(const T& next, bool bypass)
        {
            if (!bypass && known && value == next) {
                return false;
            }
            value = next;
            known = true;
            return true;
        }
        bool Holds(const T& candidate) const { return known && value == candidate; }
        template <typename Matches>
        bool HoldsWhere(Matches matches) const
        {
            return known && matches(value);
        }
        void Forget() { known = false; }

    private:
        T value{};
        bool known = false;
    };
    template <typename T>
    bool Changes(Cached<T>& cached, const T& value)
    {
        return cached.Update(value, bypass);
    }

    enum class Capability {
        CullFace,
        DepthClamp,
        ScissorTest,
        PolygonOffsetFill,
        AlphaToCoverage,
        DepthTest,
        StencilTest,
        Count
    };
    void Enable(Capability capability, bool on);
    void DepthMask(bool write);
    void StencilMask(GLuint mask);

    struct UniformRange {
        GLuint buffer = 0;
        GLintptr offset = 0;
        GLsizeiptr size = 0;
        bool operator==(const UniformRange&) const = default;
    };
    struct Image {
        GLuint texture = 0;
        GLint level = 0;
        GLenum format = 0;
        bool operator==(const Image&) const = default;
    };
    // The state object applied last to a block: a repeat costs nothing. The depth-stencil block's
    // reference value belongs to the binding, not the object, so it is part of what was applied.
    struct AppliedObject {
        std::uint64_t id = 0;
        UINT stencilRef = 0;
        bool operator==(const AppliedObject&) const = default;
    };

    // Everything GL holds for the layer; a reset makes all of it unknown at once.
    struct Held {
        Cached<GLuint> framebuffer, pipeline, vertexArray, program;
        std::array<Cached<GLuint>, 3> stagePrograms;  // by StageKind
        std::array<Cached<GLuint>, 192> textures, samplers;
        std::array<Cached<UniformRange>, 64> uniformBuffers;
        std::array<Cached<Image>, 8> images;
        Cached<std::array<float, 6>> viewport;
        std::array<Cached<AppliedObject>, static_cast<int>(StateBlock::Count)> appliedObjects;

        std::array<Cached<bool>, static_cast<int>(Capability::Count)> capabilities;
        std::array<Cached<bool>, 8> blendOn;
        Cached<GLenum> cullFace, frontFace, polygonMode, depthFunc;
        Cached<std::array<float, 2>> polygonOffset;
        Cached<std::array<float, 4>> blendColor;
        std::array<Cached<std::array<GLenum, 4>>, 8> blendFunc;
        std::array<Cached<std::array<GLenum, 2>>, 8> blendEquation;
        std::array<Cached<unsigned>, 8> colorMask;
        Cached<bool> depthMask;
        std::array<Cached<std::array<GLuint, 3>>, 2> stencilFunc;
        std::array<Cached<std::array<GLenum, 3>>, 2> stencilOp;
        Cached<GLuint> stencilMask;
    };
    Cached<AppliedObject>& Applied(StateBlock block) { return held.appliedObjects[static_cast<int>(block)]; }

    std::uint64_t calls = 0;
    std::uint64_t resets = 0;
    Held held;
};

}  // namespace d3dgl
