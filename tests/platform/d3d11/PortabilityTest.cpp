// What GL lets other drivers do differently from Mesa's, done the way every conformant driver must
// take it: depth-only formats on the depth attachment, integer textures that Load can read,
// creations that do not take an earlier call's error for their own, and constant-buffer updates
// that never rewrite what an earlier draw reads. Run on llvmpipe and on zink.
#include <epoxy/gl.h>

#include "tests/platform/d3d11/GpuTestSupport.h"

namespace gputest {
namespace {

const char* const kGreenPs = R"(#version 450
layout(location = 0) out vec4 outColor;
void main() { outColor = vec4(0.0, 1.0, 0.0, 1.0); }
)";

class PortabilityTest : public GpuTest {
protected:
    // The full-screen triangle at depth 0.5, drawn with the pixel shader.
    void DrawFullScreen(const std::vector<std::uint8_t>& pixelBlob)
    {
        context->VSSetShader(MakeVs(VertexBlob(kFullScreenVs, {})), nullptr, 0);
        context->PSSetShader(MakePs(pixelBlob), nullptr, 0);
        context->IASetInputLayout(nullptr);
        context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
        context->Draw(3, 0);
    }

    ID3D11Texture2D* MakeTexture(DXGI_FORMAT format, UINT size, UINT mipLevels, UINT bind,
                                 const D3D11_SUBRESOURCE_DATA* data = nullptr)
    {
        D3D11_TEXTURE2D_DESC d{};
        d.Width = d.Height = size;
        d.MipLevels = mipLevels;
        d.ArraySize = 1;
        d.Format = format;
        d.SampleDesc = {1, 0};
        d.BindFlags = bind;
        ID3D11Texture2D* texture = nullptr;
        EXPECT_EQ(device->CreateTexture2D(&d, data, &texture), S_OK) << format;
        return Keep(texture);
    }
};

TEST_F(PortabilityTest, EveryDepthFormatMakesACompleteFramebufferAndTestsDepth)
{
    for (const DXGI_FORMAT format : {DXGI_FORMAT_D16_UNORM, DXGI_FORMAT_D24_UNORM_S8_UINT, DXGI_FORMAT_D32_FLOAT,
                                     DXGI_FORMAT_D32_FLOAT_S8X24_UINT}) {
        const std::uint64_t incomplete = D3D11RuleCount(D3D11Rule::TargetsIncomplete);
        Target t = MakeTarget(8, 8);
        ID3D11DepthStencilView* dsv = nullptr;
        ASSERT_EQ(device->CreateDepthStencilView(MakeTexture(format, 8, 1, D3D11_BIND_DEPTH_STENCIL), nullptr, &dsv),
                  S_OK);
        Keep(dsv);
        context->OMSetRenderTargets(1, &t.rtv, dsv);
        SetViewport(8, 8);
        const float black[4] = {0, 0, 0, 1};
        // In front of the triangle (0.5) the default depth test (less) hides it; behind, it shows.
        context->ClearRenderTargetView(t.rtv, black);
        context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 0.25f, 0);
        DrawFullScreen(PixelBlob(kGreenPs));
        EXPECT_TRUE(Near(Pixel(Capture(t.texture, Suffix("front", format)), 8, 4, 4), {0, 0, 0, 255})) << format;
        context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH, 0.75f, 0);
        DrawFullScreen(PixelBlob(kGreenPs));
        EXPECT_TRUE(Near(Pixel(Capture(t.texture, Suffix("behind", format)), 8, 4, 4), {0, 255, 0, 255})) << format;
        EXPECT_EQ(D3D11RuleCount(D3D11Rule::TargetsIncomplete), incomplete) << format;
        context->OMSetRenderTargets(0, nullptr, nullptr);
    }
}

TEST_F(PortabilityTest, IntegerTexturesReadWithLoadGiveTheirValuesAtEveryLevel)
{
    // Green where the fetched texel holds what was uploaded, red elsewhere.
    struct Case {
        DXGI_FORMAT format;
        const char* sampler;
        const char* test;
    };
    const std::uint32_t level0[16] = {1234, 1234, 1234, 1234, 1234, 1234, 1234, 1234,
                                      1234, 1234, 1234, 1234, 1234, 1234, 1234, 1234};
    const std::uint32_t level1[4] = {0xFFFFFB2Eu, 0xFFFFFB2Eu, 0xFFFFFB2Eu, 0xFFFFFB2Eu};  // -1234 as an int
    for (const Case& c : {Case{DXGI_FORMAT_R32_UINT, "usampler2D", "texelFetch(t, ivec2(1, 1), 0).r == 1234u"},
                          Case{DXGI_FORMAT_R32_SINT, "isampler2D", "texelFetch(t, ivec2(1, 0), 1).r == -1234"},
                          Case{DXGI_FORMAT_R8G8B8A8_UINT, "usampler2D", "texelFetch(t, ivec2(0, 1), 0).g == 0x04u"}}) {
        const D3D11_SUBRESOURCE_DATA data[2] = {{level0, 4 * 4, 0}, {level1, 2 * 4, 0}};
        ID3D11Texture2D* texture = MakeTexture(c.format, 4, 2, D3D11_BIND_SHADER_RESOURCE, data);
        ID3D11ShaderResourceView* srv = nullptr;
        ASSERT_EQ(device->CreateShaderResourceView(texture, nullptr, &srv), S_OK);
        Keep(srv);
        const std::string ps = std::string("#version 450\nuniform ") + c.sampler +
                               " t;\nlayout(location = 0) out vec4 outColor;\nvoid main() { outColor = (" + c.test +
                               ") ? vec4(0, 1, 0, 1) : vec4(1, 0, 0, 1); }\n";
        StageTexture loadOnly;
        loadOnly.name = "t";
        Target t = MakeTarget(4, 4);
        context->OMSetRenderTargets(1, &t.rtv, nullptr);
        SetViewport(4, 4);
        context->PSSetShaderResources(0, 1, &srv);
        DrawFullScreen(PixelBlob(ps, {}, {loadOnly}));
        EXPECT_TRUE(Near(Pixel(Capture(t.texture, Suffix("format", c.format)), 4, 2, 2), {0, 255, 0, 255}))
            << c.format << ": " << c.test;
        ID3D11ShaderResourceView* none = nullptr;
        context->PSSetShaderResources(0, 1, &none);
    }
}

TEST_F(PortabilityTest, AnErrorLeftByAnEarlierCallDoesNotFailTheNextCreation)
{
    // An error nobody read, made with the debug output off so that it is not reported as a fault.
    const auto leaveAnError = [] {
        glDisable(GL_DEBUG_OUTPUT);
        glEnable(0xFFFFu);
        glEnable(GL_DEBUG_OUTPUT);
    };
    leaveAnError();
    const float data[4] = {1, 2, 3, 4};
    EXPECT_NE(MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, data, sizeof data, D3D11_USAGE_DEFAULT), nullptr);
    leaveAnError();
    EXPECT_NE(MakeTexture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 1, D3D11_BIND_SHADER_RESOURCE), nullptr);
    leaveAnError();
    D3D11_TEXTURE3D_DESC d{4, 4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE,
                           0, 0};
    ID3D11Texture3D* volume = nullptr;
    EXPECT_EQ(device->CreateTexture3D(&d, nullptr, &volume), S_OK);
    Keep(volume);
}

const char* const kConstantColorPs = R"(#version 450
layout(std140) uniform cb { vec4 color; };
layout(location = 0) out vec4 outColor;
void main() { outColor = color; }
)";

TEST_F(PortabilityTest, EveryDrawSeesTheConstantsOfItsOwnTimeThroughTheWholeUploadRing)
{
    Target t = MakeTarget(8, 1);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    const float zero[4] = {0, 0, 0, 0};
    ID3D11Buffer* cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, zero, sizeof zero, D3D11_USAGE_DEFAULT);
    context->PSSetConstantBuffers(0, 1, &cb);
    const auto ps = PixelBlob(kConstantColorPs, {{"cb", 0, 16}});
    // One update and one draw per pixel: each pixel keeps the colour of the update just before it.
    const auto drawPixel = [&](UINT x, float red) {
        const float color[4] = {red, 0.5f, 0.0f, 1.0f};
        context->UpdateSubresource(cb, 0, nullptr, color, 0, 0);
        const D3D11_VIEWPORT viewport{float(x), 0, 1, 1, 0, 1};
        context->RSSetViewports(1, &viewport);
        DrawFullScreen(ps);
    };
    for (UINT x = 0; x < 8; ++x) {
        drawPixel(x, x / 8.0f);
    }
    auto px = Capture(t.texture);
    for (UINT x = 0; x < 8; ++x) {
        EXPECT_TRUE(Near(Pixel(px, 8, x, 0), {std::uint8_t(x * 32), 128, 0, 255})) << "pixel " << x;
    }
    // More updates than the ring holds ranges (four segments of 256 KiB at 256 bytes each at most):
    // it wraps, waiting for the fences of segments draws may still read, and keeps every draw's own.
    for (int i = 0; i < 5000; ++i) {
        drawPixel(static_cast<UINT>(i % 8), (i % 8) / 16.0f);
    }
    px = Capture(t.texture, "-wrapped");
    for (UINT x = 0; x < 8; ++x) {
        EXPECT_TRUE(Near(Pixel(px, 8, x, 0), {std::uint8_t(x * 16), 128, 0, 255})) << "pixel " << x;
    }

    // A copy into the buffer, then an update of part of it: the rest is what the copy brought.
    const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    ID3D11Buffer* source = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, blue, sizeof blue, D3D11_USAGE_DEFAULT);
    context->CopyResource(cb, source);
    const float red = 1.0f;
    const D3D11_BOX first{0, 0, 0, 4, 1, 1};
    context->UpdateSubresource(cb, 0, &first, &red, 0, 0);
    const D3D11_VIEWPORT viewport{0, 0, 8, 1, 0, 1};
    context->RSSetViewports(1, &viewport);
    DrawFullScreen(ps);
    EXPECT_TRUE(Near(Pixel(Capture(t.texture, "-copied"), 8, 3, 0), {255, 0, 255, 255}));
}

}  // namespace
}  // namespace gputest
