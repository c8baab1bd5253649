// Every rule the layer enforces, checked without a GL context: one test per rule, each with the
// boundary cases that pass beside the ones that break it.
#include "platform/d3d11/Checks.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/d3d11/Diagnostics.h"
#include "tests/platform/d3d11/TextureDescs.h"

namespace {

using d3dgl::Rule;
using d3dgl::Verdict;

// The rule the verdict names, or Rule::Count when the call may go on.
Rule RuleOf(const Verdict& verdict)
{
    return verdict ? verdict->rule : Rule::Count;
}
constexpr Rule kPasses = Rule::Count;

D3D11_TEXTURE2D_DESC TextureDesc(UINT width, UINT height, DXGI_FORMAT format = DXGI_FORMAT_R8G8B8A8_UNORM,
                                 UINT bind = D3D11_BIND_SHADER_RESOURCE)
{
    return PlainTexture2DDesc(width, height, format, bind);
}

D3D11_TEXTURE3D_DESC VolumeDesc(UINT width, UINT height, UINT depth, UINT mips, UINT bind = D3D11_BIND_SHADER_RESOURCE)
{
    D3D11_TEXTURE3D_DESC d{};
    d.Width = width;
    d.Height = height;
    d.Depth = depth;
    d.MipLevels = mips;
    d.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    d.Usage = D3D11_USAGE_DEFAULT;
    d.BindFlags = bind;
    return d;
}

// ---- the device ----

TEST(Checks, DeviceArguments)
{
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    EXPECT_EQ(RuleOf(d3dgl::CheckDeviceArguments(D3D_DRIVER_TYPE_HARDWARE, &level, 1, D3D11_SDK_VERSION)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckDeviceArguments(D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D11_SDK_VERSION)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckDeviceArguments(D3D_DRIVER_TYPE_HARDWARE, &level, 1, D3D11_SDK_VERSION + 1)),
              Rule::DeviceArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckDeviceArguments(D3D_DRIVER_TYPE_HARDWARE, nullptr, 2, D3D11_SDK_VERSION)),
              Rule::DeviceArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckDeviceArguments(static_cast<D3D_DRIVER_TYPE>(D3D_DRIVER_TYPE_WARP + 1), &level, 1,
                                                 D3D11_SDK_VERSION)),
              Rule::DeviceArguments);
}

// No GL context is made: the platform asked for is refused before any display is opened.
TEST(Checks, DeviceNoContext)
{
    const std::uint64_t before = D3D11RuleCount(Rule::DeviceNoContext);
    setenv("SHOW_EGL_PLATFORM", "wayland", 1);
    ID3D11Device* device = nullptr;
    const HRESULT hr = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                         &device, nullptr, nullptr);
    unsetenv("SHOW_EGL_PLATFORM");
    EXPECT_EQ(hr, DXGI_ERROR_UNSUPPORTED);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(D3D11RuleCount(Rule::DeviceNoContext), before + 1);
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST(Checks, DeviceFeatureLevel)
{
    D3D_FEATURE_LEVEL achieved{};
    const D3D_FEATURE_LEVEL asked[] = {D3D_FEATURE_LEVEL_10_0, D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1};
    // The highest one reached, wherever it stands in the list.
    EXPECT_EQ(RuleOf(d3dgl::ChooseFeatureLevel(asked, 3, D3D_FEATURE_LEVEL_11_0, achieved)), kPasses);
    EXPECT_EQ(achieved, D3D_FEATURE_LEVEL_11_0);
    EXPECT_EQ(RuleOf(d3dgl::ChooseFeatureLevel(asked, 3, D3D_FEATURE_LEVEL_10_1, achieved)), kPasses);
    EXPECT_EQ(achieved, D3D_FEATURE_LEVEL_10_1);
    // Without a list, Direct3D's default one, which starts at 11_0.
    EXPECT_EQ(RuleOf(d3dgl::ChooseFeatureLevel(nullptr, 0, D3D_FEATURE_LEVEL_11_0, achieved)), kPasses);
    EXPECT_EQ(achieved, D3D_FEATURE_LEVEL_11_0);
    EXPECT_EQ(RuleOf(d3dgl::ChooseFeatureLevel(asked, 3, D3D_FEATURE_LEVEL_9_3, achieved)), Rule::DeviceFeatureLevel);
    EXPECT_EQ(RuleOf(d3dgl::ChooseFeatureLevel(asked, 0, D3D_FEATURE_LEVEL_11_0, achieved)), Rule::DeviceFeatureLevel);
}

TEST(Checks, MultisampleQuery)
{
    UINT levels = 0;
    EXPECT_EQ(RuleOf(d3dgl::CheckMultisampleQuery(DXGI_FORMAT_R8G8B8A8_UNORM, 4, &levels)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckMultisampleQuery(DXGI_FORMAT_R8G8B8A8_UNORM, 4, nullptr)), Rule::MultisampleQuery);
    EXPECT_EQ(RuleOf(d3dgl::CheckMultisampleQuery(DXGI_FORMAT_R8G8B8A8_UNORM, 0, &levels)), Rule::MultisampleQuery);
    EXPECT_EQ(RuleOf(d3dgl::CheckMultisampleQuery(DXGI_FORMAT_R8G8B8A8_UNORM, 33, &levels)), Rule::MultisampleQuery);
    EXPECT_EQ(RuleOf(d3dgl::CheckMultisampleQuery(DXGI_FORMAT_BC1_UNORM, 1, &levels)), Rule::MultisampleQuery);
    EXPECT_EQ(RuleOf(d3dgl::CheckMultisampleQuery(DXGI_FORMAT_UNKNOWN, 1, &levels)), Rule::MultisampleQuery);
}

TEST(Checks, ShaderCompile)
{
    EXPECT_EQ(RuleOf(d3dgl::CheckLinkResult(true, "pixel", "")), kPasses);
    const Verdict refused = d3dgl::CheckLinkResult(false, "pixel", "0:3(1): error: syntax error\n\n");
    ASSERT_EQ(RuleOf(refused), Rule::ShaderCompile);
    EXPECT_EQ(refused->detail, "pixel shader: 0:3(1): error: syntax error");  // the log's blank tail trimmed
}

TEST(Checks, TargetsIncomplete)
{
    EXPECT_EQ(RuleOf(d3dgl::CheckFramebufferStatus(GL_FRAMEBUFFER_COMPLETE)), kPasses);
    const Verdict attachment = d3dgl::CheckFramebufferStatus(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT);
    ASSERT_EQ(RuleOf(attachment), Rule::TargetsIncomplete);
    EXPECT_EQ(attachment->detail, "an attachment is incomplete");
    const Verdict unknown = d3dgl::CheckFramebufferStatus(0x1234);
    ASSERT_EQ(RuleOf(unknown), Rule::TargetsIncomplete);
    EXPECT_EQ(unknown->detail, "GL status 0x1234");
}

// ---- buffers ----

D3D11_BUFFER_DESC BufferDesc(UINT bytes, UINT bind = D3D11_BIND_VERTEX_BUFFER, D3D11_USAGE usage = D3D11_USAGE_DEFAULT)
{
    D3D11_BUFFER_DESC d{};
    d.ByteWidth = bytes;
    d.BindFlags = bind;
    d.Usage = usage;
    return d;
}

TEST(Checks, BufferDescription)
{
    D3D11_BUFFER_DESC d = BufferDesc(64);
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, nullptr)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(nullptr, nullptr)), Rule::BufferDescription);
    d.ByteWidth = 0;
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, nullptr)), Rule::BufferDescription);
    d = BufferDesc(64, D3D11_BIND_VERTEX_BUFFER, static_cast<D3D11_USAGE>(D3D11_USAGE_STAGING + 1));
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, nullptr)), Rule::BufferDescription);
}

TEST(Checks, BufferConstantSize)
{
    for (UINT bytes : {16u, 65536u}) {
        const D3D11_BUFFER_DESC d = BufferDesc(bytes, D3D11_BIND_CONSTANT_BUFFER);
        EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, nullptr)), kPasses) << bytes;
    }
    for (UINT bytes : {8u, 24u, 65552u}) {
        const D3D11_BUFFER_DESC d = BufferDesc(bytes, D3D11_BIND_CONSTANT_BUFFER);
        EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, nullptr)), Rule::BufferConstantSize) << bytes;
    }
    const D3D11_BUFFER_DESC vertices = BufferDesc(24);  // only constant buffers are sized in 16s
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&vertices, nullptr)), kPasses);
}

TEST(Checks, BufferImmutableData)
{
    const float data[4] = {};
    const D3D11_SUBRESOURCE_DATA initial{data, 0, 0}, empty{nullptr, 0, 0};
    const D3D11_BUFFER_DESC d = BufferDesc(16, D3D11_BIND_VERTEX_BUFFER, D3D11_USAGE_IMMUTABLE);
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, &initial)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, nullptr)), Rule::BufferImmutableData);
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&d, &empty)), Rule::BufferImmutableData);
}

TEST(Checks, InitialDataNull)
{
    const D3D11_SUBRESOURCE_DATA empty{nullptr, 0, 0};
    const D3D11_BUFFER_DESC buffer = BufferDesc(16);
    EXPECT_EQ(RuleOf(d3dgl::CheckBuffer(&buffer, &empty)), Rule::InitialDataNull);
    // A texture names the first subresource without data.
    const std::uint32_t texel = 0;
    const D3D11_SUBRESOURCE_DATA levels[2] = {{&texel, 4, 0}, {nullptr, 0, 0}};
    D3D11_TEXTURE2D_DESC texture = TextureDesc(2, 1);
    texture.MipLevels = 2;
    D3D11_TEXTURE2D_DESC resolved{};
    const Verdict v = d3dgl::CheckTexture2D(&texture, levels, resolved);
    ASSERT_EQ(RuleOf(v), Rule::InitialDataNull);
    EXPECT_EQ(v->detail, "subresource 1");
}

// ---- textures ----

Rule TextureRule(const D3D11_TEXTURE2D_DESC& d)
{
    D3D11_TEXTURE2D_DESC resolved{};
    return RuleOf(d3dgl::CheckTexture2D(&d, nullptr, resolved));
}

TEST(Checks, TextureDescription)
{
    EXPECT_EQ(TextureRule(TextureDesc(16384, 1)), kPasses);
    D3D11_TEXTURE2D_DESC resolved{};
    EXPECT_EQ(RuleOf(d3dgl::CheckTexture2D(nullptr, nullptr, resolved)), Rule::TextureDescription);
    EXPECT_EQ(TextureRule(TextureDesc(0, 4)), Rule::TextureDescription);
    EXPECT_EQ(TextureRule(TextureDesc(16385, 4)), Rule::TextureDescription);
    EXPECT_EQ(TextureRule(TextureDesc(4, 4, DXGI_FORMAT_UNKNOWN)), Rule::TextureDescription);
    D3D11_TEXTURE2D_DESC multisampled = TextureDesc(4, 4);
    multisampled.SampleDesc.Count = 4;
    EXPECT_EQ(TextureRule(multisampled), Rule::TextureDescription);
}

TEST(Checks, TextureArraySize)
{
    D3D11_TEXTURE2D_DESC d = TextureDesc(8, 8);
    d.ArraySize = 2048;
    EXPECT_EQ(TextureRule(d), kPasses);
    d.ArraySize = 2049;
    EXPECT_EQ(TextureRule(d), Rule::TextureArraySize);
    d.ArraySize = 0;
    EXPECT_EQ(TextureRule(d), Rule::TextureArraySize);
    d.MiscFlags = D3D11_RESOURCE_MISC_TEXTURECUBE;
    d.ArraySize = 6;
    EXPECT_EQ(TextureRule(d), kPasses);
    d.Height = 4;  // a cube's faces are square
    EXPECT_EQ(TextureRule(d), Rule::TextureArraySize);
    d.Height = 8;
    d.ArraySize = 12;
    EXPECT_EQ(TextureRule(d), Rule::TextureArraySize);
}

TEST(Checks, TextureArrayBinding)
{
    D3D11_TEXTURE2D_DESC array = TextureDesc(8, 8, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_RENDER_TARGET);
    array.ArraySize = 2;
    EXPECT_EQ(TextureRule(array), Rule::TextureArrayBinding);
    D3D11_TEXTURE3D_DESC volume = VolumeDesc(4, 4, 4, 1, D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS);
    D3D11_TEXTURE3D_DESC resolved{};
    EXPECT_EQ(RuleOf(d3dgl::CheckTexture3D(&volume, nullptr, resolved)), Rule::TextureArrayBinding);
}

TEST(Checks, Texture3DDescription)
{
    D3D11_TEXTURE3D_DESC d = VolumeDesc(2048, 4, 4, 0);
    D3D11_TEXTURE3D_DESC resolved{};
    EXPECT_EQ(RuleOf(d3dgl::CheckTexture3D(&d, nullptr, resolved)), kPasses);
    EXPECT_EQ(resolved.MipLevels, 12u);  // the full chain of the largest side
    EXPECT_EQ(RuleOf(d3dgl::CheckTexture3D(nullptr, nullptr, resolved)), Rule::Texture3DDescription);
    for (auto change : {+[](D3D11_TEXTURE3D_DESC& t) { t.Depth = 2049; }, +[](D3D11_TEXTURE3D_DESC& t) { t.Depth = 0; },
                        +[](D3D11_TEXTURE3D_DESC& t) { t.Format = DXGI_FORMAT_BC1_UNORM; },
                        +[](D3D11_TEXTURE3D_DESC& t) { t.Format = DXGI_FORMAT_D32_FLOAT; },
                        +[](D3D11_TEXTURE3D_DESC& t) { t.MiscFlags = D3D11_RESOURCE_MISC_TEXTURECUBE; }}) {
        D3D11_TEXTURE3D_DESC broken = d;
        change(broken);
        EXPECT_EQ(RuleOf(d3dgl::CheckTexture3D(&broken, nullptr, resolved)), Rule::Texture3DDescription);
    }
}

TEST(Checks, TextureBlockSize)
{
    EXPECT_EQ(TextureRule(TextureDesc(8, 4, DXGI_FORMAT_BC1_UNORM)), kPasses);
    EXPECT_EQ(TextureRule(TextureDesc(6, 4, DXGI_FORMAT_BC1_UNORM)), Rule::TextureBlockSize);
    EXPECT_EQ(TextureRule(TextureDesc(6, 4)), kPasses);  // only block-compressed formats come in blocks
}

TEST(Checks, TextureBindFormat)
{
    EXPECT_EQ(TextureRule(TextureDesc(4, 4, DXGI_FORMAT_D32_FLOAT, D3D11_BIND_DEPTH_STENCIL)), kPasses);
    EXPECT_EQ(TextureRule(TextureDesc(4, 4, DXGI_FORMAT_D32_FLOAT, D3D11_BIND_RENDER_TARGET)), Rule::TextureBindFormat);
    EXPECT_EQ(TextureRule(TextureDesc(4, 4, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_DEPTH_STENCIL)),
              Rule::TextureBindFormat);
    EXPECT_EQ(TextureRule(TextureDesc(4, 4, DXGI_FORMAT_R32G32B32A32_FLOAT, D3D11_BIND_UNORDERED_ACCESS)), kPasses);
    EXPECT_EQ(TextureRule(TextureDesc(4, 4, DXGI_FORMAT_BC1_UNORM, D3D11_BIND_UNORDERED_ACCESS)),
              Rule::TextureBindFormat);
}

TEST(Checks, TextureMipLevels)
{
    D3D11_TEXTURE2D_DESC d = TextureDesc(8, 2);
    d.MipLevels = 4;
    EXPECT_EQ(TextureRule(d), kPasses);
    d.MipLevels = 5;
    EXPECT_EQ(TextureRule(d), Rule::TextureMipLevels);
    d.MipLevels = 0;  // the full chain
    D3D11_TEXTURE2D_DESC resolved{};
    EXPECT_EQ(RuleOf(d3dgl::CheckTexture2D(&d, nullptr, resolved)), kPasses);
    EXPECT_EQ(resolved.MipLevels, 4u);
    D3D11_TEXTURE3D_DESC volume = VolumeDesc(4, 4, 4, 4);
    D3D11_TEXTURE3D_DESC resolvedVolume{};
    EXPECT_EQ(RuleOf(d3dgl::CheckTexture3D(&volume, nullptr, resolvedVolume)), Rule::TextureMipLevels);
}

TEST(Checks, TextureImmutableData)
{
    D3D11_TEXTURE2D_DESC d = TextureDesc(1, 1);
    d.Usage = D3D11_USAGE_IMMUTABLE;
    EXPECT_EQ(TextureRule(d), Rule::TextureImmutableData);
    const std::uint32_t texel = 0;
    const D3D11_SUBRESOURCE_DATA initial{&texel, 4, 0};
    D3D11_TEXTURE2D_DESC resolved{};
    EXPECT_EQ(RuleOf(d3dgl::CheckTexture2D(&d, &initial, resolved)), kPasses);
}

// ---- views ----

TEST(Checks, ViewResource)
{
    const D3D11_TEXTURE2D_DESC sampled = TextureDesc(4, 4);
    D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
    D3D11_RENDER_TARGET_VIEW_DESC rtv{};
    D3D11_DEPTH_STENCIL_VIEW_DESC dsv{};
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&sampled}, nullptr, srv)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({}, nullptr, srv)), Rule::ViewResource);
    EXPECT_EQ(RuleOf(d3dgl::CheckRenderTargetView({&sampled}, nullptr, rtv)), Rule::ViewResource);
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencilView({&sampled}, nullptr, dsv)), Rule::ViewResource);
    // Targets are views of plain 2D textures only.
    D3D11_TEXTURE2D_DESC target = TextureDesc(4, 4, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_RENDER_TARGET);
    EXPECT_EQ(RuleOf(d3dgl::CheckRenderTargetView({&target}, nullptr, rtv)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckRenderTargetView({&target, d3dgl::TextureShape::Cube}, nullptr, rtv)),
              Rule::ViewResource);
}

TEST(Checks, ViewDescription)
{
    D3D11_TEXTURE2D_DESC t = TextureDesc(8, 8);
    t.MipLevels = 4;
    D3D11_SHADER_RESOURCE_VIEW_DESC resolved{};
    D3D11_SHADER_RESOURCE_VIEW_DESC asked{};
    asked.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    asked.Texture2D = {1, UINT(-1)};  // from level 1 to the end
    ASSERT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&t}, &asked, resolved)), kPasses);
    EXPECT_EQ(resolved.Texture2D.MostDetailedMip, 1u);
    EXPECT_EQ(resolved.Texture2D.MipLevels, 3u);
    asked.Texture2D = {1, 4};
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&t}, &asked, resolved)), Rule::ViewDescription);
    asked.Texture2D = {4, UINT(-1)};
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&t}, &asked, resolved)), Rule::ViewDescription);
    asked.Texture2D = {0, 0};
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&t}, &asked, resolved)), Rule::ViewDescription);
    asked.Texture2D = {0, 1};
    asked.Format = DXGI_FORMAT_R32_FLOAT;
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&t}, &asked, resolved)), Rule::ViewDescription);
    // A plain texture seen as an array of one slice, and no more.
    asked = {};
    asked.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
    asked.Texture2DArray = {0, 1, 0, 1};
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&t}, &asked, resolved)), kPasses);
    asked.Texture2DArray = {0, 1, 0, 2};
    EXPECT_EQ(RuleOf(d3dgl::CheckShaderResourceView({&t}, &asked, resolved)), Rule::ViewDescription);
    // A level view names a level the texture has, and read-only depth is not supported.
    D3D11_TEXTURE2D_DESC depth = TextureDesc(8, 8, DXGI_FORMAT_D32_FLOAT, D3D11_BIND_DEPTH_STENCIL);
    D3D11_DEPTH_STENCIL_VIEW_DESC dsv{};
    dsv.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
    D3D11_DEPTH_STENCIL_VIEW_DESC dsvResolved{};
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencilView({&depth}, &dsv, dsvResolved)), kPasses);
    dsv.Flags = 1;
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencilView({&depth}, &dsv, dsvResolved)), Rule::ViewDescription);
    dsv.Flags = 0;
    dsv.Texture2D.MipSlice = 1;
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencilView({&depth}, &dsv, dsvResolved)), Rule::ViewDescription);
}

// ---- state objects ----

TEST(Checks, RasterizerDescription)
{
    D3D11_RASTERIZER_DESC d{};
    d.FillMode = D3D11_FILL_WIREFRAME;
    d.CullMode = D3D11_CULL_BACK;
    EXPECT_EQ(RuleOf(d3dgl::CheckRasterizer(&d)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckRasterizer(nullptr)), Rule::RasterizerDescription);
    d.FillMode = static_cast<D3D11_FILL_MODE>(1);
    EXPECT_EQ(RuleOf(d3dgl::CheckRasterizer(&d)), Rule::RasterizerDescription);
    d.FillMode = D3D11_FILL_SOLID;
    d.CullMode = static_cast<D3D11_CULL_MODE>(4);
    EXPECT_EQ(RuleOf(d3dgl::CheckRasterizer(&d)), Rule::RasterizerDescription);
}

TEST(Checks, BlendDescription)
{
    D3D11_BLEND_DESC d{};
    d.RenderTarget[0] = {TRUE,
                         D3D11_BLEND_SRC_ALPHA,
                         D3D11_BLEND_INV_SRC_ALPHA,
                         D3D11_BLEND_OP_ADD,
                         D3D11_BLEND_ONE,
                         D3D11_BLEND_ZERO,
                         D3D11_BLEND_OP_ADD,
                         0xF};
    EXPECT_EQ(RuleOf(d3dgl::CheckBlend(&d)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckBlend(nullptr)), Rule::BlendDescription);
    d.RenderTarget[0].SrcBlend = static_cast<D3D11_BLEND>(12);  // a gap in the enumeration
    EXPECT_EQ(RuleOf(d3dgl::CheckBlend(&d)), Rule::BlendDescription);
    d.RenderTarget[0].BlendEnable = FALSE;  // the factors of a disabled target are not looked at
    EXPECT_EQ(RuleOf(d3dgl::CheckBlend(&d)), kPasses);
    d.RenderTarget[0].RenderTargetWriteMask = 0x10;
    EXPECT_EQ(RuleOf(d3dgl::CheckBlend(&d)), Rule::BlendDescription);
    // Targets past the first count only with independent blending.
    d.RenderTarget[0].RenderTargetWriteMask = 0xF;
    d.RenderTarget[3].RenderTargetWriteMask = 0x10;
    EXPECT_EQ(RuleOf(d3dgl::CheckBlend(&d)), kPasses);
    d.IndependentBlendEnable = TRUE;
    EXPECT_EQ(RuleOf(d3dgl::CheckBlend(&d)), Rule::BlendDescription);
}

TEST(Checks, DepthStencilDescription)
{
    D3D11_DEPTH_STENCIL_DESC d{};
    d.DepthEnable = TRUE;
    d.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ALL;
    d.DepthFunc = D3D11_COMPARISON_LESS;
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencil(&d)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencil(nullptr)), Rule::DepthStencilDescription);
    d.DepthFunc = static_cast<D3D11_COMPARISON_FUNC>(0);
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencil(&d)), Rule::DepthStencilDescription);
    d.DepthEnable = FALSE;  // a disabled test's function is not looked at
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencil(&d)), kPasses);
    // The stencil faces count only with the stencil test on; then each is checked.
    d.StencilEnable = TRUE;
    d.FrontFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_INCR, D3D11_COMPARISON_ALWAYS};
    d.BackFace = d.FrontFace;
    EXPECT_EQ(RuleOf(d3dgl::CheckDepthStencil(&d)), kPasses);
    d.BackFace.StencilPassOp = static_cast<D3D11_STENCIL_OP>(9);
    const Verdict back = d3dgl::CheckDepthStencil(&d);
    ASSERT_EQ(RuleOf(back), Rule::DepthStencilDescription);
    EXPECT_EQ(back->detail, "BackFaceStencilPass");
}

TEST(Checks, SamplerDescription)
{
    D3D11_SAMPLER_DESC d{};
    d.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
    d.AddressU = d.AddressV = d.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
    d.MaxLOD = 1000.0f;
    EXPECT_EQ(RuleOf(d3dgl::CheckSampler(&d)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckSampler(nullptr)), Rule::SamplerDescription);
    for (auto change : {+[](D3D11_SAMPLER_DESC& s) { s.Filter = static_cast<D3D11_FILTER>(0x2); },
                        +[](D3D11_SAMPLER_DESC& s) { s.AddressW = static_cast<D3D11_TEXTURE_ADDRESS_MODE>(6); },
                        +[](D3D11_SAMPLER_DESC& s) { s.MinLOD = 2.0f, s.MaxLOD = 1.0f; },
                        +[](D3D11_SAMPLER_DESC& s) { s.Filter = D3D11_FILTER_ANISOTROPIC, s.MaxAnisotropy = 0; },
                        +[](D3D11_SAMPLER_DESC& s) { s.MaxAnisotropy = 17; },
                        +[](D3D11_SAMPLER_DESC& s) {
                            s.Filter = D3D11_FILTER_COMPARISON_MIN_MAG_MIP_LINEAR;
                            s.ComparisonFunc = static_cast<D3D11_COMPARISON_FUNC>(0);
                        }}) {
        D3D11_SAMPLER_DESC broken = d;
        change(broken);
        EXPECT_EQ(RuleOf(d3dgl::CheckSampler(&broken)), Rule::SamplerDescription);
    }
}

// ---- shaders and input layouts ----

std::vector<std::uint8_t> VertexBlob(std::vector<StageInput> inputs)
{
    StageBlob b;
    b.stage = StageKind::Vertex;
    b.glsl = "#version 450\nvoid main(){}\n";
    b.inputs = std::move(inputs);
    return WriteStageBlob(b);
}

TEST(Checks, ShaderBlob)
{
    StageBlob parsed;
    const std::vector<std::uint8_t> blob = VertexBlob({});
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Vertex, true, parsed)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size() - 1, StageKind::Vertex, true, parsed)),
              Rule::ShaderBlob);
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(nullptr, 0, StageKind::Vertex, true, parsed)), Rule::ShaderBlob);
}

TEST(Checks, ShaderStage)
{
    StageBlob parsed;
    const std::vector<std::uint8_t> blob = VertexBlob({});
    const Verdict v = d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Pixel, true, parsed);
    ASSERT_EQ(RuleOf(v), Rule::ShaderStage);
    EXPECT_EQ(v->detail, "a vertex-stage blob where a pixel stage was expected");
}

TEST(Checks, ShaderUnsupported)
{
    StageBlob b;
    b.stage = StageKind::Compute;
    b.glsl = "#version 450\nlayout(local_size_x=1) in;\nvoid main(){}\n";
    std::vector<std::uint8_t> blob = WriteStageBlob(b);
    StageBlob parsed;
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Compute, true, parsed)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Compute, false, parsed)),
              Rule::ShaderUnsupported);
    // A stage's 32 texture units, and the 8 UAV slots u0-u7.
    b.images = {{"gOutput", 8, StageImageFormat::Rgba32f}};
    blob = WriteStageBlob(b);
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Compute, true, parsed)),
              Rule::ShaderUnsupported);
    b.images[0].unit = 7;
    // Units are the stage's own, 0 to 31: what is held to the range is the unit.
    b.textures.push_back({"far", 32, StageTextureDimension::Texture2D, 0, kStageNoSampler});
    blob = WriteStageBlob(b);
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Compute, true, parsed)),
              Rule::ShaderUnsupported);
    b.textures.clear();
    for (std::uint32_t i = 0; i < 33; ++i) {
        std::string name = "t";
        name.append(std::to_string(i));
        b.textures.push_back({name, i, StageTextureDimension::Texture2D, i, kStageNoSampler});
    }
    blob = WriteStageBlob(b);
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Compute, true, parsed)),
              Rule::ShaderUnsupported);
    b.textures.pop_back();
    blob = WriteStageBlob(b);
    EXPECT_EQ(RuleOf(d3dgl::CheckShader(blob.data(), blob.size(), StageKind::Compute, true, parsed)), kPasses);
}

const std::vector<StageInput> kPositionAndIndex = {{"POSITION", 0, 0, StageComponentType::Float, 3},
                                                   {"BLENDINDICES", 0, 1, StageComponentType::UInt, 1}};

Rule LayoutRule(std::vector<D3D11_INPUT_ELEMENT_DESC> elements, const std::vector<StageInput>& inputs,
                d3dgl::CheckedLayout* layout = nullptr)
{
    const std::vector<std::uint8_t> signature = VertexBlob(inputs);
    d3dgl::CheckedLayout checked;
    const Rule rule = RuleOf(d3dgl::CheckInputLayout(elements.data(), static_cast<UINT>(elements.size()),
                                                     signature.data(), signature.size(), checked));
    if (layout != nullptr) {
        *layout = checked;
    }
    return rule;
}

D3D11_INPUT_ELEMENT_DESC Element(const char* semantic, DXGI_FORMAT format, UINT slot = 0,
                                 UINT offset = D3D11_APPEND_ALIGNED_ELEMENT,
                                 D3D11_INPUT_CLASSIFICATION kind = D3D11_INPUT_PER_VERTEX_DATA, UINT rate = 0)
{
    return {semantic, 0, format, slot, offset, kind, rate};
}

TEST(Checks, LayoutSignature)
{
    const D3D11_INPUT_ELEMENT_DESC e = Element("POSITION", DXGI_FORMAT_R32G32B32_FLOAT);
    d3dgl::CheckedLayout layout;
    const std::uint8_t garbage[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(RuleOf(d3dgl::CheckInputLayout(&e, 1, garbage, sizeof garbage, layout)), Rule::LayoutSignature);
    const std::vector<std::uint8_t> signature = WriteInputSignatureBlob({});
    EXPECT_EQ(RuleOf(d3dgl::CheckInputLayout(nullptr, 1, signature.data(), signature.size(), layout)),
              Rule::LayoutSignature);
    EXPECT_EQ(RuleOf(d3dgl::CheckInputLayout(&e, 1, signature.data(), signature.size(), layout)), kPasses);
}

TEST(Checks, LayoutElement)
{
    const std::vector<StageInput> none;
    EXPECT_EQ(LayoutRule({Element(nullptr, DXGI_FORMAT_R32_FLOAT)}, none), Rule::LayoutElement);
    EXPECT_EQ(LayoutRule({Element("A", DXGI_FORMAT_BC1_UNORM)}, none), Rule::LayoutElement);
    EXPECT_EQ(LayoutRule({Element("A", DXGI_FORMAT_R32_FLOAT, 32)}, none), Rule::LayoutElement);
    EXPECT_EQ(LayoutRule({Element("A", DXGI_FORMAT_R32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 1)}, none),
              Rule::LayoutElement);
    EXPECT_EQ(LayoutRule({Element("A", DXGI_FORMAT_R32_FLOAT, 31, 0, D3D11_INPUT_PER_INSTANCE_DATA, 1)}, none),
              kPasses);
}

TEST(Checks, LayoutStepRates)
{
    const std::vector<StageInput> none;
    EXPECT_EQ(LayoutRule({Element("A", DXGI_FORMAT_R32_FLOAT, 1, 0, D3D11_INPUT_PER_INSTANCE_DATA, 1),
                          Element("B", DXGI_FORMAT_R32_FLOAT, 1, 4, D3D11_INPUT_PER_INSTANCE_DATA, 2)},
                         none),
              Rule::LayoutStepRates);
    EXPECT_EQ(LayoutRule({Element("A", DXGI_FORMAT_R32_FLOAT, 0),
                          Element("B", DXGI_FORMAT_R32_FLOAT, 1, 0, D3D11_INPUT_PER_INSTANCE_DATA, 2)},
                         none),
              kPasses);
}

TEST(Checks, LayoutDuplicateSemantic)
{
    // Semantics compare without case, as in Direct3D.
    EXPECT_EQ(
        LayoutRule({Element("TEXCOORD", DXGI_FORMAT_R32_FLOAT), Element("texcoord", DXGI_FORMAT_R32_FLOAT, 1)}, {}),
        Rule::LayoutDuplicateSemantic);
    std::vector<D3D11_INPUT_ELEMENT_DESC> two = {Element("TEXCOORD", DXGI_FORMAT_R32_FLOAT),
                                                 Element("TEXCOORD", DXGI_FORMAT_R32_FLOAT)};
    two[1].SemanticIndex = 1;
    EXPECT_EQ(LayoutRule(two, {}), kPasses);
}

TEST(Checks, LayoutMissingInput)
{
    d3dgl::CheckedLayout layout;
    ASSERT_EQ(LayoutRule({Element("position", DXGI_FORMAT_R32G32B32_FLOAT),
                          Element("BLENDINDICES", DXGI_FORMAT_R8G8B8A8_UINT, 1)},
                         kPositionAndIndex, &layout),
              kPasses);
    ASSERT_EQ(layout.attributes.size(), 2u);
    EXPECT_EQ(layout.attributes[1].element.offset, 0u);  // the first of its slot
    EXPECT_EQ(layout.stepRates[1], 0);
    EXPECT_EQ(layout.stepRates[2], -1);
    EXPECT_EQ(LayoutRule({Element("POSITION", DXGI_FORMAT_R32G32B32_FLOAT)}, kPositionAndIndex),
              Rule::LayoutMissingInput);
}

TEST(Checks, LayoutComponentType)
{
    EXPECT_EQ(LayoutRule({Element("POSITION", DXGI_FORMAT_R32G32B32_FLOAT),
                          Element("BLENDINDICES", DXGI_FORMAT_R8G8B8A8_UNORM)},
                         kPositionAndIndex),
              Rule::LayoutComponentType);
    EXPECT_EQ(LayoutRule(
                  {Element("POSITION", DXGI_FORMAT_R32G32B32_UINT), Element("BLENDINDICES", DXGI_FORMAT_R8G8B8A8_UINT)},
                  kPositionAndIndex),
              Rule::LayoutComponentType);
}

// ---- the context's calls ----

TEST(Checks, GeometryShader)
{
    int shader = 0;
    EXPECT_EQ(RuleOf(d3dgl::CheckGeometryShader(nullptr)), kPasses);  // unbinding is fine
    EXPECT_EQ(RuleOf(d3dgl::CheckGeometryShader(&shader)), Rule::GeometryShader);
}

TEST(Checks, MapArguments)
{
    const D3D11_BUFFER_DESC dynamic = BufferDesc(64, D3D11_BIND_CONSTANT_BUFFER, D3D11_USAGE_DYNAMIC);
    const D3D11_BUFFER_DESC fixed = BufferDesc(64, D3D11_BIND_CONSTANT_BUFFER);
    int mapped = 0;
    EXPECT_EQ(RuleOf(d3dgl::CheckMap(&dynamic, 0, D3D11_MAP_WRITE_DISCARD, &mapped)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckMap(&dynamic, 0, D3D11_MAP_WRITE_NO_OVERWRITE, &mapped)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckMap(&dynamic, 0, D3D11_MAP_READ, &mapped)), Rule::MapArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckMap(&dynamic, 1, D3D11_MAP_WRITE_DISCARD, &mapped)), Rule::MapArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckMap(&dynamic, 0, D3D11_MAP_WRITE_DISCARD, nullptr)), Rule::MapArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckMap(&fixed, 0, D3D11_MAP_WRITE_DISCARD, &mapped)), Rule::MapArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckMap(nullptr, 0, D3D11_MAP_WRITE_DISCARD, &mapped)), Rule::MapArguments);
}

TEST(Checks, UpdateArguments)
{
    const D3D11_BUFFER_DESC buffer = BufferDesc(64);
    UINT first = 0, last = 0;
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferUpdate(buffer, 0, nullptr, first, last)), kPasses);
    EXPECT_EQ(last, 64u);
    const D3D11_BOX part{16, 0, 0, 64, 1, 1}, past{16, 0, 0, 65, 1, 1}, empty{16, 0, 0, 16, 1, 1};
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferUpdate(buffer, 0, &part, first, last)), kPasses);
    EXPECT_EQ(first, 16u);
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferUpdate(buffer, 0, &past, first, last)), Rule::UpdateArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferUpdate(buffer, 0, &empty, first, last)), Rule::UpdateArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferUpdate(buffer, 1, nullptr, first, last)), Rule::UpdateArguments);
    const D3D11_BUFFER_DESC dynamic = BufferDesc(64, D3D11_BIND_VERTEX_BUFFER, D3D11_USAGE_DYNAMIC);
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferUpdate(dynamic, 0, nullptr, first, last)), Rule::UpdateArguments);

    D3D11_TEXTURE2D_DESC t = TextureDesc(8, 8);
    t.MipLevels = 2;
    t.ArraySize = 2;
    d3dgl::TextureUpdate u{};
    // Subresource 3 is level 1 of slice 1: 4x4 texels.
    ASSERT_EQ(RuleOf(d3dgl::CheckTextureUpdate(&t, 3, nullptr, 16, u)), kPasses);
    EXPECT_EQ(u.level, 1u);
    EXPECT_EQ(u.slice, 1u);
    EXPECT_EQ(u.box.right, 4u);
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureUpdate(&t, 4, nullptr, 16, u)), Rule::UpdateArguments);
    const D3D11_BOX wide{0, 0, 0, 5, 4, 1};
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureUpdate(&t, 3, &wide, 20, u)), Rule::UpdateArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureUpdate(&t, 0, nullptr, 6, u)), Rule::UpdateArguments);  // not whole texels
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureUpdate(nullptr, 0, nullptr, 16, u)), Rule::UpdateArguments);
    const D3D11_TEXTURE2D_DESC compressed = TextureDesc(8, 8, DXGI_FORMAT_BC1_UNORM);
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureUpdate(&compressed, 0, nullptr, 16, u)), Rule::UpdateArguments);
}

TEST(Checks, CopyMismatch)
{
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferCopy(BufferDesc(64), BufferDesc(64, D3D11_BIND_CONSTANT_BUFFER))), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckBufferCopy(BufferDesc(64), BufferDesc(48))), Rule::CopyMismatch);
    const D3D11_TEXTURE2D_DESC a = TextureDesc(8, 8), b = TextureDesc(8, 4),
                               c = TextureDesc(8, 8, DXGI_FORMAT_R32_FLOAT);
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureCopy(&a, &a)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureCopy(&a, &b)), Rule::CopyMismatch);
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureCopy(&a, &c)), Rule::CopyMismatch);
    EXPECT_EQ(RuleOf(d3dgl::CheckTextureCopy(&a, nullptr)), Rule::CopyMismatch);
}

// ---- draws and dispatches ----

// A pipeline every draw rule passes: shaders, a viewport, triangles, a layout with its buffer, targets.
struct DrawablePipeline {
    d3dgl::ShaderFacts vertex{true, true, {}}, pixel{true, false, {}}, compute{true, false, {}};
    d3dgl::PipelineFacts facts;
    DrawablePipeline()
    {
        facts.vertex = &vertex;
        facts.pixel = &pixel;
        facts.viewport = true;
        facts.topology = D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST;
        facts.layout = true;
        facts.layoutSlots = 0b101;
        facts.vertexBuffers = 0b101;
        facts.framebuffer = true;
        facts.indexBuffer = true;
        facts.indexFormat = DXGI_FORMAT_R16_UINT;
        facts.indexBufferBytes = 12;
    }
};

TEST(Checks, DrawNoShader)
{
    DrawablePipeline p;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), kPasses);
    p.facts.pixel = nullptr;  // a draw without a pixel shader writes depth only
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), kPasses);
    p.facts.vertex = nullptr;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawNoShader);
}

TEST(Checks, DrawShaderRefused)
{
    DrawablePipeline p;
    p.pixel.linked = false;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawShaderRefused);
    p.facts.compute = &p.compute;
    p.compute.linked = false;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDispatch(p.facts)), Rule::DrawShaderRefused);
}

TEST(Checks, DrawNoViewport)
{
    DrawablePipeline p;
    p.facts.viewport = false;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawNoViewport);
}

TEST(Checks, DrawTopology)
{
    DrawablePipeline p;
    for (auto t : {D3D11_PRIMITIVE_TOPOLOGY_POINTLIST, D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP,
                   D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP}) {
        p.facts.topology = t;
        EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), kPasses) << t;
    }
    p.facts.topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawTopology);
    p.facts.topology = static_cast<D3D11_PRIMITIVE_TOPOLOGY>(33);  // patch lists: no tessellation
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawTopology);
}

TEST(Checks, DrawNoLayout)
{
    DrawablePipeline p;
    p.facts.layout = false;
    p.facts.layoutSlots = 0;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawNoLayout);
    p.vertex.readsInputs = false;  // a shader that makes its vertices from SV_VertexID needs none
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), kPasses);
}

TEST(Checks, DrawNoTargets)
{
    DrawablePipeline p;
    p.facts.framebuffer = false;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawNoTargets);
}

TEST(Checks, DrawNoVertexBuffer)
{
    DrawablePipeline p;
    p.facts.vertexBuffers = 0b001;
    const Verdict v = d3dgl::ValidateDraw(p.facts);
    ASSERT_EQ(RuleOf(v), Rule::DrawNoVertexBuffer);
    EXPECT_EQ(v->detail, "slot 2");
    p.facts.vertexBuffers = 0b111;  // a buffer in a slot the layout does not read is no matter
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), kPasses);
}

TEST(Checks, DrawSampleMaskZero)
{
    DrawablePipeline p;
    p.facts.sampleMask = 0x1;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), kPasses);
    p.facts.sampleMask = 0xFFFFFFFE;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), Rule::DrawSampleMaskZero);
}

TEST(Checks, DrawComparisonOnColour)
{
    DrawablePipeline p;
    p.pixel.compared.set(3);
    p.facts.colourViews[static_cast<size_t>(StageKind::Pixel)].set(2);
    p.facts.colourViews[static_cast<size_t>(StageKind::Vertex)].set(3);  // another stage's slot 3
    EXPECT_EQ(RuleOf(d3dgl::ValidateDraw(p.facts)), kPasses);
    p.facts.colourViews[static_cast<size_t>(StageKind::Pixel)].set(3);
    const Verdict v = d3dgl::ValidateDraw(p.facts);
    ASSERT_EQ(RuleOf(v), Rule::DrawComparisonOnColour);
    EXPECT_EQ(v->detail, "slot 3");
    p.facts.compute = &p.compute;
    p.compute.compared.set(0);
    EXPECT_EQ(RuleOf(d3dgl::ValidateDispatch(p.facts)), kPasses);
    p.facts.colourViews[static_cast<size_t>(StageKind::Compute)].set(0);
    EXPECT_EQ(RuleOf(d3dgl::ValidateDispatch(p.facts)), Rule::DrawComparisonOnColour);
}

TEST(Checks, DrawIndexBuffer)
{
    DrawablePipeline p;
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 6, 0)), kPasses);
    p.facts.indexFormat = DXGI_FORMAT_R32G32_FLOAT;
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 6, 0)), Rule::DrawIndexBuffer);
    p.facts.indexFormat = DXGI_FORMAT_R32_UINT;
    p.facts.indexBuffer = false;
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 3, 0)), Rule::DrawIndexBuffer);
}

TEST(Checks, DrawIndicesPastEnd)
{
    DrawablePipeline p;  // 12 bytes: six 16-bit indices
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 3, 3)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 3, 4)), Rule::DrawIndicesPastEnd);
    p.facts.indexOffset = 2;
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 6, 0)), Rule::DrawIndicesPastEnd);
    p.facts.indexFormat = DXGI_FORMAT_R32_UINT;
    p.facts.indexOffset = 0;
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 4, 0)), Rule::DrawIndicesPastEnd);
    // A start that would wrap 32 bits is past the end too.
    EXPECT_EQ(RuleOf(d3dgl::ValidateIndexedDraw(p.facts, 3, 0xFFFFFFFFu)), Rule::DrawIndicesPastEnd);
}

TEST(Checks, DispatchNoShader)
{
    DrawablePipeline p;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDispatch(p.facts)), Rule::DispatchNoShader);
    p.facts.compute = &p.compute;
    p.facts.viewport = false;  // a dispatch needs none of a draw's state
    p.facts.framebuffer = false;
    EXPECT_EQ(RuleOf(d3dgl::ValidateDispatch(p.facts)), kPasses);
}

// ---- swap chains ----

TEST(Checks, SwapChainArguments)
{
    DXGI_SWAP_CHAIN_DESC d{};
    d.BufferDesc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    d.SampleDesc.Count = 1;
    d.BufferCount = 2;
    EXPECT_EQ(RuleOf(d3dgl::CheckSwapChain(&d, true, true)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckSwapChain(&d, false, true)), Rule::SwapChainArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckSwapChain(&d, true, false)), Rule::SwapChainArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckSwapChain(nullptr, true, true)), Rule::SwapChainArguments);
    d.BufferCount = 3;
    EXPECT_EQ(RuleOf(d3dgl::CheckSwapChain(&d, true, true)), Rule::SwapChainArguments);
    d.BufferCount = 1;
    d.BufferDesc.Format = DXGI_FORMAT_R16G16B16A16_FLOAT;
    EXPECT_EQ(RuleOf(d3dgl::CheckSwapChain(&d, true, true)), Rule::SwapChainArguments);
}

TEST(Checks, ResizeArguments)
{
    EXPECT_EQ(RuleOf(d3dgl::CheckResize(0, DXGI_FORMAT_UNKNOWN)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckResize(1, DXGI_FORMAT_R8G8B8A8_UNORM)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckResize(2, DXGI_FORMAT_UNKNOWN)), Rule::ResizeArguments);
    EXPECT_EQ(RuleOf(d3dgl::CheckResize(0, DXGI_FORMAT_R32_FLOAT)), Rule::ResizeArguments);
}

TEST(Checks, ResizeTooLarge)
{
    EXPECT_EQ(RuleOf(d3dgl::CheckResizeSize(16384, 16384)), kPasses);
    EXPECT_EQ(RuleOf(d3dgl::CheckResizeSize(16385, 1)), Rule::ResizeTooLarge);
    EXPECT_EQ(RuleOf(d3dgl::CheckResizeSize(1, 16385)), Rule::ResizeTooLarge);
}

}  // namespace
