// The immediate context. Set* calls record what is bound (holding references, as Direct3D does),
// the facts draws are validated against (Checks.h), and which binding ranges changed;
// OMSetRenderTargets also picks the framebuffer. A draw or dispatch is validated first, without GL,
// then hands GL only the ranges that changed since the last one, through the device's GlState, the
// only way this file reaches GL.
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/d3d11/DeviceObjects.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/d3d11/Formats.h"
#include "platform/d3d11/PassTimer.h"
#include "platform/win32/Win32Platform.h"

namespace d3dgl {

namespace {

// The depth view's texture as the framebuffer attaches it.
void AttachDepth(const DsvImpl& view, Framebuffers::Attachments& attachments)
{
    attachments.depth = view.glName;
    attachments.depthLevel = view.level;
    const FormatInfo* format = view.texture->format;
    attachments.depthHasStencil = format != nullptr && format->stencil;
}

constexpr UINT kSrvSlots = D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT;
constexpr UINT kCbSlots = D3D11_COMMONSHADER_CONSTANT_BUFFER_API_SLOT_COUNT;
constexpr UINT kSamplerSlots = D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT;
constexpr UINT kVbSlots = D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT;
constexpr UINT kUavSlots = D3D11_PS_CS_UAV_REGISTER_COUNT;
constexpr UINT kTargetSlots = D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT;

// The records of Direct3D's defaults, for slots with no state object bound.
const RasterizerGl kDefaultRasterizer{};
const BlendGl kDefaultBlend{};
const DepthStencilGl kDefaultDepthStencil{};

// Records the range; true when any slot of it changed.
template <typename Impl, typename Interface>
bool SetRange(ComPtr<Impl>* slots, UINT capacity, UINT start, UINT count, Interface* const* items)
{
    bool changed = false;
    for (UINT i = 0; i < count && start + i < capacity; ++i) {
        Impl* item = items != nullptr && items[i] != nullptr ? static_cast<Impl*>(items[i]) : nullptr;
        if (slots[start + i].Get() != item) {
            slots[start + i] = item;
            changed = true;
        }
    }
    return changed;
}

// The binding ranges that changed since a draw or dispatch last handed them to GL. The state that
// is one GL call each (framebuffer, programs, state objects, viewport) is handed over at every draw
// and compared by GlState, which clears and copies change too; these bits spare the walks over a
// shader's bindings and a layout's vertex buffers.
using DirtyRanges = std::uint32_t;
constexpr DirtyRanges Textures(StageKind stage)  // views and samplers
{
    return 1u << static_cast<unsigned>(stage);
}
constexpr DirtyRanges ConstantBuffers(StageKind stage)
{
    return 8u << static_cast<unsigned>(stage);
}
constexpr DirtyRanges kVertexBuffers = 1u << 6, kImages = 1u << 7, kAllRanges = 0xFFu;
constexpr DirtyRanges kAllConstantBuffers = ConstantBuffers(StageKind::Vertex) | ConstantBuffers(StageKind::Pixel) |
                                            ConstantBuffers(StageKind::Compute);
constexpr DirtyRanges StageRanges(StageKind stage)
{
    return Textures(stage) | ConstantBuffers(stage) | (stage == StageKind::Compute ? kImages : 0);
}
// Compute shares texture units with the pixel stage and uniform-buffer bindings with the vertex
// stage (Shaders.cpp), so handing either over makes the other's out of date in GL.
constexpr DirtyRanges kOverwrittenByDispatch = Textures(StageKind::Pixel) | ConstantBuffers(StageKind::Vertex);
constexpr DirtyRanges kOverwrittenByDraw = Textures(StageKind::Compute) | ConstantBuffers(StageKind::Compute);

// What one shader stage has bound.
struct StageSlots {
    ComPtr<BufferImpl> buffers[kCbSlots];
    ComPtr<SrvImpl> views[kSrvSlots];
    ComPtr<SamplerStateImpl> samplers[kSamplerSlots];
    void Clear()
    {
        for (auto& b : buffers) {
            b.Reset();
        }
        for (auto& v : views) {
            v.Reset();
        }
        for (auto& s : samplers) {
            s.Reset();
        }
    }
};

class ContextImpl final : public DeviceChild<ID3D11DeviceContext>, public ID3DUserDefinedAnnotation {
public:
    explicit ContextImpl(std::shared_ptr<DeviceCore> core) : DeviceChild(std::move(core)) { ClearState(); }
    ~ContextImpl() override
    {
        ClearState();
        if (Core().MakeCurrent()) {
            passTimer.Discard();
        }
    }
    IUnknown* Cast(REFIID riid) override
    {
        if (riid == IID_ID3D11DeviceContext) {
            return static_cast<ID3D11DeviceContext*>(this);
        }
        if (riid == IID_ID3DUserDefinedAnnotation) {
            return static_cast<ID3DUserDefinedAnnotation*>(this);
        }
        return DeviceChild::Cast(riid);
    }
    // One object behind both interfaces, as in Direct3D.
    ULONG AddRef() override { return DeviceChild::AddRef(); }
    ULONG Release() override { return DeviceChild::Release(); }
    HRESULT QueryInterface(REFIID riid, void** out) override { return DeviceChild::QueryInterface(riid, out); }

    // ---- annotations: GL debug groups (with SHOW_GL_DEBUG=1) and the pass timer ----
    BOOL GetStatus() override { return Core().context.DebugOutput() || passTimer.Running(); }
    INT BeginEvent(LPCWSTR name) override
    {
        if (!GetStatus() || !Core().MakeCurrent()) {
            return -1;
        }
        const std::string text = name != nullptr ? NarrowFromWide(name) : std::string();
        if (Core().context.DebugOutput()) {
            Core().gl.PushDebugGroup(text);
        }
        if (passTimer.Running()) {
            passTimer.Begin(text);
        }
        return eventDepth++;
    }
    INT EndEvent() override
    {
        if (eventDepth == 0 || !Core().MakeCurrent()) {
            return -1;
        }
        if (Core().context.DebugOutput()) {
            Core().gl.PopDebugGroup();
        }
        if (passTimer.Running()) {
            passTimer.End();
        }
        return --eventDepth;
    }
    void SetMarker(LPCWSTR name) override
    {
        if (Core().context.DebugOutput() && name != nullptr && Core().MakeCurrent()) {
            Core().gl.DebugMarker(NarrowFromWide(name));
        }
    }
    void StartPassTiming()
    {
        if (Core().MakeCurrent()) {
            passTimer.Start();
        }
    }
    std::vector<PassTimer::Time> StopPassTiming()
    {
        return Core().MakeCurrent() ? passTimer.Stop() : std::vector<PassTimer::Time>{};
    }

    // ---- recording ----
    void VSSetConstantBuffers(UINT s, UINT n, ID3D11Buffer* const* b) override
    {
        Trace("VSSetConstantBuffers", {s, n});
        if (SetRange(Slots(StageKind::Vertex).buffers, kCbSlots, s, n, b)) {
            dirty |= ConstantBuffers(StageKind::Vertex);
        }
    }
    void PSSetConstantBuffers(UINT s, UINT n, ID3D11Buffer* const* b) override
    {
        Trace("PSSetConstantBuffers", {s, n});
        if (SetRange(Slots(StageKind::Pixel).buffers, kCbSlots, s, n, b)) {
            dirty |= ConstantBuffers(StageKind::Pixel);
        }
    }
    void CSSetConstantBuffers(UINT s, UINT n, ID3D11Buffer* const* b) override
    {
        Trace("CSSetConstantBuffers", {s, n});
        if (SetRange(Slots(StageKind::Compute).buffers, kCbSlots, s, n, b)) {
            dirty |= ConstantBuffers(StageKind::Compute);
        }
    }
    void VSSetShaderResources(UINT s, UINT n, ID3D11ShaderResourceView* const* v) override
    {
        Trace("VSSetShaderResources", {s, n});
        SetViews(StageKind::Vertex, s, n, v);
    }
    void PSSetShaderResources(UINT s, UINT n, ID3D11ShaderResourceView* const* v) override
    {
        Trace("PSSetShaderResources", {s, n});
        SetViews(StageKind::Pixel, s, n, v);
    }
    void CSSetShaderResources(UINT s, UINT n, ID3D11ShaderResourceView* const* v) override
    {
        Trace("CSSetShaderResources", {s, n});
        SetViews(StageKind::Compute, s, n, v);
    }
    void VSSetSamplers(UINT s, UINT n, ID3D11SamplerState* const* p) override
    {
        Trace("VSSetSamplers", {s, n});
        if (SetRange(Slots(StageKind::Vertex).samplers, kSamplerSlots, s, n, p)) {
            dirty |= Textures(StageKind::Vertex);
        }
    }
    void PSSetSamplers(UINT s, UINT n, ID3D11SamplerState* const* p) override
    {
        Trace("PSSetSamplers", {s, n});
        if (SetRange(Slots(StageKind::Pixel).samplers, kSamplerSlots, s, n, p)) {
            dirty |= Textures(StageKind::Pixel);
        }
    }
    void CSSetSamplers(UINT s, UINT n, ID3D11SamplerState* const* p) override
    {
        Trace("CSSetSamplers", {s, n});
        if (SetRange(Slots(StageKind::Compute).samplers, kSamplerSlots, s, n, p)) {
            dirty |= Textures(StageKind::Compute);
        }
    }
    void VSSetShader(ID3D11VertexShader* shader, ID3D11ClassInstance* const*, UINT) override
    {
        Trace("VSSetShader", {});
        SetShader(StageKind::Vertex, vertexShader, static_cast<VertexShaderImpl*>(shader), facts.vertex);
    }
    void PSSetShader(ID3D11PixelShader* shader, ID3D11ClassInstance* const*, UINT) override
    {
        Trace("PSSetShader", {});
        SetShader(StageKind::Pixel, pixelShader, static_cast<PixelShaderImpl*>(shader), facts.pixel);
    }
    void CSSetShader(ID3D11ComputeShader* shader, ID3D11ClassInstance* const*, UINT) override
    {
        Trace("CSSetShader", {});
        SetShader(StageKind::Compute, computeShader, static_cast<ComputeShaderImpl*>(shader), facts.compute);
    }
    void GSSetShader(ID3D11GeometryShader* shader, ID3D11ClassInstance* const*, UINT) override
    {
        Trace("GSSetShader", {});
        if (Verdict broken = CheckGeometryShader(shader)) {
            Report(*broken);
        }
    }
    void CSSetUnorderedAccessViews(UINT s, UINT n, ID3D11UnorderedAccessView* const* v, const UINT*) override
    {
        Trace("CSSetUnorderedAccessViews", {s, n});
        if (SetRange(uavs, kUavSlots, s, n, v)) {
            dirty |= kImages;
        }
    }
    void IASetInputLayout(ID3D11InputLayout* layout) override
    {
        Trace("IASetInputLayout", {});
        auto* impl = static_cast<InputLayoutImpl*>(layout);
        if (inputLayout.Get() != impl) {
            inputLayout = impl;
            dirty |= kVertexBuffers;
        }
        facts.layout = impl != nullptr;
        facts.layoutSlots = 0;
        if (impl != nullptr) {
            for (UINT slot : impl->slots) {
                facts.layoutSlots |= 1u << slot;
            }
        }
    }
    void IASetVertexBuffers(UINT s, UINT n, ID3D11Buffer* const* b, const UINT* strides, const UINT* offsets) override
    {
        Trace("IASetVertexBuffers", {s, n});
        for (UINT i = 0; i < n && s + i < kVbSlots; ++i) {
            const UINT stride = strides != nullptr ? strides[i] : 0, offset = offsets != nullptr ? offsets[i] : 0;
            if (SetRange(&vertexBuffers[s + i], 1, 0, 1, b != nullptr ? &b[i] : nullptr) ||
                vertexStrides[s + i] != stride || vertexOffsets[s + i] != offset) {
                dirty |= kVertexBuffers;
            }
            vertexStrides[s + i] = stride;
            vertexOffsets[s + i] = offset;
            facts.vertexBuffers = vertexBuffers[s + i] ? facts.vertexBuffers | (1u << (s + i))
                                                       : facts.vertexBuffers & ~(1u << (s + i));
        }
    }
    void IASetIndexBuffer(ID3D11Buffer* b, DXGI_FORMAT format, UINT offset) override
    {
        Trace("IASetIndexBuffer", {format, offset});
        indexBuffer = static_cast<BufferImpl*>(b);
        facts.indexBuffer = indexBuffer.Get() != nullptr;
        facts.indexFormat = format;
        facts.indexOffset = offset;
        facts.indexBufferBytes = indexBuffer ? indexBuffer->desc.ByteWidth : 0;
    }
    void IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY t) override
    {
        Trace("IASetPrimitiveTopology", {t});
        facts.topology = t;
    }
    void OMSetRenderTargets(UINT n, ID3D11RenderTargetView* const* views, ID3D11DepthStencilView* dsv) override
    {
        Trace("OMSetRenderTargets", {n});
        Framebuffers::Attachments attachments;
        for (UINT i = 0; i < kTargetSlots; ++i) {
            renderTargets[i] = i < n && views != nullptr && views[i] != nullptr ? static_cast<RtvImpl*>(views[i])
                                                                                : nullptr;
            if (const RtvImpl* rtv = renderTargets[i].Get()) {
                attachments.colors[i] = rtv->glName;
                attachments.colorLevels[i] = rtv->level;
            }
        }
        depthView = static_cast<DsvImpl*>(dsv);
        if (const DsvImpl* view = depthView.Get()) {
            AttachDepth(*view, attachments);
        }
        // The framebuffer is chosen here, once per binding, and kept alive by the views bound.
        drawFramebuffer = 0;
        if (!attachments.Empty() && Core().MakeCurrent()) {
            drawFramebuffer = Core().framebuffers.For(attachments);
        }
        facts.framebuffer = drawFramebuffer != 0;
    }
    void OMSetBlendState(ID3D11BlendState* state, const float factor[4], UINT mask) override
    {
        Trace("OMSetBlendState", {mask});
        blend = static_cast<BlendStateImpl*>(state);
        for (int i = 0; i < 4; ++i) {
            blendFactor[i] = factor != nullptr ? factor[i] : 1.0f;
        }
        facts.sampleMask = mask;
    }
    void OMSetDepthStencilState(ID3D11DepthStencilState* state, UINT ref) override
    {
        Trace("OMSetDepthStencilState", {ref});
        depthStencil = static_cast<DepthStencilStateImpl*>(state);
        stencilRef = ref;
    }
    void RSSetState(ID3D11RasterizerState* state) override
    {
        Trace("RSSetState", {});
        rasterizer = static_cast<RasterizerStateImpl*>(state);
    }
    void RSSetViewports(UINT n, const D3D11_VIEWPORT* viewports) override
    {
        Trace("RSSetViewports", {n});
        facts.viewport = n > 0 && viewports != nullptr;
        if (facts.viewport) {
            viewport = viewports[0];
        }
    }

    void ClearState() override
    {
        Trace("ClearState", {});
        for (StageSlots& s : stageSlots) {
            s.Clear();
        }
        vertexShader.Reset();
        pixelShader.Reset();
        computeShader.Reset();
        for (auto& u : uavs) {
            u.Reset();
        }
        inputLayout.Reset();
        for (auto& b : vertexBuffers) {
            b.Reset();
        }
        vertexStrides.fill(0);
        vertexOffsets.fill(0);
        indexBuffer.Reset();
        for (auto& r : renderTargets) {
            r.Reset();
        }
        depthView.Reset();
        drawFramebuffer = 0;
        blend.Reset();
        for (float& f : blendFactor) {
            f = 1.0f;
        }
        depthStencil.Reset();
        stencilRef = 0;
        rasterizer.Reset();
        facts = PipelineFacts{};
        dirty = kAllRanges;
    }

    // ---- work ----
    void ClearRenderTargetView(ID3D11RenderTargetView* view, const float color[4]) override
    {
        Trace("ClearRenderTargetView", {});
        if (view == nullptr || color == nullptr || !Core().MakeCurrent()) {
            return;
        }
        const auto* rtv = static_cast<RtvImpl*>(view);
        Core().gl.ClearColor(rtv->glName, rtv->level, color);
    }

    void ClearDepthStencilView(ID3D11DepthStencilView* view, UINT flags, float depth, UINT8 stencil) override
    {
        Trace("ClearDepthStencilView", {flags, stencil});
        const bool clearDepth = (flags & D3D11_CLEAR_DEPTH) != 0, clearStencil = (flags & D3D11_CLEAR_STENCIL) != 0;
        if (view == nullptr || !(clearDepth || clearStencil) || !Core().MakeCurrent()) {
            return;
        }
        Framebuffers::Attachments attachments;
        AttachDepth(*static_cast<DsvImpl*>(view), attachments);
        if (!clearDepth && !attachments.depthHasStencil) {
            return;  // a depth-only format has no stencil to clear
        }
        Core().gl.ClearDepthStencil(Core().framebuffers.For(attachments), clearDepth,
                                    clearStencil && attachments.depthHasStencil, depth, stencil);
    }

    void DrawIndexed(UINT count, UINT start, INT base) override
    {
        Trace("DrawIndexed", {count, start, base});
        DrawIndexedImpl(count, 1, start, base, 0);
    }
    void DrawIndexedInstanced(UINT count, UINT instances, UINT start, INT base, UINT firstInstance) override
    {
        Trace("DrawIndexedInstanced", {count, instances, start, base, firstInstance});
        DrawIndexedImpl(count, instances, start, base, firstInstance);
    }
    void Draw(UINT count, UINT start) override
    {
        Trace("Draw", {count, start});
        DrawImpl(count, 1, start, 0);
    }
    void DrawInstanced(UINT count, UINT instances, UINT start, UINT firstInstance) override
    {
        Trace("DrawInstanced", {count, instances, start, firstInstance});
        DrawImpl(count, instances, start, firstInstance);
    }

    void Dispatch(UINT x, UINT y, UINT z) override
    {
        Trace("Dispatch", {x, y, z});
        ResolveLinks();
        if (Verdict broken = ValidateDispatch(facts)) {
            ReportRun(*broken, computeShader.Get());
            return;
        }
        if (x == 0 || y == 0 || z == 0 || !Core().MakeCurrent()) {
            return;  // nothing to run, as in Direct3D
        }
        GlState& gl = Core().gl;
        TakeResets();
        gl.BindPipeline(Core().computePipeline);
        gl.UseProgram(Core().computePipeline, StageKind::Compute, computeShader->program);
        ApplyStage(StageKind::Compute, *computeShader);
        if ((dirty & kImages) != 0) {
            for (const auto& image : computeShader->bindings.images) {
                if (const UavImpl* uav = uavs[image.slot].Get()) {
                    gl.BindImage(image.unit, uav->glName, uav->level, ImageFormatFor(uav->texture->desc.Format));
                } else {
                    gl.BindImage(image.unit, 0, 0, 0);
                }
            }
        }
        dirty = (dirty & ~StageRanges(StageKind::Compute)) | kOverwrittenByDispatch;
        gl.Dispatch(x, y, z);
    }

    HRESULT Map(ID3D11Resource* resource, UINT sub, D3D11_MAP type, UINT, D3D11_MAPPED_SUBRESOURCE* mapped) override
    {
        Trace("Map", {sub, type});
        BufferImpl* b = AsBuffer(resource);
        if (mapped != nullptr) {
            *mapped = {};
        }
        if (Verdict broken = CheckMap(b != nullptr ? &b->desc : nullptr, sub, type, mapped)) {
            return Refuse(*broken);
        }
        if (!Core().MakeCurrent()) {
            return DXGI_ERROR_DEVICE_REMOVED;
        }
        const GLbitfield access = GL_MAP_WRITE_BIT | (type == D3D11_MAP_WRITE_DISCARD ? GL_MAP_INVALIDATE_BUFFER_BIT
                                                                                      : GL_MAP_UNSYNCHRONIZED_BIT);
        void* data = Core().gl.MapBuffer(b->name, b->desc.ByteWidth, access);
        if (data == nullptr) {
            return E_OUTOFMEMORY;
        }
        mapped->pData = data;
        mapped->RowPitch = b->desc.ByteWidth;
        mapped->DepthPitch = b->desc.ByteWidth;
        return S_OK;
    }
    void Unmap(ID3D11Resource* resource, UINT) override
    {
        Trace("Unmap", {});
        if (BufferImpl* b = AsBuffer(resource); b != nullptr && Core().MakeCurrent()) {
            Core().gl.UnmapBuffer(b->name);
        }
    }

    void UpdateSubresource(ID3D11Resource* resource, UINT sub, const D3D11_BOX* box, const void* data, UINT rowPitch,
                           UINT) override
    {
        Trace("UpdateSubresource", {sub});
        if (data == nullptr || !Core().MakeCurrent()) {
            return;
        }
        if (BufferImpl* b = AsBuffer(resource)) {
            UINT first = 0, last = 0;
            if (Verdict broken = CheckBufferUpdate(b->desc, sub, box, first, last)) {
                Report(*broken);
                return;
            }
            if (b->contents.empty() || !Core().uniforms.Ready()) {
                Core().gl.BufferSubData(b->name, first, last - first, data);
                return;
            }
            UpdateConstantBuffer(*b, first, last, data);
            return;
        }
        TextureImpl* t = AsTexture(resource);
        TextureUpdate u{};
        if (Verdict broken = CheckTextureUpdate(t != nullptr ? &t->desc : nullptr, sub, box, rowPitch, u)) {
            Report(*broken);
            return;
        }
        const FormatInfo* f = t->format;
        const auto gl = [](UINT v) { return static_cast<GLint>(v); };
        Core().gl.TextureSubImage(t->name, gl(u.level), gl(u.box.left), gl(u.box.top), gl(u.slice),
                                  gl(u.box.right - u.box.left), gl(u.box.bottom - u.box.top),
                                  gl(rowPitch / f->blockBytes), f->format, f->type, data);
    }

    void CopyResource(ID3D11Resource* destination, ID3D11Resource* source) override
    {
        Trace("CopyResource", {});
        if (destination == nullptr || source == nullptr || destination == source || !Core().MakeCurrent()) {
            return;
        }
        BufferImpl *bd = AsBuffer(destination), *bs = AsBuffer(source);
        if (bd != nullptr && bs != nullptr) {
            if (Verdict broken = CheckBufferCopy(bd->desc, bs->desc)) {
                Report(*broken);
                return;
            }
            Core().gl.CopyBuffer(bs->boundBuffer, bs->boundOffset, bd->name, bd->desc.ByteWidth);
            // The destination's contents are now in its own storage, and unknown here.
            bd->boundBuffer = bd->name;
            bd->boundOffset = 0;
            bd->contentsKnown = false;
            dirty |= kAllConstantBuffers;
            return;
        }
        TextureImpl *td = AsTexture(destination), *ts = AsTexture(source);
        if (Verdict broken = CheckTextureCopy(td != nullptr ? &td->desc : nullptr,
                                              ts != nullptr ? &ts->desc : nullptr)) {
            Report(*broken);
            return;
        }
        for (UINT level = 0; level < td->desc.MipLevels; ++level) {
            const auto w = static_cast<GLsizei>(std::max(1u, td->desc.Width >> level));
            const auto h = static_cast<GLsizei>(std::max(1u, td->desc.Height >> level));
            Core().gl.CopyTextureLevel(ts->name, ts->target, td->name, td->target, static_cast<GLint>(level), w, h,
                                       static_cast<GLsizei>(td->desc.ArraySize));
        }
    }

    void GenerateMips(ID3D11ShaderResourceView* view) override
    {
        Trace("GenerateMips", {});
        if (view != nullptr && Core().MakeCurrent()) {
            Core().gl.GenerateMipmap(static_cast<SrvImpl*>(view)->glName);
        }
    }

    void Flush() override
    {
        Trace("Flush", {});
        if (Core().MakeCurrent()) {
            Core().gl.Flush();
        }
    }

    // ---- diagnostics ----
    void BeginTrace()
    {
        tracing = true;
        trace.clear();
    }
    std::vector<std::string> EndTrace()
    {
        tracing = false;
        return std::move(trace);
    }

private:
    StageSlots& Slots(StageKind stage) { return stageSlots[static_cast<size_t>(stage)]; }

    void Trace(const char* name, std::initializer_list<long long> args)
    {
        if (!tracing) {
            return;
        }
        std::string entry = name;
        entry += '(';
        bool first = true;
        for (long long a : args) {
            if (!first) {
                entry += ',';
            }
            entry += std::to_string(a);
            first = false;
        }
        entry += ')';
        trace.push_back(std::move(entry));
    }

    // The whole contents, completed by the update, go to a fresh range of the upload ring: storage
    // an earlier draw may still read is never rewritten.
    void UpdateConstantBuffer(BufferImpl& b, UINT first, UINT last, const void* data)
    {
        if (!b.contentsKnown && (first != 0 || last != b.desc.ByteWidth)) {
            Core().gl.GetBufferSubData(b.boundBuffer, b.boundOffset, b.desc.ByteWidth, b.contents.data());
        }
        std::memcpy(b.contents.data() + first, data, last - first);
        b.contentsKnown = true;
        const UploadRing::Range range = Core().uniforms.Write(b.contents.data(), b.contents.size());
        b.boundBuffer = range.buffer;
        b.boundOffset = range.offset;
        dirty |= kAllConstantBuffers;  // wherever it is bound, it is bound from elsewhere now
    }

    // Views are recorded with whether they can be compared: GL compares only textures of a depth
    // format, so a colour texture read with SampleCmp would be sampled without the comparison, a wrong
    // picture without a word; validation drops such a call.
    void SetViews(StageKind stage, UINT start, UINT count, ID3D11ShaderResourceView* const* views)
    {
        StageSlots& slots = Slots(stage);
        if (!SetRange(slots.views, kSrvSlots, start, count, views)) {
            return;
        }
        dirty |= Textures(stage);
        ResourceSlotSet& colour = facts.colourViews[static_cast<size_t>(stage)];
        for (UINT slot = start; slot < start + count && slot < kSrvSlots; ++slot) {
            const SrvImpl* view = slots.views[slot].Get();
            const FormatInfo* format = view != nullptr ? view->texture->format : nullptr;
            colour.set(slot, format != nullptr && !format->depth);
        }
    }

    template <typename Impl>
    void SetShader(StageKind stage, ComPtr<Impl>& bound, Impl* shader, const ShaderFacts*& shaderFacts)
    {
        if (bound.Get() != shader) {
            bound = shader;
            dirty |= StageRanges(stage);
        }
        shaderFacts = shader != nullptr ? &shader->facts : nullptr;
    }

    // A program the driver compiles in parallel is known to be linked, and its facts complete, only
    // once asked.
    void ResolveLinks()
    {
        if (vertexShader) {
            vertexShader->Linked();
        }
        if (pixelShader) {
            pixelShader->Linked();
        }
        if (computeShader) {
            computeShader->Linked();
        }
    }

    // After another context ran (GlState forgot what GL holds) or with the state cache bypassed,
    // every range is handed over again.
    void TakeResets()
    {
        GlState& gl = Core().gl;
        if (gl.bypass || gl.Resets() != seenResets) {
            dirty = kAllRanges;
            seenResets = gl.Resets();
        }
    }

    // The shader's textures, samplers and constant buffers, where their ranges changed.
    template <typename Shader>
    void ApplyStage(StageKind stage, const Shader& shader)
    {
        GlState& gl = Core().gl;
        const StageSlots& slots = Slots(stage);
        if ((dirty & Textures(stage)) != 0) {
            for (const auto& t : shader.bindings.textures) {
                const SrvImpl* view = t.slot < kSrvSlots ? slots.views[t.slot].Get() : nullptr;
                gl.BindTexture(t.unit, view != nullptr ? view->glName : 0);
                const SamplerStateImpl* sampler = t.samplerSlot < kSamplerSlots ? slots.samplers[t.samplerSlot].Get()
                                                                                : nullptr;
                gl.BindSampler(t.unit, sampler != nullptr ? sampler->sampler : 0);
            }
        }
        if ((dirty & ConstantBuffers(stage)) != 0) {
            for (const auto& b : shader.bindings.buffers) {
                const BufferImpl* buffer = b.slot < kCbSlots ? slots.buffers[b.slot].Get() : nullptr;
                if (buffer != nullptr) {
                    gl.BindUniformBuffer(b.binding, buffer->boundBuffer, buffer->boundOffset, buffer->desc.ByteWidth);
                } else {
                    gl.BindUniformBuffer(b.binding, 0, 0, 0);
                }
            }
        }
    }

    void ApplyVertexInput()
    {
        GlState& gl = Core().gl;
        if (!inputLayout) {
            gl.BindVertexArray(Core().emptyVertexArray);
            return;
        }
        InputLayoutImpl& layout = *inputLayout;
        if ((dirty & kVertexBuffers) != 0) {
            for (UINT slot : layout.slots) {
                const BufferImpl& b = *vertexBuffers[slot];
                gl.AttachVertexBuffer(layout.vertexArray, layout.attached, slot, b.Id(), b.name, vertexOffsets[slot],
                                      vertexStrides[slot]);
            }
        }
        gl.BindVertexArray(layout.vertexArray);
    }

    // Hands the validated pipeline to GL: what changed of the bindings, and every one-call state.
    void ApplyDraw()
    {
        GlState& gl = Core().gl;
        TakeResets();
        gl.BindDrawFramebuffer(drawFramebuffer);
        const GLuint pipeline = Core().graphicsPipeline;
        gl.BindPipeline(pipeline);
        gl.UseProgram(pipeline, StageKind::Vertex, vertexShader->program);
        gl.UseProgram(pipeline, StageKind::Pixel, pixelShader ? pixelShader->program : 0);
        ApplyStage(StageKind::Vertex, *vertexShader);
        DirtyRanges handed = StageRanges(StageKind::Vertex) | kVertexBuffers;
        if (pixelShader) {
            ApplyStage(StageKind::Pixel, *pixelShader);
            handed |= StageRanges(StageKind::Pixel);
        }
        ApplyVertexInput();
        dirty = (dirty & ~handed) | kOverwrittenByDraw;
        gl.Apply(rasterizer ? rasterizer->Id() : 0, rasterizer ? rasterizer->gl : kDefaultRasterizer);
        if (pixelShader) {
            gl.Apply(blend ? blend->Id() : 0, blend ? blend->gl : kDefaultBlend, blendFactor);
        } else {
            // Direct3D writes no colour where no pixel shader runs (depth and stencil go on); GL's
            // fragment outputs would be undefined, so every target's writes are masked.
            static const BlendGl kNoColour = [] {
                BlendGl b;
                for (BlendTargetGl& t : b.targets) {
                    t.writeMask = 0;
                }
                return b;
            }();
            constexpr std::uint64_t kNoColourId = ~std::uint64_t{0};  // no object's: ids count up from 1
            gl.Apply(kNoColourId, kNoColour, blendFactor);
        }
        gl.Apply(depthStencil ? depthStencil->Id() : 0, depthStencil ? depthStencil->gl : kDefaultDepthStencil,
                 stencilRef);
        gl.Viewport(viewport);
    }

    // A draw or dispatch dropped, named by the shaders it would have run: those of an effect carry
    // the effect's file, technique and pass in their debug names.
    template <typename... Shader>
    void ReportRun(Refusal refusal, const Shader*... shaders)
    {
        std::string names;
        const auto add = [&names](const std::string& name) {
            if (!name.empty()) {
                names += (names.empty() ? "" : " and ") + name;
            }
        };
        (add(shaders != nullptr ? shaders->DebugName() : std::string()), ...);
        if (!names.empty()) {
            refusal.detail += (refusal.detail.empty() ? "running " : "; running ") + names;
        }
        Report(refusal);
    }

    void DrawIndexedImpl(UINT count, UINT instances, UINT start, INT base, UINT firstInstance)
    {
        if (count == 0 || instances == 0) {
            return;  // nothing to draw, as in Direct3D
        }
        ResolveLinks();
        if (Verdict broken = ValidateIndexedDraw(facts, count, start)) {
            ReportRun(*broken, vertexShader.Get(), pixelShader.Get());
            return;
        }
        if (!Core().MakeCurrent()) {
            return;
        }
        ApplyDraw();
        InputLayoutImpl* layout = inputLayout.Get();
        Core().gl.AttachIndexBuffer(layout != nullptr ? layout->vertexArray : Core().emptyVertexArray,
                                    layout != nullptr ? &layout->attached : nullptr, indexBuffer->Id(),
                                    indexBuffer->name);
        const bool wide = facts.indexFormat == DXGI_FORMAT_R32_UINT;
        const auto offset = static_cast<std::uintptr_t>(facts.indexOffset) + std::uintptr_t(start) * (wide ? 4 : 2);
        Core().gl.DrawElements(TranslateTopology(facts.topology), static_cast<GLsizei>(count),
                               wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, offset, static_cast<GLsizei>(instances),
                               base, firstInstance);
    }

    void DrawImpl(UINT count, UINT instances, UINT start, UINT firstInstance)
    {
        if (count == 0 || instances == 0) {
            return;  // nothing to draw, as in Direct3D
        }
        ResolveLinks();
        if (Verdict broken = ValidateDraw(facts)) {
            ReportRun(*broken, vertexShader.Get(), pixelShader.Get());
            return;
        }
        if (!Core().MakeCurrent()) {
            return;
        }
        ApplyDraw();
        Core().gl.DrawArrays(TranslateTopology(facts.topology), static_cast<GLint>(start), static_cast<GLsizei>(count),
                             static_cast<GLsizei>(instances), firstInstance);
    }

    StageSlots stageSlots[3];  // by StageKind: vertex, pixel, compute
    ComPtr<VertexShaderImpl> vertexShader;
    ComPtr<PixelShaderImpl> pixelShader;
    ComPtr<ComputeShaderImpl> computeShader;
    ComPtr<UavImpl> uavs[kUavSlots];
    ComPtr<InputLayoutImpl> inputLayout;
    ComPtr<BufferImpl> vertexBuffers[kVbSlots];
    std::array<UINT, kVbSlots> vertexStrides{}, vertexOffsets{};
    ComPtr<BufferImpl> indexBuffer;
    ComPtr<RtvImpl> renderTargets[kTargetSlots];
    PassTimer passTimer;
    int eventDepth = 0;  // annotation groups open
    ComPtr<DsvImpl> depthView;
    GLuint drawFramebuffer = 0;  // for the bound targets; 0 when none is bound
    ComPtr<BlendStateImpl> blend;
    float blendFactor[4] = {1, 1, 1, 1};
    ComPtr<DepthStencilStateImpl> depthStencil;
    UINT stencilRef = 0;
    ComPtr<RasterizerStateImpl> rasterizer;
    D3D11_VIEWPORT viewport{};
    PipelineFacts facts;  // what the calls above recorded, as draws are validated against it
    DirtyRanges dirty = kAllRanges;
    std::uint64_t seenResets = 0;  // GlState's resets when the ranges were last handed over
    bool tracing = false;
    std::vector<std::string> trace;
};

ContextImpl* AsContext(ID3D11DeviceContext* context)
{
    return static_cast<ContextImpl*>(context);
}

}  // namespace

ComPtr<ID3D11DeviceContext> CreateImmediateContext(std::shared_ptr<DeviceCore> core)
{
    return ComPtr<ID3D11DeviceContext>::Adopt(new ContextImpl(std::move(core)));
}

}  // namespace d3dgl

using namespace d3dgl;

void D3D11BeginCallTrace(ID3D11DeviceContext* context)
{
    if (context != nullptr) {
        AsContext(context)->BeginTrace();
    }
}

std::vector<std::string> D3D11EndCallTrace(ID3D11DeviceContext* context)
{
    return context != nullptr ? AsContext(context)->EndTrace() : std::vector<std::string>{};
}

std::uint64_t D3D11GLCallCount(ID3D11DeviceContext* context)
{
    return context != nullptr ? AsContext(context)->Core().gl.Calls() : 0;
}

void D3D11BeginPassTiming(ID3D11DeviceContext* context)
{
    if (context != nullptr) {
        AsContext(context)->StartPassTiming();
    }
}

std::vector<D3D11PassTime> D3D11EndPassTiming(ID3D11DeviceContext* context)
{
    std::vector<D3D11PassTime> times;
    if (context != nullptr) {
        for (const PassTimer::Time& t : AsContext(context)->StopPassTiming()) {
            times.push_back({t.name, t.depth, t.milliseconds});
        }
    }
    return times;
}

std::string D3D11ContextPlatform(ID3D11DeviceContext* context)
{
    return context != nullptr ? AsContext(context)->Core().context.Platform() : std::string();
}
