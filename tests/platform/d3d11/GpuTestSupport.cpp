#include "tests/platform/d3d11/GpuTestSupport.h"

#include <stb_image_write.h>

#include <cstdlib>

#include "tests/platform/d3d11/TextureDescs.h"

namespace gputest {

const char* const kFullScreenVs = R"(#version 450
layout(location = 0) out vec2 vUv;
out gl_PerVertex { vec4 gl_Position; };
void main() {
  vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? -3.0 : 1.0);
  gl_Position = vec4(p, 0.5, 1.0);
  vUv = vec2(p.x * 0.5 + 0.5, 0.5 - p.y * 0.5);
}
)";

void WritePng(const std::string& folder, const std::string& name, UINT width, UINT height,
              const std::vector<std::uint8_t>& rgba)
{
    const std::filesystem::path dir = std::filesystem::path("output") / folder;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = (dir / (name + ".png")).string();
    stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 4, rgba.data(),
                   static_cast<int>(width * 4));
}

std::vector<std::uint8_t> VertexBlob(const std::string& glsl, std::vector<StageInput> inputs,
                                     std::vector<StageConstantBuffer> cbs, std::vector<StageTexture> textures)
{
    StageBlob b;
    b.stage = StageKind::Vertex;
    b.glsl = glsl;
    b.inputs = std::move(inputs);
    b.constantBuffers = std::move(cbs);
    b.textures = std::move(textures);
    return WriteStageBlob(b);
}

std::vector<std::uint8_t> PixelBlob(const std::string& glsl, std::vector<StageConstantBuffer> cbs,
                                    std::vector<StageTexture> textures)
{
    StageBlob b;
    b.stage = StageKind::Pixel;
    b.glsl = glsl;
    b.constantBuffers = std::move(cbs);
    b.textures = std::move(textures);
    return WriteStageBlob(b);
}

std::vector<std::uint8_t> ComputeBlob(const std::string& glsl, std::vector<StageImage> images,
                                      std::vector<StageTexture> textures)
{
    StageBlob b;
    b.stage = StageKind::Compute;
    b.glsl = glsl;
    b.images = std::move(images);
    b.textures = std::move(textures);
    return WriteStageBlob(b);
}

void GpuTest::SetUp()
{
    ASSERT_EQ(D3D11LiveObjectCount(), 0) << "a previous test leaked device objects";
    const HRESULT hr = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                         &device, &level, &context);
    ASSERT_EQ(hr, S_OK);
    ASSERT_EQ(level, D3D_FEATURE_LEVEL_11_0);
}

void GpuTest::TearDown()
{
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it)
        (*it)->Release();
    kept_.clear();
    if (context != nullptr) {
        context->ClearState();
        context->Release();
    }
    if (device != nullptr)
        device->Release();
    EXPECT_EQ(D3D11LiveObjectCount(), 0) << "device objects still alive at the end of the test";
}

ID3D11Texture2D* GpuTest::MakeTexture2D(UINT width, UINT height, DXGI_FORMAT format, UINT bind, const void* data,
                                        UINT pitch)
{
    const D3D11_TEXTURE2D_DESC d = PlainTexture2DDesc(width, height, format, bind);
    const D3D11_SUBRESOURCE_DATA init{data, pitch, 0};
    ID3D11Texture2D* texture = nullptr;
    EXPECT_EQ(device->CreateTexture2D(&d, data != nullptr ? &init : nullptr, &texture), S_OK) << format;
    return Keep(texture);
}

GpuTest::Target GpuTest::MakeTarget(UINT width, UINT height, DXGI_FORMAT format, UINT extraBind)
{
    Target t;
    t.texture = MakeTexture2D(width, height, format, D3D11_BIND_RENDER_TARGET | extraBind);
    EXPECT_EQ(device->CreateRenderTargetView(t.texture, nullptr, &t.rtv), S_OK);
    Keep(t.rtv);
    return t;
}

ID3D11DepthStencilView* GpuTest::MakeDepth(UINT width, UINT height)
{
    D3D11_TEXTURE2D_DESC d{};
    d.Width = width;
    d.Height = height;
    d.MipLevels = 1;
    d.ArraySize = 1;
    d.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
    d.SampleDesc = {1, 0};
    d.Usage = D3D11_USAGE_DEFAULT;
    d.BindFlags = D3D11_BIND_DEPTH_STENCIL;
    ID3D11Texture2D* texture = nullptr;
    EXPECT_EQ(device->CreateTexture2D(&d, nullptr, &texture), S_OK);
    ID3D11DepthStencilView* view = nullptr;
    EXPECT_EQ(device->CreateDepthStencilView(texture, nullptr, &view), S_OK);
    texture->Release();  // the view keeps it alive
    return Keep(view);
}

ID3D11Buffer* GpuTest::MakeBuffer(UINT bind, const void* data, UINT size, D3D11_USAGE usage)
{
    D3D11_BUFFER_DESC d{size, usage, bind, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA init{data, 0, 0};
    ID3D11Buffer* buffer = nullptr;
    EXPECT_EQ(device->CreateBuffer(&d, data ? &init : nullptr, &buffer), S_OK);
    return Keep(buffer);
}

ID3D11VertexShader* GpuTest::MakeVs(const std::vector<std::uint8_t>& blob)
{
    ID3D11VertexShader* vs = nullptr;
    EXPECT_EQ(device->CreateVertexShader(blob.data(), blob.size(), nullptr, &vs), S_OK);
    return Keep(vs);
}

ID3D11PixelShader* GpuTest::MakePs(const std::vector<std::uint8_t>& blob)
{
    ID3D11PixelShader* ps = nullptr;
    EXPECT_EQ(device->CreatePixelShader(blob.data(), blob.size(), nullptr, &ps), S_OK);
    return Keep(ps);
}

void GpuTest::SetViewport(UINT width, UINT height)
{
    const D3D11_VIEWPORT vp{0, 0, static_cast<float>(width), static_cast<float>(height), 0, 1};
    context->RSSetViewports(1, &vp);
}

std::vector<std::uint8_t> GpuTest::Capture(ID3D11Texture2D* texture, const std::string& suffix)
{
    std::vector<std::uint8_t> pixels;
    EXPECT_TRUE(D3D11ReadTexture(texture, 0, 0, pixels));
    D3D11_TEXTURE2D_DESC d{};
    texture->GetDesc(&d);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    WritePng("d3d11", std::string(info->test_suite_name()) + "." + info->name() + suffix, d.Width, d.Height, pixels);
    return pixels;
}

Rgba GpuTest::Pixel(const std::vector<std::uint8_t>& rgba, UINT width, UINT x, UINT y)
{
    const std::size_t i = (std::size_t(y) * width + x) * 4;
    if (i + 3 >= rgba.size())
        return {0, 0, 0, 0};
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

::testing::AssertionResult Near(Rgba a, Rgba e, int tolerance)
{
    if (std::abs(a.r - e.r) <= tolerance && std::abs(a.g - e.g) <= tolerance && std::abs(a.b - e.b) <= tolerance &&
        std::abs(a.a - e.a) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << int(a.r) << "," << int(a.g) << "," << int(a.b) << "," << int(a.a)
                                         << ") expected (" << int(e.r) << "," << int(e.g) << "," << int(e.b) << ","
                                         << int(e.a) << ")";
}

}  // namespace gputest
