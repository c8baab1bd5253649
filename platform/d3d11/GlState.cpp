#include "platform/d3d11/GlState.h"

#include <cstdio>
#include <cstring>

namespace d3dgl {

template <typename Function, typename... Args>
auto GlState::Gl(Function function, Args... args)
{
    ++calls;
    return function(args...);
}

template <typename T>
bool GlState::Changes(Slot<T>& slot, const T& value)
{
    if (!bypass && slot.known && slot.value == value) {
        return false;
    }
    slot.value = value;
    slot.known = true;
    return true;
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
    if (!bypass && framebuffer == name) {
        return;
    }
    Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, name);
    framebuffer = name;
}

void GlState::BindPipeline(GLuint name)
{
    if (!bypass && pipeline == name) {
        return;
    }
    // A program made current with glUseProgram would override the pipeline; the layer never makes
    // one current, so this is needed only once per context.
    if (bypass || program != 0) {
        Gl(glUseProgram, 0u);
        program = 0;
    }
    Gl(glBindProgramPipeline, name);
    pipeline = name;
}

void GlState::UseProgram(GLuint pipelineName, StageKind stage, GLuint name)
{
    static constexpr GLbitfield kStageBits[] = {GL_VERTEX_SHADER_BIT, GL_FRAGMENT_SHADER_BIT, GL_COMPUTE_SHADER_BIT};
    const auto index = static_cast<size_t>(stage);
    static bool said = false;
    if (!WithinRange("UseProgram", index, stagePrograms.size(), said)) {
        return;
    }
    GLuint& current = stagePrograms[index];
    if (!bypass && current == name) {
        return;
    }
    Gl(glUseProgramStages, pipelineName, kStageBits[index], name);
    current = name;
}

void GlState::BindVertexArray(GLuint name)
{
    if (!bypass && vertexArray == name) {
        return;
    }
    Gl(glBindVertexArray, name);
    vertexArray = name;
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
    if (!WithinRange("BindTexture", unit, textures.size(), said) || (!bypass && textures[unit] == texture)) {
        return;
    }
    Gl(glBindTextureUnit, unit, texture);
    textures[unit] = texture;
}

void GlState::BindSampler(GLuint unit, GLuint sampler)
{
    static bool said = false;
    if (!WithinRange("BindSampler", unit, samplers.size(), said) || (!bypass && samplers[unit] == sampler)) {
        return;
    }
    Gl(glBindSampler, unit, sampler);
    samplers[unit] = sampler;
}

void GlState::BindUniformBuffer(GLuint binding, GLuint buffer, GLintptr offset, GLsizeiptr size)
{
    const UniformRange range{buffer, buffer != 0 ? offset : 0, buffer != 0 ? size : 0};
    static bool said = false;
    if (!WithinRange("BindUniformBuffer", binding, uniformBuffers.size(), said) ||
        (!bypass && uniformBuffers[binding] == range)) {
        return;
    }
    if (buffer == 0) {
        Gl(glBindBufferBase, GL_UNIFORM_BUFFER, binding, GLuint(0));
    } else {
        Gl(glBindBufferRange, GL_UNIFORM_BUFFER, binding, buffer, offset, size);
    }
    uniformBuffers[binding] = range;
}

void GlState::BindImage(GLuint unit, GLuint texture, GLint level, GLenum format)
{
    static bool said = false;
    if (!WithinRange("BindImage", unit, images.size(), said)) {
        return;
    }
    Image& image = images[unit];
    if (!bypass && image.texture == texture && image.level == level && image.format == format) {
        return;
    }
    if (texture == 0) {
        Gl(glBindImageTexture, unit, 0u, 0, GLboolean(GL_FALSE), 0, GLenum(GL_READ_ONLY), GLenum(GL_R32F));
    } else {
        Gl(glBindImageTexture, unit, texture, level, GLboolean(GL_FALSE), 0, GLenum(GL_READ_WRITE), format);
    }
    image = {texture, level, format};
}

void GlState::Viewport(const D3D11_VIEWPORT& value)
{
    if (!bypass && viewport.known && std::memcmp(&viewport.value, &value, sizeof value) == 0) {
        return;
    }
    Gl(glViewportIndexedf, 0u, value.TopLeftX, value.TopLeftY, value.Width, value.Height);
    Gl(glDepthRangeIndexed, 0u, GLdouble(value.MinDepth), GLdouble(value.MaxDepth));
    viewport.value = value;
    viewport.known = true;
}

// ---- fixed-function state ----

void GlState::Enable(Capability capability, bool on)
{
    static constexpr GLenum kNames[kCapabilityCount] = {
        GL_CULL_FACE,  GL_DEPTH_CLAMP, GL_SCISSOR_TEST, GL_POLYGON_OFFSET_FILL, GL_SAMPLE_ALPHA_TO_COVERAGE,
        GL_DEPTH_TEST, GL_STENCIL_TEST};
    if (!Changes(fixed.capabilities[capability], on)) {
        return;
    }
    if (on) {
        Gl(glEnable, kNames[capability]);
    } else {
        Gl(glDisable, kNames[capability]);
    }
}

void GlState::DepthMask(bool write)
{
    if (Changes(fixed.depthMask, write)) {
        Gl(glDepthMask, GLboolean(write ? GL_TRUE : GL_FALSE));
    }
}

void GlState::StencilMask(GLuint mask)
{
    if (Changes(fixed.stencilMask, mask)) {
        Gl(glStencilMask, mask);
    }
}

void GlState::Apply(std::uint64_t id, const RasterizerGl& r)
{
    std::uint64_t& applied = appliedObjects[static_cast<int>(StateBlock::Rasterizer)];
    if (!bypass && applied == id) {
        return;
    }
    applied = id;
    Enable(kCullFace, r.cull);
    if (r.cull && Changes(fixed.cullFace, r.cullFace)) {
        Gl(glCullFace, r.cullFace);
    }
    if (Changes(fixed.frontFace, r.frontFace)) {
        Gl(glFrontFace, r.frontFace);
    }
    if (Changes(fixed.polygonMode, r.polygonMode)) {
        Gl(glPolygonMode, GLenum(GL_FRONT_AND_BACK), r.polygonMode);
    }
    Enable(kDepthClamp, r.depthClamp);
    Enable(kScissorTest, r.scissor);
    Enable(kPolygonOffsetFill, r.polygonOffset);
    if (r.polygonOffset && Changes(fixed.polygonOffset, std::array<float, 2>{r.offsetFactor, r.offsetUnits})) {
        Gl(glPolygonOffset, r.offsetFactor, r.offsetUnits);
    }
}

void GlState::Apply(std::uint64_t id, const BlendGl& b, const float factor[4])
{
    if (Changes(fixed.blendColor, std::array<float, 4>{factor[0], factor[1], factor[2], factor[3]})) {
        Gl(glBlendColor, factor[0], factor[1], factor[2], factor[3]);
    }
    std::uint64_t& applied = appliedObjects[static_cast<int>(StateBlock::Blend)];
    if (!bypass && applied == id) {
        return;
    }
    applied = id;
    Enable(kAlphaToCoverage, b.alphaToCoverage);
    for (GLuint i = 0; i < b.targets.size(); ++i) {
        const BlendTargetGl& t = b.targets[i];
        if (Changes(fixed.blendOn[i], t.enabled)) {
            if (t.enabled) {
                Gl(glEnablei, GLenum(GL_BLEND), i);
            } else {
                Gl(glDisablei, GLenum(GL_BLEND), i);
            }
        }
        if (t.enabled) {
            if (Changes(fixed.blendFunc[i],
                        std::array<GLenum, 4>{t.source, t.destination, t.sourceAlpha, t.destinationAlpha})) {
                Gl(glBlendFuncSeparatei, i, t.source, t.destination, t.sourceAlpha, t.destinationAlpha);
            }
            if (Changes(fixed.blendEquation[i], std::array<GLenum, 2>{t.operation, t.operationAlpha})) {
                Gl(glBlendEquationSeparatei, i, t.operation, t.operationAlpha);
            }
        }
        if (Changes(fixed.colorMask[i], t.writeMask)) {
            const unsigned m = t.writeMask;
            Gl(glColorMaski, i, GLboolean((m & 1) != 0), GLboolean((m & 2) != 0), GLboolean((m & 4) != 0),
               GLboolean((m & 8) != 0));
        }
    }
}

void GlState::Apply(std::uint64_t id, const DepthStencilGl& d, UINT stencilRef)
{
    // The reference value belongs to the binding, not the object, so it is part of what was applied.
    std::uint64_t& applied = appliedObjects[static_cast<int>(StateBlock::DepthStencil)];
    if (!bypass && applied == id && appliedStencilRef == stencilRef) {
        return;
    }
    applied = id;
    appliedStencilRef = stencilRef;
    Enable(kDepthTest, d.depthTest);
    if (d.depthTest) {
        if (Changes(fixed.depthFunc, d.depthFunction)) {
            Gl(glDepthFunc, d.depthFunction);
        }
        DepthMask(d.depthWrite);
    }
    Enable(kStencilTest, d.stencilTest);
    if (d.stencilTest) {
        for (int i = 0; i < 2; ++i) {
            const StencilFaceGl& f = d.faces[i];
            const GLenum face = i == 0 ? GL_FRONT : GL_BACK;
            if (Changes(fixed.stencilFunc[i], std::array<GLuint, 3>{f.function, stencilRef, d.readMask})) {
                Gl(glStencilFuncSeparate, face, f.function, static_cast<GLint>(stencilRef), d.readMask);
            }
            if (Changes(fixed.stencilOp[i], std::array<GLenum, 3>{f.fail, f.depthFail, f.pass})) {
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
    Enable(kScissorTest, false);
    DepthMask(true);
    StencilMask(0xFF);
    appliedObjects[static_cast<int>(StateBlock::Rasterizer)] = kNoObject;
    appliedObjects[static_cast<int>(StateBlock::DepthStencil)] = kNoObject;
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
    Enable(kScissorTest, false);
    appliedObjects[static_cast<int>(StateBlock::Rasterizer)] = kNoObject;
    BindDrawFramebuffer(0);
    const GLenum filter = width == windowWidth && height == windowHeight ? GL_NEAREST : GL_LINEAR;
    Gl(glBlitNamedFramebuffer, source, 0u, 0, 0, width, height, 0, windowHeight, windowWidth, 0,
       GLbitfield(GL_COLOR_BUFFER_BIT), filter);
}

// ---- forgetting ----

void GlState::ForgetTexture(GLuint texture)
{
    for (GLuint& t : textures) {
        if (t == texture) {
            t = kUnknown;
        }
    }
    for (Image& image : images) {
        if (image.texture == texture) {
            image.texture = kUnknown;
        }
    }
}

void GlState::ForgetBuffer(GLuint buffer)
{
    for (UniformRange& range : uniformBuffers) {
        if (range.buffer == buffer) {
            range.buffer = kUnknown;
        }
    }
}

void GlState::ForgetSampler(GLuint sampler)
{
    for (GLuint& s : samplers) {
        if (s == sampler) {
            s = kUnknown;
        }
    }
}

void GlState::ForgetProgram(GLuint name)
{
    for (GLuint& p : stagePrograms) {
        if (p == name) {
            p = kUnknown;
        }
    }
}

void GlState::ForgetFramebuffer(GLuint name)
{
    if (framebuffer == name) {
        framebuffer = kUnknown;
    }
}

void GlState::ForgetVertexArray(GLuint name)
{
    if (vertexArray == name) {
        vertexArray = kUnknown;
    }
}

void GlState::Reset()
{
    ++resets;
    framebuffer = pipeline = vertexArray = program = kUnknown;
    stagePrograms.fill(kUnknown);
    textures.fill(kUnknown);
    samplers.fill(kUnknown);
    uniformBuffers.fill(UniformRange{kUnknown, 0, 0});
    for (Image& image : images) {
        image.texture = kUnknown;
    }
    viewport.known = false;
    appliedObjects.fill(kNoObject);
    fixed = FixedFunction{};
}

}  // namespace d3dgl
