#include "platform/d3d11/GlState.h"

#include <cstdio>

namespace d3dgl {

template <typename Function, typename... Args>
auto GlState::Gl(Function function, Args... args)
{
    ++calls;
    return function(args...);
}

// ---- bindings ----

namespace {

// Units and bindings come from shaders the device checked at creation (Shaders.cpp), so one past the
// arrays kept here is a fault of the layer itself: said once per call, and the binding ignored rather
// than written outside the array.
bool WithinRange(const char* call, std::size_t index, std::size_t size, bool& said)
{
    if (index < size) {
        return true;
    }
    if (!said) {
        said = true;
        std::fprintf(stderr, "d3d11: GlState::%s: unit %zu is past the %zu kept (a fault of the layer); ignored\n",
                     call, index, size);
    }
    return false;
}

}  // namespace

void GlState::BindDrawFramebuffer(GLuint name)
{
    if (Changes(held.framebuffer, name)) {
        Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, name);
    }
}

void GlState::BindPipeline(GLuint name)
{
    if (!Changes(held.pipeline, name)) {
        return;
    }
    // A program made current with glUseProgram would override the pipeline; the layer never makes
    // one current, so this is needed only once per context.
    if (Changes(held.program, 0u)) {
        Gl(glUseProgram, 0u);
    }
    Gl(glBindProgramPipeline, name);
}

void GlState::UseProgram(GLuint pipelineName, StageKind stage, GLuint name)
{
    static constexpr GLbitfield kStageBits[] = {GL_VERTEX_SHADER_BIT, GL_FRAGMENT_SHADER_BIT, GL_COMPUTE_SHADER_BIT};
    const auto index = static_cast<size_t>(stage);
    static bool said = false;
    if (WithinRange("UseProgram", index, held.stagePrograms.size(), said) && Changes(held.stagePrograms[index], name)) {
        Gl(glUseProgramStages, pipelineName, kStageBits[index], name);
    }
}

void GlState::BindVertexArray(GLuint name)
{
    if (Changes(held.vertexArray, name)) {
        Gl(glBindVertexArray, name);
    }
}

void GlState::AttachVertexBuffer(GLuint vertexArrayName, VertexArrayAttachments& attached, UINT slot,
                                 std::uint64_t bufferId, GLuint buffer, UINT offset, UINT stride)
{
    if (!bypass && attached.buffers[slot] == bufferId && attached.strides[slot] == stride &&
        attached.offsets[slot] == offset) {
        return;
    }
    Gl(glVertexArrayVertexBuffer, vertexArrayName, slot, buffer, static_cast<GLintptr>(offset),
       static_cast<GLsizei>(stride));
    attached.buffers[slot] = bufferId;
    attached.strides[slot] = stride;
    attached.offsets[slot] = offset;
}

void GlState::AttachIndexBuffer(GLuint vertexArrayName, VertexArrayAttachments* attached, std::uint64_t bufferId,
                                GLuint buffer)
{
    if (!bypass && attached != nullptr && attached->indexBuffer == bufferId) {
        return;
    }
    Gl(glVertexArrayElementBuffer, vertexArrayName, buffer);
    if (attached != nullptr) {
        attached->indexBuffer = bufferId;
    }
}

void GlState::BindTexture(GLuint unit, GLuint texture)
{
    static bool said = false;
    if (WithinRange("BindTexture", unit, held.textures.size(), said) && Changes(held.textures[unit], texture)) {
        Gl(glBindTextureUnit, unit, texture);
    }
}

void GlState::BindSampler(GLuint unit, GLuint sampler)
{
    static bool said = false;
    if (WithinRange("BindSampler", unit, held.samplers.size(), said) && Changes(held.samplers[unit], sampler)) {
        Gl(glBindSampler, unit, sampler);
    }
}

void GlState::BindUniformBuffer(GLuint binding, GLuint buffer, GLintptr offset, GLsizeiptr size)
{
    const UniformRange range{buffer, buffer != 0 ? offset : 0, buffer != 0 ? size : 0};
    static bool said = false;
    if (!WithinRange("BindUniformBuffer", binding, held.uniformBuffers.size(), said) ||
        !Changes(held.uniformBuffers[binding], range)) {
        return;
    }
    if (buffer == 0) {
        Gl(glBindBufferBase, GL_UNIFORM_BUFFER, binding, GLuint(0));
    } else {
        Gl(glBindBufferRange, GL_UNIFORM_BUFFER, binding, buffer, offset, size);
    }
}

void GlState::BindImage(GLuint unit, GLuint texture, GLint level, GLenum format)
{
    static bool said = false;
    if (!WithinRange("BindImage", unit, held.images.size(), said) ||
        !Changes(held.images[unit], Image{texture, level, format})) {
        return;
    }
    if (texture == 0) {
        Gl(glBindImageTexture, unit, 0u, 0, GLboolean(GL_FALSE), 0, GLenum(GL_READ_ONLY), GLenum(GL_R32F));
    } else {
        Gl(glBindImageTexture, unit, texture, level, GLboolean(GL_FALSE), 0, GLenum(GL_READ_WRITE), format);
    }
}

void GlState::Viewport(const D3D11_VIEWPORT& value)
{
    const std::array<float, 6> fields{value.TopLeftX, value.TopLeftY, value.Width,
                                      value.Height,   value.MinDepth, value.MaxDepth};
    if (Changes(held.viewport, fields)) {
        Gl(glViewportIndexedf, 0u, value.TopLeftX, value.TopLeftY, value.Width, value.Height);
        Gl(glDepthRangeIndexed, 0u, GLdouble(value.MinDepth), GLdouble(value.MaxDepth));
    }
}

// ---- fixed-function state ----

void GlState::Enable(Capability capability, bool on)
{
    static constexpr GLenum kNames[static_cast<int>(Capability::Count)] = {
        GL_CULL_FACE,  GL_DEPTH_CLAMP, GL_SCISSOR_TEST, GL_POLYGON_OFFSET_FILL, GL_SAMPLE_ALPHA_TO_COVERAGE,
        GL_DEPTH_TEST, GL_STENCIL_TEST};
    if (!Changes(held.capabilities[static_cast<int>(capability)], on)) {
        return;
    }
    if (on) {
        Gl(glEnable, kNames[static_cast<int>(capability)]);
    } else {
        Gl(glDisable, kNames[static_cast<int>(capability)]);
    }
}

void GlState::DepthMask(bool write)
{
    if (Changes(held.depthMask, write)) {
        Gl(glDepthMask, GLboolean(write ? GL_TRUE : GL_FALSE));
    }
}

void GlState::StencilMask(GLuint mask)
{
    if (Changes(held.stencilMask, mask)) {
        Gl(glStencilMask, mask);
    }
}

void GlState::Apply(std::uint64_t id, const RasterizerGl& r)
{
    if (!Changes(Applied(StateBlock::Rasterizer), AppliedObject{id, 0})) {
        return;
    }
    Enable(Capability::CullFace, r.cull);
    if (r.cull && Changes(held.cullFace, r.cullFace)) {
        Gl(glCullFace, r.cullFace);
    }
    if (Changes(held.frontFace, r.frontFace)) {
        Gl(glFrontFace, r.frontFace);
    }
    if (Changes(held.polygonMode, r.polygonMode)) {
        Gl(glPolygonMode, GLenum(GL_FRONT_AND_BACK), r.polygonMode);
    }
    Enable(Capability::DepthClamp, r.depthClamp);
    Enable(Capability::ScissorTest, r.scissor);
    Enable(Capability::PolygonOffsetFill, r.polygonOffset);
    if (r.polygonOffset && Changes(held.polygonOffset, std::array<float, 2>{r.offsetFactor, r.offsetUnits})) {
        Gl(glPolygonOffset, r.offsetFactor, r.offsetUnits);
    }
}

void GlState::Apply(std::uint64_t id, const BlendGl& b, const float factor[4])
{
    if (Changes(held.blendColor, std::array<float, 4>{factor[0], factor[1], factor[2], factor[3]})) {
        Gl(glBlendColor, factor[0], factor[1], factor[2], factor[3]);
    }
    if (!Changes(Applied(StateBlock::Blend), AppliedObject{id, 0})) {
        return;
    }
    Enable(Capability::AlphaToCoverage, b.alphaToCoverage);
    for (GLuint i = 0; i < b.targets.size(); ++i) {
        const BlendTargetGl& t = b.targets[i];
        if (Changes(held.blendOn[i], t.enabled)) {
            if (t.enabled) {
                Gl(glEnablei, GLenum(GL_BLEND), i);
            } else {
                Gl(glDisablei, GLenum(GL_BLEND), i);
            }
        }
        if (t.enabled) {
            if (Changes(held.blendFunc[i],
                        std::array<GLenum, 4>{t.source, t.destination, t.sourceAlpha, t.destinationAlpha})) {
                Gl(glBlendFuncSeparatei, i, t.source, t.destination, t.sourceAlpha, t.destinationAlpha);
            }
            if (Changes(held.blendEquation[i], std::array<GLenum, 2>{t.operation, t.operationAlpha})) {
                Gl(glBlendEquationSeparatei, i, t.operation, t.operationAlpha);
            }
        }
        if (Changes(held.colorMask[i], t.writeMask)) {
            const unsigned m = t.writeMask;
            Gl(glColorMaski, i, GLboolean((m & 1) != 0), GLboolean((m & 2) != 0), GLboolean((m & 4) != 0),
               GLboolean((m & 8) != 0));
        }
    }
}

void GlState::Apply(std::uint64_t id, const DepthStencilGl& d, UINT stencilRef)
{
    if (!Changes(Applied(StateBlock::DepthStencil), AppliedObject{id, stencilRef})) {
        return;
    }
    Enable(Capability::DepthTest, d.depthTest);
    if (d.depthTest) {
        if (Changes(held.depthFunc, d.depthFunction)) {
            Gl(glDepthFunc, d.depthFunction);
        }
        DepthMask(d.depthWrite);
    }
    Enable(Capability::StencilTest, d.stencilTest);
    if (d.stencilTest) {
        for (int i = 0; i < 2; ++i) {
            const StencilFaceGl& f = d.faces[i];
            const GLenum face = i == 0 ? GL_FRONT : GL_BACK;
            if (Changes(held.stencilFunc[i], std::array<GLuint, 3>{f.function, stencilRef, d.readMask})) {
                Gl(glStencilFuncSeparate, face, f.function, static_cast<GLint>(stencilRef), d.readMask);
            }
            if (Changes(held.stencilOp[i], std::array<GLenum, 3>{f.fail, f.depthFail, f.pass})) {
                Gl(glStencilOpSeparate, face, f.fail, f.depthFail, f.pass);
            }
        }
        StencilMask(d.writeMask);
    }
}

// ---- work ----

void GlState::ClearColor(GLuint texture, GLint level, const float rgba[4])
{
    Gl(glClearTexImage, texture, level, GLenum(GL_RGBA), GLenum(GL_FLOAT), static_cast<const void*>(rgba));
}

void GlState::ClearDepthStencil(GLuint framebufferName, bool depth, bool stencil, float depthValue, GLint stencilValue)
{
    // Framebuffer clears obey the write masks and the scissor.
    Enable(Capability::ScissorTest, false);
    DepthMask(true);
    StencilMask(0xFF);
    Applied(StateBlock::Rasterizer).Forget();
    Applied(StateBlock::DepthStencil).Forget();
    if (depth && stencil) {
        Gl(glClearNamedFramebufferfi, framebufferName, GLenum(GL_DEPTH_STENCIL), 0, depthValue, stencilValue);
    } else if (depth) {
        Gl(glClearNamedFramebufferfv, framebufferName, GLenum(GL_DEPTH), 0, static_cast<const GLfloat*>(&depthValue));
    } else {
        Gl(glClearNamedFramebufferiv, framebufferName, GLenum(GL_STENCIL), 0, static_cast<const GLint*>(&stencilValue));
    }
}

void GlState::DrawArrays(GLenum mode, GLint first, GLsizei count, GLsizei instances, GLuint baseInstance)
{
    Gl(glDrawArraysInstancedBaseInstance, mode, first, count, instances, baseInstance);
}

void GlState::DrawElements(GLenum mode, GLsizei count, GLenum indexType, std::uintptr_t offset, GLsizei instances,
                           GLint baseVertex, GLuint baseInstance)
{
    Gl(glDrawElementsInstancedBaseVertexBaseInstance, mode, count, indexType, reinterpret_cast<const void*>(offset),
       instances, baseVertex, baseInstance);
}

void GlState::Dispatch(GLuint x, GLuint y, GLuint z)
{
    Gl(glDispatchCompute, x, y, z);
    Gl(glMemoryBarrier,
       GLbitfield(GL_TEXTURE_FETCH_BARRIER_BIT | GL_SHADER_IMAGE_ACCESS_BARRIER_BIT | GL_FRAMEBUFFER_BARRIER_BIT |
                  GL_TEXTURE_UPDATE_BARRIER_BIT | GL_PIXEL_BUFFER_BARRIER_BIT));
}

void* GlState::MapBuffer(GLuint buffer, GLsizeiptr size, GLbitfield access)
{
    return Gl(glMapNamedBufferRange, buffer, GLintptr(0), size, access);
}

void GlState::UnmapBuffer(GLuint buffer)
{
    Gl(glUnmapNamedBuffer, buffer);
}

void GlState::BufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, const void* data)
{
    Gl(glNamedBufferSubData, buffer, offset, size, data);
}

void GlState::TextureSubImage(GLuint texture, GLint level, GLint x, GLint y, GLint slice, GLsizei width, GLsizei height,
                              GLint rowLength, GLenum format, GLenum type, const void* data)
{
    Gl(glPixelStorei, GLenum(GL_UNPACK_ROW_LENGTH), rowLength);
    Gl(glTextureSubImage3D, texture, level, x, y, slice, width, height, GLsizei(1), format, type, data);
    Gl(glPixelStorei, GLenum(GL_UNPACK_ROW_LENGTH), 0);
}

void GlState::PushDebugGroup(const std::string& name)
{
    Gl(glPushDebugGroup, GLenum(GL_DEBUG_SOURCE_APPLICATION), GLuint(0), static_cast<GLsizei>(name.size()),
       name.c_str());
}

void GlState::PopDebugGroup()
{
    Gl(glPopDebugGroup);
}

void GlState::DebugMarker(const std::string& text)
{
    Gl(glDebugMessageInsert, GLenum(GL_DEBUG_SOURCE_APPLICATION), GLenum(GL_DEBUG_TYPE_MARKER), GLuint(0),
       GLenum(GL_DEBUG_SEVERITY_NOTIFICATION), static_cast<GLsizei>(text.size()), text.c_str());
}

void GlState::CopyBuffer(GLuint source, GLintptr sourceOffset, GLuint destination, GLsizeiptr size)
{
    Gl(glCopyNamedBufferSubData, source, destination, sourceOffset, GLintptr(0), size);
}

void GlState::GetBufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, void* data)
{
    Gl(glGetNamedBufferSubData, buffer, offset, size, data);
}

void GlState::CopyTextureLevel(GLuint source, GLenum sourceTarget, GLuint destination, GLenum destinationTarget,
                               GLint level, GLsizei width, GLsizei height, GLsizei slices)
{
    Gl(glCopyImageSubData, source, sourceTarget, level, 0, 0, 0, destination, destinationTarget, level, 0, 0, 0, width,
       height, slices);
}

void GlState::GenerateMipmap(GLuint texture)
{
    Gl(glGenerateTextureMipmap, texture);
}

void GlState::Flush()
{
    Gl(glFlush);
}

void GlState::BlitToWindow(GLuint source, GLint width, GLint height, GLint windowWidth, GLint windowHeight)
{
    // Blits obey the scissor; the next draw re-applies its rasterizer state.
    Enable(Capability::ScissorTest, false);
    Applied(StateBlock::Rasterizer).Forget();
    BindDrawFramebuffer(0);
    const GLenum filter = width == windowWidth && height == windowHeight ? GL_NEAREST : GL_LINEAR;
    Gl(glBlitNamedFramebuffer, source, 0u, 0, 0, width, height, 0, windowHeight, windowWidth, 0,
       GLbitfield(GL_COLOR_BUFFER_BIT), filter);
}

// ---- forgetting ----

namespace {

// Forgets the values the predicate picks out: GL reuses the names of deleted objects.
template <typename Cache, typename Matches>
void ForgetWhere(Cache& cache, Matches matches)
{
    for (auto& cached : cache) {
        if (cached.HoldsWhere(matches)) {
            cached.Forget();
        }
    }
}

}  // namespace

void GlState::ForgetTexture(GLuint texture)
{
    ForgetWhere(held.textures, [&](GLuint t) { return t == texture; });
    ForgetWhere(held.images, [&](const Image& image) { return image.texture == texture; });
}

void GlState::ForgetBuffer(GLuint buffer)
{
    ForgetWhere(held.uniformBuffers, [&](const UniformRange& range) { return range.buffer == buffer; });
}

void GlState::ForgetSampler(GLuint sampler)
{
    ForgetWhere(held.samplers, [&](GLuint s) { return s == sampler; });
}

void GlState::ForgetProgram(GLuint name)
{
    ForgetWhere(held.stagePrograms, [&](GLuint p) { return p == name; });
}

void GlState::ForgetFramebuffer(GLuint name)
{
    if (held.framebuffer.Holds(name)) {
        held.framebuffer.Forget();
    }
}

void GlState::ForgetVertexArray(GLuint name)
{
    if (held.vertexArray.Holds(name)) {
        held.vertexArray.Forget();
    }
}

void GlState::Reset()
{
    ++resets;
    held = Held{};
}

}  // namespace d3dgl
