// The hooks of Diagnostics.h: options, the live count and the read-back.
#include "platform/d3d11/Diagnostics.h"

#include <algorithm>

#include "platform/d3d11/DeviceObjects.h"
#include "platform/d3d11/DeviceOptions.h"
#include "platform/d3d11/Formats.h"

namespace d3dgl {

namespace {

D3D11DeviceOptions options;

}  // namespace

const D3D11DeviceOptions& DeviceOptions()
{
    return options;
}

}  // namespace d3dgl

using namespace d3dgl;

long D3D11LiveObjectCount()
{
    return ComLiveObjectCount();
}

void D3D11SetDeviceOptions(const D3D11DeviceOptions& newOptions)
{
    options = newOptions;
}

std::uint64_t D3D11GLDebugProblemCount()
{
    return GlDebugProblemCount();
}

std::uint64_t D3D11GLShaderCompilerMessageCount()
{
    return GlShaderCompilerMessageCount();
}

// A test and tool hook, not part of the context's work: it reads GL directly and is not counted
// with the context's GL calls.
bool D3D11ReadTexture(ID3D11Texture2D* texture, UINT mipLevel, UINT arraySlice, std::vector<std::uint8_t>& bytes)
{
    TextureImpl* t = AsTexture(texture);
    if (t == nullptr || mipLevel >= t->desc.MipLevels || arraySlice >= t->desc.ArraySize) {
        return false;
    }
    const FormatInfo* info = LookupFormat(t->desc.Format);
    const DXGI_FORMAT format = t->desc.Format;
    if (format != DXGI_FORMAT_R8G8B8A8_UNORM && format != DXGI_FORMAT_R32G32B32A32_FLOAT &&
        format != DXGI_FORMAT_R32G32B32A32_UINT && format != DXGI_FORMAT_R32G32B32A32_SINT) {
        return false;
    }
    if (!t->Core().MakeCurrent()) {
        return false;
    }
    const UINT w = std::max(1u, t->desc.Width >> mipLevel), h = std::max(1u, t->desc.Height >> mipLevel);
    bytes.assign(std::size_t(w) * h * info->blockBytes, 0);
    glMemoryBarrier(GL_TEXTURE_UPDATE_BARRIER_BIT | GL_FRAMEBUFFER_BARRIER_BIT);
    glGetTextureSubImage(t->name, static_cast<GLint>(mipLevel), 0, 0, static_cast<GLint>(arraySlice),
                         static_cast<GLsizei>(w), static_cast<GLsizei>(h), 1, info->format, info->type,
                         static_cast<GLsizei>(bytes.size()), bytes.data());
    return glGetError() == GL_NO_ERROR;
}

namespace {

template <typename Impl>
D3D11LinkState LinkStateOf(const Impl* shader)
{
    if (shader == nullptr) {
        return D3D11LinkState::Pending;
    }
    switch (shader->link) {
    case Impl::Link::Done: return D3D11LinkState::Linked;
    case Impl::Link::Refused: return D3D11LinkState::Refused;
    case Impl::Link::Pending: break;
    }
    return D3D11LinkState::Pending;
}

}  // namespace

D3D11LinkState D3D11ShaderLinkState(ID3D11VertexShader* shader)
{
    return LinkStateOf(static_cast<const VertexShaderImpl*>(shader));
}
D3D11LinkState D3D11ShaderLinkState(ID3D11PixelShader* shader)
{
    return LinkStateOf(static_cast<const PixelShaderImpl*>(shader));
}
D3D11LinkState D3D11ShaderLinkState(ID3D11ComputeShader* shader)
{
    return LinkStateOf(static_cast<const ComputeShaderImpl*>(shader));
}
