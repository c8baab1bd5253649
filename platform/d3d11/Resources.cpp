// Buffers, 2D textures (with arrays and cube maps), 3D textures and the four kinds of views.
#include <algorithm>
#include <cstring>

#include "platform/d3d11/Checks.h"
#include "platform/d3d11/DeviceObjects.h"
#include "platform/d3d11/Formats.h"

namespace d3dgl {

namespace {

// Uploads one subresource, repacking rows when the caller's pitch is not tight.
void Upload(const TextureImpl& t, const FormatInfo& f, UINT level, UINT slice, const D3D11_SUBRESOURCE_DATA& data)
{
    const UINT w = std::max(1u, t.desc.Width >> level), h = std::max(1u, t.desc.Height >> level);
    const UINT rows = f.compressed ? (h + 3) / 4 : h;
    const UINT rowBytes = f.compressed ? (w + 3) / 4 * f.blockBytes : w * f.blockBytes;
    const auto* source = static_cast<const std::uint8_t*>(data.pSysMem);
    std::vector<std::uint8_t> tight;
    const UINT pitch = data.SysMemPitch == 0 ? rowBytes : data.SysMemPitch;
    if (pitch != rowBytes) {
        tight.resize(std::size_t(rowBytes) * rows);
        for (UINT r = 0; r < rows; ++r) {
            std::memcpy(tight.data() + std::size_t(r) * rowBytes, source + std::size_t(r) * pitch, rowBytes);
        }
        source = tight.data();
    }
    const auto size = static_cast<GLsizei>(std::size_t(rowBytes) * rows);
    const auto gl = [](UINT v) { return static_cast<GLint>(v); };
    if (t.target == GL_TEXTURE_CUBE_MAP || t.target == GL_TEXTURE_2D_ARRAY) {
        if (f.compressed) {
            glCompressedTextureSubImage3D(t.name, gl(level), 0, 0, gl(slice), gl(w), gl(h), 1, f.internalFormat, size,
                                          source);
        } else {
            glTextureSubImage3D(t.name, gl(level), 0, 0, gl(slice), gl(w), gl(h), 1, f.format, f.type, source);
        }
    } else if (f.compressed) {
        glCompressedTextureSubImage2D(t.name, gl(level), 0, 0, gl(w), gl(h), f.internalFormat, size, source);
    } else {
        glTextureSubImage2D(t.name, gl(level), 0, 0, gl(w), gl(h), f.format, f.type, source);
    }
}

// Uploads one mip level of a 3D texture: data.SysMemSlicePitch bytes from one depth slice to the
// next, rows repacked when the pitch is not tight.
void Upload3D(const TextureImpl& t, const FormatInfo& f, UINT level, UINT depth, const D3D11_SUBRESOURCE_DATA& data)
{
    const UINT w = std::max(1u, t.desc.Width >> level), h = std::max(1u, t.desc.Height >> level);
    const UINT rowBytes = w * f.blockBytes;
    const UINT pitch = data.SysMemPitch == 0 ? rowBytes : data.SysMemPitch;
    const UINT slicePitch = data.SysMemSlicePitch == 0 ? pitch * h : data.SysMemSlicePitch;
    std::vector<std::uint8_t> tight(std::size_t(rowBytes) * h * depth);
    const auto* source = static_cast<const std::uint8_t*>(data.pSysMem);
    for (UINT z = 0; z < depth; ++z) {
        for (UINT r = 0; r < h; ++r) {
            std::memcpy(tight.data() + (std::size_t(z) * h + r) * rowBytes,
                        source + std::size_t(z) * slicePitch + std::size_t(r) * pitch, rowBytes);
        }
    }
    glTextureSubImage3D(t.name, static_cast<GLint>(level), 0, 0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h),
                        static_cast<GLsizei>(depth), f.format, f.type, tight.data());
}

// Direct3D's default sampler: trilinear, clamped. Used whenever no sampler state is bound, which is
// how a texture that is only read with Load is bound. Integer textures get nearest filtering: with
// any other, GL counts them incomplete and every read returns 0.
void SetDefaultSampling(GLuint name, UINT mipLevels, bool integer)
{
    const GLint minFilter = integer ? (mipLevels > 1 ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST)
                                    : (mipLevels > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTextureParameteri(name, GL_TEXTURE_MIN_FILTER, minFilter);
    glTextureParameteri(name, GL_TEXTURE_MAG_FILTER, integer ? GL_NEAREST : GL_LINEAR);
    glTextureParameteri(name, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTextureParameteri(name, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTextureParameteri(name, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

// GL keeps an error until it is read, so one left by any earlier call would be taken for the failure
// of the creation that follows. Read before creating, the check after it sees only its own.
void DiscardGlErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

TextureShape ShapeOf(const TextureImpl& t)
{
    switch (t.target) {
    case GL_TEXTURE_CUBE_MAP: return TextureShape::Cube;
    case GL_TEXTURE_2D_ARRAY: return TextureShape::Array;
    case GL_TEXTURE_3D: return TextureShape::Volume;
    default: return TextureShape::Plain;
    }
}

ViewedTexture Viewed(const TextureImpl* t)
{
    return t != nullptr ? ViewedTexture{&t->desc, ShapeOf(*t)} : ViewedTexture{};
}

// A view of one mip level: render target, depth stencil and unordered access views.
template <typename Impl, typename Interface, typename Desc, typename Check>
HRESULT CreateLevelView(const std::shared_ptr<DeviceCore>& core, ID3D11Resource* resource, const Desc* requested,
                        Check check, Interface** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    TextureImpl* t = AsTexture(resource);
    Desc desc{};
    if (Verdict broken = check(Viewed(t), requested, desc)) {
        return Refuse(*broken);
    }
    auto* view = new Impl(core, t, desc);
    view->glName = t->name;
    view->level = static_cast<GLint>(desc.Texture2D.MipSlice);
    return Hand<Interface>(view, out);
}

}  // namespace

IUnknown* Texture3DImpl::Cast(REFIID riid)
{
    if (riid == IID_ID3D11Texture3D || riid == IID_ID3D11Resource) {
        return this;
    }
    return DeviceChild::Cast(riid);
}

IUnknown* BufferImpl::Cast(REFIID riid)
{
    if (riid == IID_ID3D11Buffer || riid == IID_ID3D11Resource) {
        return this;
    }
    return DeviceChild::Cast(riid);
}

BufferImpl::~BufferImpl()
{
    if (Core().MakeCurrent()) {
        Core().gl.ForgetBuffer(name);
        glDeleteBuffers(1, &name);
    }
}

IUnknown* TextureImpl::Cast(REFIID riid)
{
    if (riid == IID_ID3D11Texture2D || riid == IID_ID3D11Resource) {
        return this;
    }
    return DeviceChild::Cast(riid);
}

TextureImpl::~TextureImpl()
{
    if (Core().MakeCurrent()) {
        Core().ForgetTexture(name);
        glDeleteTextures(1, &name);
    }
}

TextureImpl* AsTexture(ID3D11Resource* resource)
{
    if (resource == nullptr) {
        return nullptr;
    }
    D3D11_RESOURCE_DIMENSION dimension = D3D11_RESOURCE_DIMENSION_UNKNOWN;
    resource->GetType(&dimension);
    return dimension == D3D11_RESOURCE_DIMENSION_TEXTURE2D
               ? static_cast<TextureImpl*>(static_cast<ID3D11Texture2D*>(resource))
               : nullptr;
}

BufferImpl* AsBuffer(ID3D11Resource* resource)
{
    if (resource == nullptr) {
        return nullptr;
    }
    D3D11_RESOURCE_DIMENSION dimension = D3D11_RESOURCE_DIMENSION_UNKNOWN;
    resource->GetType(&dimension);
    return dimension == D3D11_RESOURCE_DIMENSION_BUFFER ? static_cast<BufferImpl*>(static_cast<ID3D11Buffer*>(resource))
                                                        : nullptr;
}

template <typename Interface, typename Desc>
ViewImpl<Interface, Desc>::~ViewImpl()
{
    if (ownedView != 0 && this->Core().MakeCurrent()) {
        this->Core().ForgetTexture(ownedView);
        glDeleteTextures(1, &ownedView);
    }
}
template class ViewImpl<ID3D11ShaderResourceView, D3D11_SHADER_RESOURCE_VIEW_DESC>;
template class ViewImpl<ID3D11RenderTargetView, D3D11_RENDER_TARGET_VIEW_DESC>;
template class ViewImpl<ID3D11DepthStencilView, D3D11_DEPTH_STENCIL_VIEW_DESC>;
template class ViewImpl<ID3D11UnorderedAccessView, D3D11_UNORDERED_ACCESS_VIEW_DESC>;

HRESULT DeviceImpl::CreateBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                 ID3D11Buffer** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    if (Verdict broken = CheckBuffer(desc, initialData)) {
        return Refuse(*broken);
    }
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    GLbitfield flags = 0;
    if (desc->Usage == D3D11_USAGE_DEFAULT) {
        flags = GL_DYNAMIC_STORAGE_BIT;
    } else if (desc->Usage == D3D11_USAGE_DYNAMIC) {
        flags = GL_DYNAMIC_STORAGE_BIT | GL_MAP_WRITE_BIT;
    }
    DiscardGlErrors();
    GLuint name = 0;
    glCreateBuffers(1, &name);
    glNamedBufferStorage(name, desc->ByteWidth, initialData != nullptr ? initialData->pSysMem : nullptr, flags);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &name);
        return E_OUTOFMEMORY;
    }
    auto* buffer = new BufferImpl(core, *desc, name);
    buffer->boundBuffer = name;
    if ((desc->BindFlags & D3D11_BIND_CONSTANT_BUFFER) != 0) {
        const auto* bytes = initialData != nullptr ? static_cast<const std::uint8_t*>(initialData->pSysMem) : nullptr;
        buffer->contents = bytes != nullptr ? std::vector<std::uint8_t>(bytes, bytes + desc->ByteWidth)
                                            : std::vector<std::uint8_t>(desc->ByteWidth, 0);
    }
    return Hand<ID3D11Buffer>(buffer, out);
}

HRESULT DeviceImpl::CreateTexture2D(const D3D11_TEXTURE2D_DESC* requested, const D3D11_SUBRESOURCE_DATA* initialData,
                                    ID3D11Texture2D** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    D3D11_TEXTURE2D_DESC desc;
    if (Verdict broken = CheckTexture2D(requested, initialData, desc)) {
        return Refuse(*broken);
    }
    const FormatInfo* f = LookupFormat(desc.Format);
    const bool cube = (desc.MiscFlags & D3D11_RESOURCE_MISC_TEXTURECUBE) != 0;
    const bool array = !cube && desc.ArraySize > 1;
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }

    const GLenum target = cube ? GL_TEXTURE_CUBE_MAP : array ? GL_TEXTURE_2D_ARRAY : GL_TEXTURE_2D;
    DiscardGlErrors();
    GLuint name = 0;
    glCreateTextures(target, 1, &name);
    if (array) {
        glTextureStorage3D(name, static_cast<GLsizei>(desc.MipLevels), f->internalFormat,
                           static_cast<GLsizei>(desc.Width), static_cast<GLsizei>(desc.Height),
                           static_cast<GLsizei>(desc.ArraySize));
    } else {
        glTextureStorage2D(name, static_cast<GLsizei>(desc.MipLevels), f->internalFormat,
                           static_cast<GLsizei>(desc.Width), static_cast<GLsizei>(desc.Height));
    }
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return E_OUTOFMEMORY;
    }
    SetDefaultSampling(name, desc.MipLevels, f->integer);
    auto* texture = new TextureImpl(core, desc, name, target);
    if (initialData != nullptr) {
        for (UINT slice = 0; slice < desc.ArraySize; ++slice) {
            for (UINT level = 0; level < desc.MipLevels; ++level) {
                Upload(*texture, *f, level, slice, initialData[slice * desc.MipLevels + level]);
            }
        }
    }
    return Hand<ID3D11Texture2D>(texture, out);
}

HRESULT DeviceImpl::CreateTexture3D(const D3D11_TEXTURE3D_DESC* requested, const D3D11_SUBRESOURCE_DATA* initialData,
                                    ID3D11Texture3D** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    D3D11_TEXTURE3D_DESC desc;
    if (Verdict broken = CheckTexture3D(requested, initialData, desc)) {
        return Refuse(*broken);
    }
    const FormatInfo* f = LookupFormat(desc.Format);
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    DiscardGlErrors();
    GLuint name = 0;
    glCreateTextures(GL_TEXTURE_3D, 1, &name);
    glTextureStorage3D(name, static_cast<GLsizei>(desc.MipLevels), f->internalFormat, static_cast<GLsizei>(desc.Width),
                       static_cast<GLsizei>(desc.Height), static_cast<GLsizei>(desc.Depth));
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return E_OUTOFMEMORY;
    }
    SetDefaultSampling(name, desc.MipLevels, f->integer);
    const D3D11_TEXTURE2D_DESC storageDesc{desc.Width, desc.Height, desc.MipLevels, desc.Depth,          desc.Format,
                                           {1, 0},     desc.Usage,  desc.BindFlags, desc.CPUAccessFlags, 0};
    auto storage = ComPtr<TextureImpl>::Adopt(new TextureImpl(core, storageDesc, name, GL_TEXTURE_3D));
    if (initialData != nullptr) {
        for (UINT level = 0; level < desc.MipLevels; ++level) {
            Upload3D(*storage, *f, level, std::max(1u, desc.Depth >> level), initialData[level]);
        }
    }
    return Hand<ID3D11Texture3D>(new Texture3DImpl(core, desc, std::move(storage)), out);
}

HRESULT DeviceImpl::CreateShaderResourceView(ID3D11Resource* resource, const D3D11_SHADER_RESOURCE_VIEW_DESC* requested,
                                             ID3D11ShaderResourceView** out)
{
    if (out != nullptr) {
        *out = nullptr;
    }
    TextureImpl* t = AsTexture(resource);
    Texture3DImpl* volume = nullptr;
    D3D11_RESOURCE_DIMENSION dimension = D3D11_RESOURCE_DIMENSION_UNKNOWN;
    if (resource != nullptr) {
        resource->GetType(&dimension);
    }
    if (dimension == D3D11_RESOURCE_DIMENSION_TEXTURE3D) {
        volume = static_cast<Texture3DImpl*>(static_cast<ID3D11Texture3D*>(resource));
        t = volume->storage.Get();
    }
    D3D11_SHADER_RESOURCE_VIEW_DESC desc;
    if (Verdict broken = CheckShaderResourceView(Viewed(t), requested, desc)) {
        return Refuse(*broken);
    }
    if (!core->MakeCurrent()) {
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    auto* view = new SrvImpl(core, t, desc);
    if (volume != nullptr) {
        view->owner = volume;
    }
    view->glName = t->name;
    const D3D11_TEX2D_ARRAY_SRV& range = desc.Texture2DArray;
    const bool allSlices = t->target != GL_TEXTURE_2D_ARRAY ||
                           (range.FirstArraySlice == 0 && range.ArraySize == t->desc.ArraySize);
    const bool viewTarget = t->target == GL_TEXTURE_2D && desc.ViewDimension == D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
    if (range.MostDetailedMip != 0 || range.MipLevels != t->desc.MipLevels || !allSlices || viewTarget) {
        // A sub-range (or a 2D texture seen as an array) needs its own GL texture view, so that
        // sampling sees only that part.
        const bool layered = t->target == GL_TEXTURE_2D_ARRAY || viewTarget;
        const GLenum target = layered ? GL_TEXTURE_2D_ARRAY : t->target;
        const GLuint firstLayer = t->target == GL_TEXTURE_2D_ARRAY ? range.FirstArraySlice : 0;
        const GLuint layers = layered ? range.ArraySize : t->target == GL_TEXTURE_3D ? 1 : t->desc.ArraySize;
        glGenTextures(1, &view->ownedView);
        const FormatInfo* format = LookupFormat(t->desc.Format);
        glTextureView(view->ownedView, target, t->name, format->internalFormat, range.MostDetailedMip, range.MipLevels,
                      firstLayer, layers);
        SetDefaultSampling(view->ownedView, range.MipLevels, format->integer);
        view->glName = view->ownedView;
    }
    return Hand<ID3D11ShaderResourceView>(view, out);
}

HRESULT DeviceImpl::CreateRenderTargetView(ID3D11Resource* resource, const D3D11_RENDER_TARGET_VIEW_DESC* requested,
                                           ID3D11RenderTargetView** out)
{
    return CreateLevelView<RtvImpl>(core, resource, requested, CheckRenderTargetView, out);
}

HRESULT DeviceImpl::CreateDepthStencilView(ID3D11Resource* resource, const D3D11_DEPTH_STENCIL_VIEW_DESC* requested,
                                           ID3D11DepthStencilView** out)
{
    return CreateLevelView<DsvImpl>(core, resource, requested, CheckDepthStencilView, out);
}

HRESULT DeviceImpl::CreateUnorderedAccessView(ID3D11Resource* resource,
                                              const D3D11_UNORDERED_ACCESS_VIEW_DESC* requested,
                                              ID3D11UnorderedAccessView** out)
{
    return CreateLevelView<UavImpl>(core, resource, requested, CheckUnorderedAccessView, out);
}

}  // namespace d3dgl
