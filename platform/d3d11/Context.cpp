// The immediate context. Set* calls only record; Draw*/Dispatch translate the recorded state to GL
// through the device's state cache.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/d3d11/Internal.h"

namespace d3dgl {

namespace {

constexpr UINT kSrvSlots = D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT;
constexpr UINT kCbSlots = D3D11_COMMONSHADER_CONSTANT_BUFFER_API_SLOT_COUNT;
constexpr UINT kSamplerSlots = D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT;
constexpr UINT kVbSlots = D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT;
constexpr UINT kUavSlots = D3D11_PS_CS_UAV_REGISTER_COUNT;

// Which way GL must call a face "front" for Direct3D's meaning. With the upper-left clip origin, GL
// computes facing from window coordinates whose y runs down, which is the screen Direct3D's
// clockwise refers to, so no reversal is needed (the culling pixel test pins this down).
constexpr bool kReverseWinding = false;

GLenum GlBlend(UINT b) {
  switch (b) {
    case D3D11_BLEND_ZERO: return GL_ZERO;
    case D3D11_BLEND_ONE: return GL_ONE;
    case D3D11_BLEND_SRC_COLOR: return GL_SRC_COLOR;
    case D3D11_BLEND_INV_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3D11_BLEND_SRC_ALPHA: return GL_SRC_ALPHA;
    case D3D11_BLEND_INV_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3D11_BLEND_DEST_ALPHA: return GL_DST_ALPHA;
    case D3D11_BLEND_INV_DEST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3D11_BLEND_DEST_COLOR: return GL_DST_COLOR;
    case D3D11_BLEND_INV_DEST_COLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3D11_BLEND_SRC_ALPHA_SAT: return GL_SRC_ALPHA_SATURATE;
    case D3D11_BLEND_BLEND_FACTOR: return GL_CONSTANT_COLOR;
    case D3D11_BLEND_INV_BLEND_FACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    case 16: return GL_SRC1_COLOR;
    case 17: return GL_ONE_MINUS_SRC1_COLOR;
    case 18: return GL_SRC1_ALPHA;
    case 19: return GL_ONE_MINUS_SRC1_ALPHA;
    default: return GL_ONE;
  }
}

GLenum GlBlendOp(UINT op) {
  switch (op) {
    case D3D11_BLEND_OP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3D11_BLEND_OP_REV_SUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3D11_BLEND_OP_MIN: return GL_MIN;
    case D3D11_BLEND_OP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum GlCompare(UINT c) { return c >= 1 && c <= 8 ? GL_NEVER + (c - 1) : GL_ALWAYS; }

GLenum GlStencilOp(UINT o) {
  switch (o) {
    case D3D11_STENCIL_OP_ZERO: return GL_ZERO;
    case D3D11_STENCIL_OP_REPLACE: return GL_REPLACE;
    case D3D11_STENCIL_OP_INCR_SAT: return GL_INCR;
    case D3D11_STENCIL_OP_DECR_SAT: return GL_DECR;
    case D3D11_STENCIL_OP_INVERT: return GL_INVERT;
    case D3D11_STENCIL_OP_INCR: return GL_INCR_WRAP;
    case D3D11_STENCIL_OP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum GlTopology(D3D11_PRIMITIVE_TOPOLOGY t) {
  switch (t) {
    case D3D11_PRIMITIVE_TOPOLOGY_POINTLIST: return GL_POINTS;
    case D3D11_PRIMITIVE_TOPOLOGY_LINELIST: return GL_LINES;
    case D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP: return GL_LINE_STRIP;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST: return GL_TRIANGLES;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    default: return 0;
  }
}

template <typename Impl, typename Interface>
void SetRange(Ref<Impl>* slots, UINT capacity, UINT start, UINT count, Interface* const* items) {
  for (UINT i = 0; i < count && start + i < capacity; ++i)
    slots[start + i].Reset(items != nullptr && items[i] != nullptr ? static_cast<Impl*>(items[i]) : nullptr);
}

struct StageSlots {
  Ref<BufferImpl> buffers[kCbSlots];
  Ref<SrvImpl> views[kSrvSlots];
  Ref<SamplerStateImpl> samplers[kSamplerSlots];
  void Clear() {
    for (auto& b : buffers) b.Reset(nullptr);
    for (auto& v : views) v.Reset(nullptr);
    for (auto& s : samplers) s.Reset(nullptr);
  }
};

class ContextImpl final : public DeviceChild<ID3D11DeviceContext> {
 public:
  explicit ContextImpl(std::shared_ptr<DeviceCore> core) : DeviceChild(std::move(core)) { ClearState(); }
  ~ContextImpl() override { ClearState(); }
  IUnknown* Cast(REFIID riid) override {
    if (riid == IID_ID3D11DeviceContext) return this;
    return DeviceChild::Cast(riid);
  }

  // ---- recording ----
  void VSSetConstantBuffers(UINT s, UINT n, ID3D11Buffer* const* b) override {
    Trace("VSSetConstantBuffers", {s, n});
    SetRange(slots_[0].buffers, kCbSlots, s, n, b);
  }
  void PSSetConstantBuffers(UINT s, UINT n, ID3D11Buffer* const* b) override {
    Trace("PSSetConstantBuffers", {s, n});
    SetRange(slots_[1].buffers, kCbSlots, s, n, b);
  }
  void CSSetConstantBuffers(UINT s, UINT n, ID3D11Buffer* const* b) override {
    Trace("CSSetConstantBuffers", {s, n});
    SetRange(slots_[2].buffers, kCbSlots, s, n, b);
  }
  void VSSetShaderResources(UINT s, UINT n, ID3D11ShaderResourceView* const* v) override {
    Trace("VSSetShaderResources", {s, n});
    SetRange(slots_[0].views, kSrvSlots, s, n, v);
  }
  void PSSetShaderResources(UINT s, UINT n, ID3D11ShaderResourceView* const* v) override {
    Trace("PSSetShaderResources", {s, n});
    SetRange(slots_[1].views, kSrvSlots, s, n, v);
  }
  void CSSetShaderResources(UINT s, UINT n, ID3D11ShaderResourceView* const* v) override {
    Trace("CSSetShaderResources", {s, n});
    SetRange(slots_[2].views, kSrvSlots, s, n, v);
  }
  void VSSetSamplers(UINT s, UINT n, ID3D11SamplerState* const* p) override {
    Trace("VSSetSamplers", {s, n});
    SetRange(slots_[0].samplers, kSamplerSlots, s, n, p);
  }
  void PSSetSamplers(UINT s, UINT n, ID3D11SamplerState* const* p) override {
    Trace("PSSetSamplers", {s, n});
    SetRange(slots_[1].samplers, kSamplerSlots, s, n, p);
  }
  void CSSetSamplers(UINT s, UINT n, ID3D11SamplerState* const* p) override {
    Trace("CSSetSamplers", {s, n});
    SetRange(slots_[2].samplers, kSamplerSlots, s, n, p);
  }
  void VSSetShader(ID3D11VertexShader* sh, ID3D11ClassInstance* const*, UINT) override {
    Trace("VSSetShader", {});
    vs_.Reset(static_cast<VertexShaderImpl*>(sh));
  }
  void PSSetShader(ID3D11PixelShader* sh, ID3D11ClassInstance* const*, UINT) override {
    Trace("PSSetShader", {});
    ps_.Reset(static_cast<PixelShaderImpl*>(sh));
  }
  void CSSetShader(ID3D11ComputeShader* sh, ID3D11ClassInstance* const*, UINT) override {
    Trace("CSSetShader", {});
    cs_.Reset(static_cast<ComputeShaderImpl*>(sh));
  }
  void GSSetShader(ID3D11GeometryShader* sh, ID3D11ClassInstance* const*, UINT) override {
    Trace("GSSetShader", {});
    if (sh != nullptr) LogError("GSSetShader: geometry shaders are not supported; ignored");
  }
  void CSSetUnorderedAccessViews(UINT s, UINT n, ID3D11UnorderedAccessView* const* v, const UINT*) override {
    Trace("CSSetUnorderedAccessViews", {s, n});
    SetRange(uavs_, kUavSlots, s, n, v);
  }
  void IASetInputLayout(ID3D11InputLayout* layout) override {
    Trace("IASetInputLayout", {});
    layout_.Reset(static_cast<InputLayoutImpl*>(layout));
  }
  void IASetVertexBuffers(UINT s, UINT n, ID3D11Buffer* const* b, const UINT* strides, const UINT* offsets) override {
    Trace("IASetVertexBuffers", {s, n});
    for (UINT i = 0; i < n && s + i < kVbSlots; ++i) {
      vertexBuffers_[s + i].Reset(b != nullptr && b[i] != nullptr ? static_cast<BufferImpl*>(b[i]) : nullptr);
      strides_[s + i] = strides != nullptr ? strides[i] : 0;
      offsets_[s + i] = offsets != nullptr ? offsets[i] : 0;
    }
  }
  void IASetIndexBuffer(ID3D11Buffer* b, DXGI_FORMAT format, UINT offset) override {
    Trace("IASetIndexBuffer", {format, offset});
    indexBuffer_.Reset(static_cast<BufferImpl*>(b));
    indexFormat_ = format;
    indexOffset_ = offset;
  }
  void IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY t) override {
    Trace("IASetPrimitiveTopology", {t});
    topology_ = t;
  }
  void OMSetRenderTargets(UINT n, ID3D11RenderTargetView* const* views, ID3D11DepthStencilView* dsv) override {
    Trace("OMSetRenderTargets", {n});
    for (UINT i = 0; i < D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT; ++i)
      renderTargets_[i].Reset(i < n && views != nullptr && views[i] != nullptr ? static_cast<RtvImpl*>(views[i]) : nullptr);
    depthView_.Reset(static_cast<DsvImpl*>(dsv));
  }
  void OMSetBlendState(ID3D11BlendState* state, const float factor[4], UINT mask) override {
    Trace("OMSetBlendState", {mask});
    blend_.Reset(static_cast<BlendStateImpl*>(state));
    for (int i = 0; i < 4; ++i) blendFactor_[i] = factor != nullptr ? factor[i] : 1.0f;
    sampleMask_ = mask;
  }
  void OMSetDepthStencilState(ID3D11DepthStencilState* state, UINT ref) override {
    Trace("OMSetDepthStencilState", {ref});
    depth_.Reset(static_cast<DepthStencilStateImpl*>(state));
    stencilRef_ = ref;
  }
  void RSSetState(ID3D11RasterizerState* state) override {
    Trace("RSSetState", {});
    rasterizer_.Reset(static_cast<RasterizerStateImpl*>(state));
  }
  void RSSetViewports(UINT n, const D3D11_VIEWPORT* vps) override {
    Trace("RSSetViewports", {n});
    hasViewport_ = n > 0 && vps != nullptr;
    if (hasViewport_) viewport_ = vps[0];
  }

  void ClearState() override {
    Trace("ClearState", {});
    for (StageSlots& s : slots_) s.Clear();
    vs_.Reset(nullptr);
    ps_.Reset(nullptr);
    cs_.Reset(nullptr);
    for (auto& u : uavs_) u.Reset(nullptr);
    layout_.Reset(nullptr);
    for (auto& b : vertexBuffers_) b.Reset(nullptr);
    strides_.fill(0);
    offsets_.fill(0);
    indexBuffer_.Reset(nullptr);
    indexFormat_ = DXGI_FORMAT_UNKNOWN;
    indexOffset_ = 0;
    topology_ = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
    for (auto& r : renderTargets_) r.Reset(nullptr);
    depthView_.Reset(nullptr);
    blend_.Reset(nullptr);
    for (float& f : blendFactor_) f = 1.0f;
    sampleMask_ = D3D11_DEFAULT_SAMPLE_MASK;
    depth_.Reset(nullptr);
    stencilRef_ = 0;
    rasterizer_.Reset(nullptr);
    hasViewport_ = false;
  }

  // ---- work ----
  void ClearRenderTargetView(ID3D11RenderTargetView* view, const float color[4]) override {
    Trace("ClearRenderTargetView", {});
    if (view == nullptr || color == nullptr || !Core().MakeCurrent()) return;
    auto* rtv = static_cast<RtvImpl*>(view);
    // Unlike a framebuffer clear, this ignores write masks and scissor, as Direct3D's clear does.
    glClearTexImage(rtv->glName, rtv->level, GL_RGBA, GL_FLOAT, color);
    ++Core().cache.glCalls;
  }

  void ClearDepthStencilView(ID3D11DepthStencilView* view, UINT flags, float depth, UINT8 stencil) override {
    Trace("ClearDepthStencilView", {flags, stencil});
    if (view == nullptr || (flags & (D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL)) == 0 || !Core().MakeCurrent()) return;
    auto* dsv = static_cast<DsvImpl*>(view);
    DeviceCore::FboKey key;
    key.depth = dsv->glName;
    key.depthLevel = dsv->level;
    const GLuint fbo = Core().Framebuffer(key);
    // Framebuffer clears obey the write masks and the scissor; open them and let the next draw
    // re-apply the recorded states (only the values that differ reach GL).
    StateCache& cache = Core().cache;
    cache.Enable(StateCache::kScissorTest, false);
    cache.DepthMask(true);
    cache.StencilMask(0xFF);
    cache.ForgetState(0);
    cache.ForgetState(2);
    const bool d = (flags & D3D11_CLEAR_DEPTH) != 0, s = (flags & D3D11_CLEAR_STENCIL) != 0;
    if (d && s) {
      glClearNamedFramebufferfi(fbo, GL_DEPTH_STENCIL, 0, depth, stencil);
    } else if (d) {
      glClearNamedFramebufferfv(fbo, GL_DEPTH, 0, &depth);
    } else {
      const GLint st = stencil;
      glClearNamedFramebufferiv(fbo, GL_STENCIL, 0, &st);
    }
    ++cache.glCalls;
  }

  void DrawIndexed(UINT count, UINT start, INT base) override {
    Trace("DrawIndexed", {count, start, base});
    DrawIndexedImpl(count, 1, start, base, 0);
  }
  void DrawIndexedInstanced(UINT count, UINT instances, UINT start, INT base, UINT firstInstance) override {
    Trace("DrawIndexedInstanced", {count, instances, start, base, firstInstance});
    DrawIndexedImpl(count, instances, start, base, firstInstance);
  }
  void Draw(UINT count, UINT start) override {
    Trace("Draw", {count, start});
    DrawImpl(count, 1, start, 0);
  }
  void DrawInstanced(UINT count, UINT instances, UINT start, UINT firstInstance) override {
    Trace("DrawInstanced", {count, instances, start, firstInstance});
    DrawImpl(count, instances, start, firstInstance);
  }

  void Dispatch(UINT x, UINT y, UINT z) override {
    Trace("Dispatch", {x, y, z});
    if (!cs_ || x == 0 || y == 0 || z == 0 || !Core().MakeCurrent()) return;
    StateCache& cache = Core().cache;
    cache.BindPipeline(Core().computePipeline);
    cache.UseStage(Core().computePipeline, GL_COMPUTE_SHADER_BIT, 2, cs_->program);
    BindStageResources(*cs_, slots_[2]);
    for (const auto& im : cs_->bindings.images) {
      const UavImpl* uav = uavs_[im.slot].Get();
      if (uav != nullptr)
        cache.BindImage(im.unit, uav->glName, uav->level, ImageFormatFor(uav->texture->desc.Format));
      else
        cache.BindImage(im.unit, 0, 0, 0);
    }
    glDispatchCompute(x, y, z);
    // Whatever reads the written images next (sampling, another dispatch, a copy, a render pass)
    // must see the writes.
    glMemoryBarrier(GL_TEXTURE_FETCH_BARRIER_BIT | GL_SHADER_IMAGE_ACCESS_BARRIER_BIT | GL_FRAMEBUFFER_BARRIER_BIT |
                    GL_TEXTURE_UPDATE_BARRIER_BIT | GL_PIXEL_BUFFER_BARRIER_BIT);
    cache.glCalls += 2;
  }

  HRESULT Map(ID3D11Resource* resource, UINT sub, D3D11_MAP type, UINT, D3D11_MAPPED_SUBRESOURCE* mapped) override {
    Trace("Map", {sub, type});
    BufferImpl* b = AsBuffer(resource);
    if (mapped != nullptr) *mapped = {};
    if (b == nullptr || sub != 0 || mapped == nullptr || b->desc.Usage != D3D11_USAGE_DYNAMIC ||
        (type != D3D11_MAP_WRITE_DISCARD && type != D3D11_MAP_WRITE_NO_OVERWRITE) || !Core().MakeCurrent())
      return E_INVALIDARG;
    const GLbitfield access = GL_MAP_WRITE_BIT | (type == D3D11_MAP_WRITE_DISCARD ? GL_MAP_INVALIDATE_BUFFER_BIT
                                                                                   : GL_MAP_UNSYNCHRONIZED_BIT);
    void* p = glMapNamedBufferRange(b->name, 0, b->desc.ByteWidth, access);
    if (p == nullptr) return E_OUTOFMEMORY;
    ++Core().cache.glCalls;
    mapped->pData = p;
    mapped->RowPitch = b->desc.ByteWidth;
    mapped->DepthPitch = b->desc.ByteWidth;
    return S_OK;
  }
  void Unmap(ID3D11Resource* resource, UINT) override {
    Trace("Unmap", {});
    BufferImpl* b = AsBuffer(resource);
    if (b != nullptr && Core().MakeCurrent()) {
      glUnmapNamedBuffer(b->name);
      ++Core().cache.glCalls;
    }
  }

  void UpdateSubresource(ID3D11Resource* resource, UINT sub, const D3D11_BOX* box, const void* data, UINT rowPitch,
                         UINT) override {
    Trace("UpdateSubresource", {sub});
    if (data == nullptr || !Core().MakeCurrent()) return;
    if (BufferImpl* b = AsBuffer(resource)) {
      if (b->desc.Usage != D3D11_USAGE_DEFAULT || sub != 0) return;
      UINT first = 0, last = b->desc.ByteWidth;
      if (box != nullptr) {
        first = box->left;
        last = box->right;
      }
      if (first >= last || last > b->desc.ByteWidth) return;
      glNamedBufferSubData(b->name, first, last - first, data);
      ++Core().cache.glCalls;
      return;
    }
    TextureImpl* t = AsTexture(resource);
    if (t == nullptr || t->desc.Usage != D3D11_USAGE_DEFAULT || sub >= t->desc.MipLevels * t->desc.ArraySize) return;
    const FormatInfo* f = LookupFormat(t->desc.Format);
    if (f == nullptr || f->compressed || f->depth) return;
    const UINT level = sub % t->desc.MipLevels, slice = sub / t->desc.MipLevels;
    const UINT w = std::max(1u, t->desc.Width >> level), h = std::max(1u, t->desc.Height >> level);
    D3D11_BOX b = box != nullptr ? *box : D3D11_BOX{0, 0, 0, w, h, 1};
    if (b.left >= b.right || b.top >= b.bottom || b.right > w || b.bottom > h) return;
    if (rowPitch % f->blockBytes != 0) return;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowPitch / f->blockBytes));
    glTextureSubImage3D(t->name, static_cast<GLint>(level), static_cast<GLint>(b.left), static_cast<GLint>(b.top),
                        static_cast<GLint>(slice), static_cast<GLsizei>(b.right - b.left),
                        static_cast<GLsizei>(b.bottom - b.top), 1, f->format, f->type, data);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    Core().cache.glCalls += 3;
  }

  void CopyResource(ID3D11Resource* dst, ID3D11Resource* src) override {
    Trace("CopyResource", {});
    if (dst == nullptr || src == nullptr || dst == src || !Core().MakeCurrent()) return;
    BufferImpl *bd = AsBuffer(dst), *bs = AsBuffer(src);
    if (bd != nullptr && bs != nullptr) {
      if (bd->desc.ByteWidth == bs->desc.ByteWidth) glCopyNamedBufferSubData(bs->name, bd->name, 0, 0, bd->desc.ByteWidth);
      return;
    }
    TextureImpl *td = AsTexture(dst), *ts = AsTexture(src);
    if (td == nullptr || ts == nullptr || td->desc.Width != ts->desc.Width || td->desc.Height != ts->desc.Height ||
        td->desc.MipLevels != ts->desc.MipLevels || td->desc.ArraySize != ts->desc.ArraySize ||
        td->desc.Format != ts->desc.Format)
      return;
    for (UINT level = 0; level < td->desc.MipLevels; ++level) {
      const auto w = static_cast<GLsizei>(std::max(1u, td->desc.Width >> level));
      const auto h = static_cast<GLsizei>(std::max(1u, td->desc.Height >> level));
      glCopyImageSubData(ts->name, ts->target, static_cast<GLint>(level), 0, 0, 0, td->name, td->target,
                         static_cast<GLint>(level), 0, 0, 0, w, h, static_cast<GLsizei>(td->desc.ArraySize));
    }
  }

  void GenerateMips(ID3D11ShaderResourceView* view) override {
    Trace("GenerateMips", {});
    if (view != nullptr && Core().MakeCurrent()) glGenerateTextureMipmap(static_cast<SrvImpl*>(view)->glName);
  }

  void Flush() override {
    Trace("Flush", {});
    if (Core().MakeCurrent()) {
      glFlush();
      ++Core().cache.glCalls;
    }
  }

  // ---- diagnostics ----
  void BeginTrace() {
    tracing_ = true;
    trace_.clear();
  }
  std::vector<std::string> EndTrace() {
    tracing_ = false;
    return std::move(trace_);
  }

 private:
  void Trace(const char* name, std::initializer_list<long long> args) {
    if (!tracing_) return;
    std::string entry = name;
    entry += '(';
    bool first = true;
    for (long long a : args) {
      if (!first) entry += ',';
      entry += std::to_string(a);
      first = false;
    }
    entry += ')';
    trace_.push_back(std::move(entry));
  }

  template <typename Shader>
  void BindStageResources(const Shader& shader, const StageSlots& slots) {
    StateCache& cache = Core().cache;
    for (const auto& t : shader.bindings.textures) {
      const SrvImpl* view = t.slot < kSrvSlots ? slots.views[t.slot].Get() : nullptr;
      cache.BindTexture(t.unit, view != nullptr ? view->glName : 0);
      const SamplerStateImpl* sampler = t.samplerSlot < kSamplerSlots ? slots.samplers[t.samplerSlot].Get() : nullptr;
      cache.BindSampler(t.unit, sampler != nullptr ? sampler->sampler : 0);
    }
    for (const auto& b : shader.bindings.buffers) {
      const BufferImpl* buffer = b.slot < kCbSlots ? slots.buffers[b.slot].Get() : nullptr;
      cache.BindUniformBuffer(b.binding, buffer != nullptr ? buffer->name : 0);
    }
  }

  // Translates the recorded pipeline state. False when the draw cannot produce anything.
  bool PrepareDraw() {
    if (!vs_ || !hasViewport_ || GlTopology(topology_) == 0 || !Core().MakeCurrent()) return false;
    if (!vs_->inputs.empty() && !layout_) return false;
    StateCache& cache = Core().cache;

    DeviceCore::FboKey key;
    bool any = false;
    for (UINT i = 0; i < D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT; ++i)
      if (const RtvImpl* rtv = renderTargets_[i].Get()) {
        key.colors[i] = rtv->glName;
        key.colorLevels[i] = rtv->level;
        any = true;
      }
    if (const DsvImpl* dsv = depthView_.Get()) {
      key.depth = dsv->glName;
      key.depthLevel = dsv->level;
      any = true;
    }
    if (!any) return false;
    cache.BindFramebuffer(Core().Framebuffer(key));

    const GLuint pipeline = Core().graphicsPipeline;
    cache.BindPipeline(pipeline);
    cache.UseStage(pipeline, GL_VERTEX_SHADER_BIT, 0, vs_->program);
    cache.UseStage(pipeline, GL_FRAGMENT_SHADER_BIT, 1, ps_ ? ps_->program : 0);
    BindStageResources(*vs_, slots_[0]);
    if (ps_) BindStageResources(*ps_, slots_[1]);

    if (layout_) {
      InputLayoutImpl& layout = *layout_;
      for (UINT slot : layout.slots) {
        const BufferImpl* b = vertexBuffers_[slot].Get();
        if (b == nullptr) return false;  // nothing to fetch from
        if (cache.bypass || layout.boundBuffers[slot] != b->Id() || layout.boundStrides[slot] != strides_[slot] ||
            layout.boundOffsets[slot] != offsets_[slot]) {
          glVertexArrayVertexBuffer(layout.vao, slot, b->name, offsets_[slot], static_cast<GLsizei>(strides_[slot]));
          layout.boundBuffers[slot] = b->Id();
          layout.boundStrides[slot] = strides_[slot];
          layout.boundOffsets[slot] = offsets_[slot];
          ++cache.glCalls;
        }
      }
      cache.BindVertexArray(layout.vao);
    } else {
      cache.BindVertexArray(Core().emptyVertexArray);
    }

    ApplyRasterizer(cache);
    ApplyBlend(cache);
    ApplyDepthStencil(cache);
    cache.Viewport(viewport_);
    return true;
  }

  void ApplyRasterizer(StateCache& cache) {
    if (!cache.StateChanged(0, rasterizer_ ? rasterizer_->Id() : 0)) return;
    D3D11_RASTERIZER_DESC d{D3D11_FILL_SOLID, D3D11_CULL_BACK, FALSE, 0, 0.0f, 0.0f, TRUE, FALSE, FALSE, FALSE};
    if (rasterizer_) d = rasterizer_->desc;
    cache.Enable(StateCache::kCullFace, d.CullMode != D3D11_CULL_NONE);
    if (d.CullMode != D3D11_CULL_NONE) cache.CullFace(d.CullMode == D3D11_CULL_FRONT ? GL_FRONT : GL_BACK);
    const bool ccw = (d.FrontCounterClockwise != 0) != kReverseWinding;
    cache.FrontFace(ccw ? GL_CCW : GL_CW);
    cache.PolygonMode(d.FillMode == D3D11_FILL_WIREFRAME ? GL_LINE : GL_FILL);
    cache.Enable(StateCache::kDepthClamp, !d.DepthClipEnable);
    cache.Enable(StateCache::kScissorTest, d.ScissorEnable != 0);
    const bool offset = d.DepthBias != 0 || d.SlopeScaledDepthBias != 0.0f;
    cache.Enable(StateCache::kPolygonOffsetFill, offset);
    if (offset) cache.PolygonOffset(d.SlopeScaledDepthBias, static_cast<float>(d.DepthBias));
  }

  void ApplyBlend(StateCache& cache) {
    cache.BlendColor(blendFactor_);
    if (!cache.StateChanged(1, blend_ ? blend_->Id() : 0)) return;
    D3D11_BLEND_DESC d{};
    for (auto& t : d.RenderTarget) t = {FALSE, D3D11_BLEND_ONE, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD, D3D11_BLEND_ONE, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD, D3D11_COLOR_WRITE_ENABLE_ALL};
    if (blend_) d = blend_->desc;
    cache.Enable(StateCache::kAlphaToCoverage, d.AlphaToCoverageEnable != 0);
    for (GLuint i = 0; i < 8; ++i) {
      const D3D11_RENDER_TARGET_BLEND_DESC& t = d.RenderTarget[d.IndependentBlendEnable ? i : 0];
      cache.EnableBlend(i, t.BlendEnable != 0);
      if (t.BlendEnable) {
        cache.BlendFunc(i, GlBlend(t.SrcBlend), GlBlend(t.DestBlend), GlBlend(t.SrcBlendAlpha), GlBlend(t.DestBlendAlpha));
        cache.BlendEquation(i, GlBlendOp(t.BlendOp), GlBlendOp(t.BlendOpAlpha));
      }
      cache.ColorMask(i, t.RenderTargetWriteMask);
    }
  }

  void ApplyDepthStencil(StateCache& cache) {
    if (!cache.StateChanged(2, (depth_ ? depth_->Id() : 0) * 256 + stencilRef_)) return;
    D3D11_DEPTH_STENCIL_DESC d{TRUE, D3D11_DEPTH_WRITE_MASK_ALL, D3D11_COMPARISON_LESS, FALSE, 0xFF, 0xFF,
                               {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_ALWAYS},
                               {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_ALWAYS}};
    if (depth_) d = depth_->desc;
    cache.Enable(StateCache::kDepthTest, d.DepthEnable != 0);
    if (d.DepthEnable) {
      cache.DepthFunc(GlCompare(d.DepthFunc));
      cache.DepthMask(d.DepthWriteMask == D3D11_DEPTH_WRITE_MASK_ALL);
    }
    cache.Enable(StateCache::kStencilTest, d.StencilEnable != 0);
    if (d.StencilEnable) {
      const D3D11_DEPTH_STENCILOP_DESC* faces[2] = {&d.FrontFace, &d.BackFace};
      for (int i = 0; i < 2; ++i) {
        cache.StencilFunc(i, GlCompare(faces[i]->StencilFunc), static_cast<GLint>(stencilRef_), d.StencilReadMask);
        cache.StencilOp(i, GlStencilOp(faces[i]->StencilFailOp), GlStencilOp(faces[i]->StencilDepthFailOp),
                        GlStencilOp(faces[i]->StencilPassOp));
      }
      cache.StencilMask(d.StencilWriteMask);
    }
  }

  void DrawIndexedImpl(UINT count, UINT instances, UINT start, INT base, UINT firstInstance) {
    if (count == 0 || instances == 0 || !indexBuffer_) return;
    const bool wide = indexFormat_ == DXGI_FORMAT_R32_UINT;
    if (!wide && indexFormat_ != DXGI_FORMAT_R16_UINT) return;
    const UINT size = wide ? 4 : 2;
    // Indices past the end of the buffer would be read from outside it; Direct3D reads them as 0,
    // GL may fault, so such a draw is dropped.
    const std::uint64_t end = std::uint64_t(indexOffset_) + (std::uint64_t(start) + count) * size;
    if (end > indexBuffer_->desc.ByteWidth) return;
    if (!PrepareDraw()) return;
    InputLayoutImpl* layout = layout_.Get();
    const GLuint vao = layout != nullptr ? layout->vao : Core().emptyVertexArray;
    if (layout == nullptr || Core().cache.bypass || layout->boundIndexBuffer != indexBuffer_->Id()) {
      glVertexArrayElementBuffer(vao, indexBuffer_->name);
      if (layout != nullptr) layout->boundIndexBuffer = indexBuffer_->Id();
    }
    const auto offset = static_cast<std::uintptr_t>(indexOffset_) + std::uintptr_t(start) * size;
    glDrawElementsInstancedBaseVertexBaseInstance(GlTopology(topology_), static_cast<GLsizei>(count),
                                                  wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                                  reinterpret_cast<const void*>(offset), static_cast<GLsizei>(instances),
                                                  base, firstInstance);
    Core().cache.glCalls += 1;
  }

  void DrawImpl(UINT count, UINT instances, UINT start, UINT firstInstance) {
    if (count == 0 || instances == 0 || !PrepareDraw()) return;
    glDrawArraysInstancedBaseInstance(GlTopology(topology_), static_cast<GLint>(start), static_cast<GLsizei>(count),
                                      static_cast<GLsizei>(instances), firstInstance);
    ++Core().cache.glCalls;
  }

  StageSlots slots_[3];
  Ref<VertexShaderImpl> vs_;
  Ref<PixelShaderImpl> ps_;
  Ref<ComputeShaderImpl> cs_;
  Ref<UavImpl> uavs_[kUavSlots];
  Ref<InputLayoutImpl> layout_;
  Ref<BufferImpl> vertexBuffers_[kVbSlots];
  std::array<UINT, kVbSlots> strides_{}, offsets_{};
  Ref<BufferImpl> indexBuffer_;
  DXGI_FORMAT indexFormat_ = DXGI_FORMAT_UNKNOWN;
  UINT indexOffset_ = 0;
  D3D11_PRIMITIVE_TOPOLOGY topology_ = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
  Ref<RtvImpl> renderTargets_[D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT];
  Ref<DsvImpl> depthView_;
  Ref<BlendStateImpl> blend_;
  float blendFactor_[4] = {1, 1, 1, 1};
  UINT sampleMask_ = D3D11_DEFAULT_SAMPLE_MASK;
  Ref<DepthStencilStateImpl> depth_;
  UINT stencilRef_ = 0;
  Ref<RasterizerStateImpl> rasterizer_;
  D3D11_VIEWPORT viewport_{};
  bool hasViewport_ = false;
  bool tracing_ = false;
  std::vector<std::string> trace_;
};

ContextImpl* AsContext(ID3D11DeviceContext* c) { return static_cast<ContextImpl*>(c); }

}  // namespace

ID3D11DeviceContext* CreateImmediateContext(std::shared_ptr<DeviceCore> core) { return new ContextImpl(std::move(core)); }

}  // namespace d3dgl

using namespace d3dgl;

void D3D11BeginCallTrace(ID3D11DeviceContext* context) {
  if (context != nullptr) AsContext(context)->BeginTrace();
}

std::vector<std::string> D3D11EndCallTrace(ID3D11DeviceContext* context) {
  return context != nullptr ? AsContext(context)->EndTrace() : std::vector<std::string>{};
}

std::uint64_t D3D11GLCallCount(ID3D11DeviceContext* context) {
  return context != nullptr ? static_cast<ContextImpl*>(context)->Core().cache.glCalls : 0;
}
