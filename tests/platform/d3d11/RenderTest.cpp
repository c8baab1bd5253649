// Pixel tests of the graphics layer: what Direct3D code draws must land where Direct3D puts it.
#include <chrono>
#include <cstring>
#include <string>

#include "app/FrameWatchdog.h"

#include "tests/platform/d3d11/GpuTestSupport.h"

namespace gputest {
namespace {

const char* const kColorVs = R"(#version 450
layout(location = 0) in vec3 inPos;
layout(location = 1) in vec4 inColor;
layout(location = 0) out vec4 vColor;
out gl_PerVertex { vec4 gl_Position; };
void main() { gl_Position = vec4(inPos, 1.0); vColor = inColor; }
)";

const char* const kColorPs = R"(#version 450
layout(location = 0) in vec4 vColor;
layout(location = 0) out vec4 outColor;
void main() { outColor = vColor; }
)";

const std::vector<StageInput> kColorInputs = {{"POSITION", 0, 0, StageComponentType::Float, 3},
                                              {"COLOR", 0, 1, StageComponentType::Float, 4}};

const D3D11_INPUT_ELEMENT_DESC kColorLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
    {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0},
};

struct ColorVertex {
    float x, y, z, r, g, b, a;
};

class RenderTest : public GpuTest {
protected:
    // Vertex shader, pixel shader and layout for position + colour vertices.
    void UseColorPipeline()
    {
        const auto vsBlob = VertexBlob(kColorVs, kColorInputs);
        context->VSSetShader(MakeVs(vsBlob), nullptr, 0);
        context->PSSetShader(MakePs(PixelBlob(kColorPs)), nullptr, 0);
        ID3D11InputLayout* layout = nullptr;
        ASSERT_EQ(device->CreateInputLayout(kColorLayout, 2, vsBlob.data(), vsBlob.size(), &layout), S_OK);
        context->IASetInputLayout(Keep(layout));
        context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    }
    // A size x size colour target with a depth view, bound with the colour pipeline and a viewport.
    Target BindColorAndDepth(UINT size, ID3D11DepthStencilView** dsv)
    {
        const Target t = MakeTarget(size, size);
        *dsv = MakeDepth(size, size);
        UseColorPipeline();
        context->OMSetRenderTargets(1, &t.rtv, *dsv);
        SetViewport(size, size);
        return t;
    }
    void DrawTriangles(const std::vector<ColorVertex>& vertices)
    {
        ID3D11Buffer* vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, vertices.data(),
                                      UINT(vertices.size() * sizeof(ColorVertex)));
        const UINT stride = sizeof(ColorVertex), offset = 0;
        context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
        context->Draw(UINT(vertices.size()), 0);
    }
    static std::vector<ColorVertex> Quad(float x0, float y0, float x1, float y1, float z, std::array<float, 4> c)
    {
        // Clockwise on screen (y up in clip space): top-left, top-right, bottom-right; top-left, bottom-right, bottom-left.
        return {{x0, y1, z, c[0], c[1], c[2], c[3]}, {x1, y1, z, c[0], c[1], c[2], c[3]},
                {x1, y0, z, c[0], c[1], c[2], c[3]}, {x0, y1, z, c[0], c[1], c[2], c[3]},
                {x1, y0, z, c[0], c[1], c[2], c[3]}, {x0, y0, z, c[0], c[1], c[2], c[3]}};
    }
};

TEST_F(RenderTest, ClearsColourAndIgnoresWriteMasksWhileClearing)
{
    Target t = MakeTarget(16, 8);
    const float c[4] = {1.0f, 0.5f, 0.0f, 1.0f};
    context->ClearRenderTargetView(t.rtv, c);
    const auto px = Capture(t.texture);
    EXPECT_TRUE(Near(Pixel(px, 16, 0, 0), {255, 128, 0, 255}));
    EXPECT_TRUE(Near(Pixel(px, 16, 15, 7), {255, 128, 0, 255}));
}

TEST_F(RenderTest, ClockwiseTriangleSurvivesBackCullingAndCounterClockwiseDoesNot)
{
    Target t = MakeTarget(32, 32);
    UseColorPipeline();
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(32, 32);
    const float black[4] = {0, 0, 0, 1};
    // Left half: clockwise on screen (bottom-left, top, bottom-right). Right half: the same reversed.
    const std::vector<ColorVertex> cw = {
        {-0.9f, -0.5f, 0.5f, 1, 0, 0, 1}, {-0.5f, 0.5f, 0.5f, 1, 0, 0, 1}, {-0.1f, -0.5f, 0.5f, 1, 0, 0, 1}};
    const std::vector<ColorVertex> ccw = {
        {0.9f, -0.5f, 0.5f, 0, 1, 0, 1}, {0.5f, 0.5f, 0.5f, 0, 1, 0, 1}, {0.1f, -0.5f, 0.5f, 0, 1, 0, 1}};
    std::vector<ColorVertex> ccwReal = {ccw[0], ccw[1], ccw[2]};

    struct Case {
        const char* name;
        bool useState;
        D3D11_CULL_MODE cull;
        BOOL frontCcw;
        bool leftDrawn, rightDrawn;
    };
    // Left triangle is clockwise; the right one (ccw[0], ccw[1], ccw[2]: bottom-right, top, bottom-left) is counter-clockwise.
    const Case cases[] = {
        {"default", false, D3D11_CULL_BACK, FALSE, true, false},
        {"backcull", true, D3D11_CULL_BACK, FALSE, true, false},
        {"frontcull", true, D3D11_CULL_FRONT, FALSE, false, true},
        {"nocull", true, D3D11_CULL_NONE, FALSE, true, true},
        {"ccwfront", true, D3D11_CULL_BACK, TRUE, false, true},
    };
    for (const Case& c : cases) {
        context->ClearRenderTargetView(t.rtv, black);
        ID3D11RasterizerState* rs = nullptr;
        if (c.useState) {
            D3D11_RASTERIZER_DESC d{D3D11_FILL_SOLID, c.cull, c.frontCcw, 0, 0, 0, TRUE, FALSE, FALSE, FALSE};
            ASSERT_EQ(device->CreateRasterizerState(&d, &rs), S_OK);
        }
        context->RSSetState(rs);
        std::vector<ColorVertex> v = cw;
        v.insert(v.end(), ccwReal.begin(), ccwReal.end());
        DrawTriangles(v);
        const auto px = Capture(t.texture, Suffix(c.name));
        EXPECT_EQ(Pixel(px, 32, 8, 18).r == 255, c.leftDrawn) << c.name;
        EXPECT_EQ(Pixel(px, 32, 24, 18).g == 255, c.rightDrawn) << c.name;
        context->RSSetState(nullptr);
        if (rs)
            rs->Release();
    }
}

TEST_F(RenderTest, TopOfClipSpaceIsRowZeroAndDepthTestKeepsTheNearest)
{
    ID3D11DepthStencilView* dsv = nullptr;
    const Target t = BindColorAndDepth(32, &dsv);
    const float black[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(t.rtv, black);
    context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
    // Top half red at depth 0.5; then a full green quad behind it (0.7) and a blue one in front on the left (0.3).
    std::vector<ColorVertex> v = Quad(-1, 0, 1, 1, 0.5f, {1, 0, 0, 1});
    auto green = Quad(-1, -1, 1, 1, 0.7f, {0, 1, 0, 1});
    auto blue = Quad(-1, -1, 0, 1, 0.3f, {0, 0, 1, 1});
    v.insert(v.end(), green.begin(), green.end());
    v.insert(v.end(), blue.begin(), blue.end());
    DrawTriangles(v);
    auto px = Capture(t.texture);
    EXPECT_TRUE(Near(Pixel(px, 32, 24, 4), {255, 0, 0, 255}));   // top right: red wins over the farther green
    EXPECT_TRUE(Near(Pixel(px, 32, 24, 28), {0, 255, 0, 255}));  // bottom right: only green
    EXPECT_TRUE(Near(Pixel(px, 32, 4, 4), {0, 0, 255, 255}));    // left: blue is nearest
    // A depth clear to 0.6 lets the 0.5 quad through again but not the 0.7 one.
    context->ClearRenderTargetView(t.rtv, black);
    context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH, 0.6f, 0);
    DrawTriangles(Quad(-1, -1, 1, 1, 0.7f, {0, 1, 0, 1}));
    DrawTriangles(Quad(-1, -1, 1, 1, 0.5f, {1, 0, 0, 1}));
    px = Capture(t.texture, "-cleared");
    EXPECT_TRUE(Near(Pixel(px, 32, 16, 16), {255, 0, 0, 255}));
}

// With no pixel shader Direct3D writes depth and no colour, whatever the blend state says; the
// blend state comes back with the pixel shader.
TEST_F(RenderTest, WithoutAPixelShaderDepthIsWrittenAndColourIsNot)
{
    ID3D11DepthStencilView* dsv = nullptr;
    const Target t = BindColorAndDepth(16, &dsv);
    const float red[4] = {1, 0, 0, 1};
    context->ClearRenderTargetView(t.rtv, red);
    context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH, 1.0f, 0);
    ID3D11PixelShader* ps = MakePs(PixelBlob(kColorPs));
    context->PSSetShader(nullptr, nullptr, 0);
    DrawTriangles(Quad(-1, -1, 1, 1, 0.5f, {1, 1, 1, 1}));
    auto px = Capture(t.texture, "-depth-only");
    EXPECT_TRUE(Near(Pixel(px, 16, 8, 8), {255, 0, 0, 255})) << "no colour written";

    context->PSSetShader(ps, nullptr, 0);
    DrawTriangles(Quad(-1, -1, 1, 1, 0.7f, {0, 1, 0, 1}));  // behind the depth written above
    DrawTriangles(Quad(-1, -1, 0, 1, 0.3f, {0, 0, 1, 1}));  // in front, left half
    px = Capture(t.texture, "-shaded");
    EXPECT_TRUE(Near(Pixel(px, 16, 12, 8), {255, 0, 0, 255})) << "the depth-only draw wrote depth";
    EXPECT_TRUE(Near(Pixel(px, 16, 4, 8), {0, 0, 255, 255})) << "colour writes are back";
}

// The stencil reference belongs to the binding: a state bound with one reference, then the next
// state object with another, must both reach GL, whatever the two ids and references are (a key
// made of id * 256 + reference once took object n with reference 256 for object n + 1 with 0).
TEST_F(RenderTest, EachDepthStencilBindingReachesGlWhateverItsStencilReference)
{
    ID3D11DepthStencilView* dsv = nullptr;
    const Target t = BindColorAndDepth(8, &dsv);
    D3D11_DEPTH_STENCIL_DESC d{};
    d.DepthEnable = TRUE;
    d.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ALL;
    d.DepthFunc = D3D11_COMPARISON_LESS;
    d.FrontFace = d.BackFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                D3D11_COMPARISON_ALWAYS};
    ID3D11DepthStencilState* depthTested = nullptr;
    ASSERT_EQ(device->CreateDepthStencilState(&d, &depthTested), S_OK);
    Keep(depthTested);
    d.DepthEnable = FALSE;  // made right after: the next object
    ID3D11DepthStencilState* depthOff = nullptr;
    ASSERT_EQ(device->CreateDepthStencilState(&d, &depthOff), S_OK);
    Keep(depthOff);
    const float black[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(t.rtv, black);
    context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH, 0.25f, 0);
    context->OMSetDepthStencilState(depthTested, 256);
    DrawTriangles(Quad(-1, -1, 1, 1, 0.5f, {1, 0, 0, 1}));  // behind the cleared depth: hidden
    EXPECT_TRUE(Near(Pixel(Capture(t.texture, "-tested"), 8, 4, 4), {0, 0, 0, 255}));
    context->OMSetDepthStencilState(depthOff, 0);
    DrawTriangles(Quad(-1, -1, 1, 1, 0.5f, {0, 1, 0, 1}));  // no depth test: drawn
    EXPECT_TRUE(Near(Pixel(Capture(t.texture, "-off"), 8, 4, 4), {0, 255, 0, 255}));
}

TEST_F(RenderTest, SixteenBitIndicesWithStartIndexAndBaseVertex)
{
    Target t = MakeTarget(32, 32);
    UseColorPipeline();
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(32, 32);
    const float black[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(t.rtv, black);
    // Two junk vertices first, then the quad; indices start with two junk entries too.
    std::vector<ColorVertex> v = {{0, 0, 0, 1, 1, 1, 1}, {0, 0, 0, 1, 1, 1, 1}};
    const float c[] = {0, 0, 1, 1};
    v.push_back({-1, 1, 0.5f, c[0], c[1], c[2], c[3]});
    v.push_back({0, 1, 0.5f, c[0], c[1], c[2], c[3]});
    v.push_back({0, 0, 0.5f, c[0], c[1], c[2], c[3]});
    v.push_back({-1, 0, 0.5f, c[0], c[1], c[2], c[3]});
    const std::uint16_t indices[] = {7, 7, 0, 1, 2, 0, 2, 3};
    ID3D11Buffer* vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, v.data(), UINT(v.size() * sizeof(ColorVertex)));
    ID3D11Buffer* ib = MakeBuffer(D3D11_BIND_INDEX_BUFFER, indices, sizeof indices);
    const UINT stride = sizeof(ColorVertex), offset = 0;
    context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    context->IASetIndexBuffer(ib, DXGI_FORMAT_R16_UINT, 0);
    context->DrawIndexed(6, 2, 2);
    // A draw reaching past the end of the index buffer is dropped instead of reading outside it.
    context->DrawIndexed(8, 2, 2);
    const auto px = Capture(t.texture);
    EXPECT_TRUE(Near(Pixel(px, 32, 8, 8), {0, 0, 255, 255}));  // top-left quadrant drawn
    EXPECT_TRUE(Near(Pixel(px, 32, 24, 24), {0, 0, 0, 255}));  // elsewhere untouched
}

TEST_F(RenderTest, DynamicBuffersAreRewrittenThroughMapDiscard)
{
    Target t = MakeTarget(16, 16);
    UseColorPipeline();
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(16, 16);
    D3D11_BUFFER_DESC bd{
        6 * sizeof(ColorVertex), D3D11_USAGE_DYNAMIC, D3D11_BIND_VERTEX_BUFFER, D3D11_CPU_ACCESS_WRITE, 0, 0};
    ID3D11Buffer* vb = nullptr;
    ASSERT_EQ(device->CreateBuffer(&bd, nullptr, &vb), S_OK);
    Keep(vb);
    const UINT stride = sizeof(ColorVertex), offset = 0;
    context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    for (const auto& color : {std::array<float, 4>{1, 0, 0, 1}, std::array<float, 4>{0, 0, 1, 1}}) {
        D3D11_MAPPED_SUBRESOURCE mapped{};
        ASSERT_EQ(context->Map(vb, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped), S_OK);
        const auto quad = Quad(-1, -1, 1, 1, 0.5f, color);
        std::memcpy(mapped.pData, quad.data(), bd.ByteWidth);
        context->Unmap(vb, 0);
        context->Draw(6, 0);
        const auto px = Capture(t.texture, Suffix(color[0] > 0 ? "red" : "blue"));
        EXPECT_TRUE(Near(Pixel(px, 16, 8, 8), {std::uint8_t(color[0] * 255), 0, std::uint8_t(color[2] * 255), 255}));
    }
    // Only dynamic buffers can be mapped, and only for writing.
    const float data[4] = {};
    ID3D11Buffer* immutable = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, data, sizeof data);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    EXPECT_EQ(context->Map(immutable, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped), E_INVALIDARG);
    EXPECT_EQ(mapped.pData, nullptr);
    EXPECT_EQ(context->Map(vb, 0, D3D11_MAP_READ, 0, &mapped), E_INVALIDARG);
}

const char* const kInstancedVs = R"(#version 450
layout(location = 0) in vec3 inPos;
layout(location = 2) in vec4 inWorld0;
layout(location = 3) in vec4 inWorld1;
layout(location = 4) in vec4 inWorld2;
layout(location = 5) in vec4 inWorld3;
layout(location = 6) in vec4 inColor;
layout(location = 0) out vec4 vColor;
out gl_PerVertex { vec4 gl_Position; };
void main() {
  // Row-vector convention: p * W.
  gl_Position = inPos.x * inWorld0 + inPos.y * inWorld1 + inPos.z * inWorld2 + inWorld3;
  vColor = vec4(inColor.rg, float(gl_InstanceID) * 0.25, 1.0);
}
)";

TEST_F(RenderTest, InstancedDrawPlacesCopiesByPerInstanceMatrixAndInstanceIdExcludesBase)
{
    Target t = MakeTarget(64, 64);
    const auto vsBlob = VertexBlob(kInstancedVs, {{"POSITION", 0, 0, StageComponentType::Float, 3},
                                                  {"WORLD", 0, 2, StageComponentType::Float, 4},
                                                  {"WORLD", 1, 3, StageComponentType::Float, 4},
                                                  {"WORLD", 2, 4, StageComponentType::Float, 4},
                                                  {"WORLD", 3, 5, StageComponentType::Float, 4},
                                                  {"COLOR", 0, 6, StageComponentType::Float, 4}});
    const D3D11_INPUT_ELEMENT_DESC layoutDesc[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"WORLD", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 1, 0, D3D11_INPUT_PER_INSTANCE_DATA, 1},
        {"WORLD", 1, DXGI_FORMAT_R32G32B32A32_FLOAT, 1, 16, D3D11_INPUT_PER_INSTANCE_DATA, 1},
        {"WORLD", 2, DXGI_FORMAT_R32G32B32A32_FLOAT, 1, 32, D3D11_INPUT_PER_INSTANCE_DATA, 1},
        {"WORLD", 3, DXGI_FORMAT_R32G32B32A32_FLOAT, 1, 48, D3D11_INPUT_PER_INSTANCE_DATA, 1},
        {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 1, 64, D3D11_INPUT_PER_INSTANCE_DATA, 1},
    };
    ID3D11InputLayout* layout = nullptr;
    ASSERT_EQ(device->CreateInputLayout(layoutDesc, 6, vsBlob.data(), vsBlob.size(), &layout), S_OK);
    Keep(layout);
    struct Instance {
        float world[16];
        float color[4];
    };
    static_assert(sizeof(Instance) == 80);
    auto at = [](float x, float y, float r, float g) {
        return Instance{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, 0, 1}, {r, g, 0, 1}};
    };
    // Record 0 (top-left) is skipped by the first-instance offset of 1.
    const Instance instances[] = {at(-0.5f, 0.5f, 1, 1), at(0.5f, 0.5f, 1, 0), at(-0.5f, -0.5f, 0, 1),
                                  at(0.5f, -0.5f, 1, 1)};
    const float quad[] = {-0.2f, 0.2f, 0.5f, 0.2f, 0.2f, 0.5f, 0.2f, -0.2f, 0.5f, -0.2f, -0.2f, 0.5f};
    const std::uint32_t indices[] = {0, 1, 2, 0, 2, 3};
    ID3D11Buffer* buffers[2] = {MakeBuffer(D3D11_BIND_VERTEX_BUFFER, quad, sizeof quad),
                                MakeBuffer(D3D11_BIND_VERTEX_BUFFER, instances, sizeof instances)};
    const UINT strides[2] = {12, 80}, offsets[2] = {0, 0};
    context->IASetInputLayout(layout);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->IASetVertexBuffers(0, 2, buffers, strides, offsets);
    context->IASetIndexBuffer(MakeBuffer(D3D11_BIND_INDEX_BUFFER, indices, sizeof indices), DXGI_FORMAT_R32_UINT, 0);
    context->VSSetShader(MakeVs(vsBlob), nullptr, 0);
    context->PSSetShader(MakePs(PixelBlob(kColorPs)), nullptr, 0);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(64, 64);
    const float black[4] = {0, 0, 0, 0};
    context->ClearRenderTargetView(t.rtv, black);
    context->DrawIndexedInstanced(6, 3, 0, 0, 1);
    const auto px = Capture(t.texture);
    EXPECT_TRUE(Near(Pixel(px, 64, 16, 16), {0, 0, 0, 0}));       // record 0 not drawn
    EXPECT_TRUE(Near(Pixel(px, 64, 48, 16), {255, 0, 0, 255}));   // record 1, instance id 0
    EXPECT_TRUE(Near(Pixel(px, 64, 16, 48), {0, 255, 64, 255}));  // record 2, instance id 1
    EXPECT_TRUE(Near(Pixel(px, 64, 48, 48), {255, 255, 128, 255}));
    EXPECT_TRUE(Near(Pixel(px, 64, 32, 32), {0, 0, 0, 0}));  // between the copies
}

TEST_F(RenderTest, IndependentBlendWritesTwoTargetsUnblendedAndLeavesTheThirdAlone)
{
    Target targets[3] = {MakeTarget(16, 16), MakeTarget(16, 16), MakeTarget(16, 16)};
    const char* ps = R"(#version 450
layout(location = 0) in vec4 vColor;
layout(location = 0) out vec4 out0;
layout(location = 1) out vec4 out1;
layout(location = 2) out vec4 out2;
void main() { out0 = vColor; out1 = vec4(1.0) - vColor; out2 = vec4(1.0, 0.0, 1.0, 1.0); }
)";
    UseColorPipeline();
    context->PSSetShader(MakePs(PixelBlob(ps)), nullptr, 0);
    D3D11_BLEND_DESC bd{};
    bd.IndependentBlendEnable = TRUE;
    for (int i = 0; i < 2; ++i)
        bd.RenderTarget[i] = {
            FALSE,           D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD,
            D3D11_BLEND_ONE, D3D11_BLEND_ZERO,      D3D11_BLEND_OP_ADD,        D3D11_COLOR_WRITE_ENABLE_ALL};
    ID3D11BlendState* blend = nullptr;
    ASSERT_EQ(device->CreateBlendState(&bd, &blend), S_OK);
    Keep(blend);
    ID3D11RenderTargetView* rtvs[3] = {targets[0].rtv, targets[1].rtv, targets[2].rtv};
    const float grey[4] = {0.25f, 0.25f, 0.25f, 0.25f};
    for (auto* rtv : rtvs)
        context->ClearRenderTargetView(rtv, grey);
    context->OMSetRenderTargets(3, rtvs, nullptr);
    const float factor[4] = {0, 0, 0, 0};
    context->OMSetBlendState(blend, factor, 0xffffffff);
    SetViewport(16, 16);
    std::vector<ColorVertex> v = Quad(-1, -1, 1, 1, 0.5f, {0.8f, 0.4f, 0.2f, 0.5f});
    DrawTriangles(v);
    EXPECT_TRUE(Near(Pixel(Capture(targets[0].texture, "-0"), 16, 8, 8), {204, 102, 51, 128}));
    EXPECT_TRUE(Near(Pixel(Capture(targets[1].texture, "-1"), 16, 8, 8), {51, 153, 204, 128}));
    EXPECT_TRUE(Near(Pixel(Capture(targets[2].texture, "-2"), 16, 8, 8), {64, 64, 64, 64}));

    // Binding null restores the default: no blending and every channel written, on every target.
    context->OMSetBlendState(nullptr, nullptr, 0xffffffff);
    DrawTriangles(v);
    EXPECT_TRUE(Near(Pixel(Capture(targets[2].texture, "-2default"), 16, 8, 8), {255, 0, 255, 255}));
}

TEST_F(RenderTest, ComputeWritesAnImageThatALaterDrawSamplesTopRowFirst)
{
    const UINT n = 32;
    D3D11_TEXTURE2D_DESC d{n,
                           n,
                           1,
                           1,
                           DXGI_FORMAT_R8G8B8A8_UNORM,
                           {1, 0},
                           D3D11_USAGE_DEFAULT,
                           D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS,
                           0,
                           0};
    ID3D11Texture2D* image = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&d, nullptr, &image), S_OK);
    Keep(image);
    ID3D11UnorderedAccessView* uav = nullptr;
    ID3D11ShaderResourceView* srv = nullptr;
    ASSERT_EQ(device->CreateUnorderedAccessView(image, nullptr, &uav), S_OK);
    ASSERT_EQ(device->CreateShaderResourceView(image, nullptr, &srv), S_OK);
    Keep(uav);
    Keep(srv);
    const char* cs = R"(#version 450
layout(local_size_x = 8, local_size_y = 8) in;
layout(rgba8, binding = 0) uniform writeonly image2D gOutput;
void main() {
  ivec2 p = ivec2(gl_GlobalInvocationID.xy);
  imageStore(gOutput, p, vec4(float(p.x) / 32.0, float(p.y) / 32.0, 0.0, 1.0));
}
)";
    const auto csBlob = ComputeBlob(cs, {{"gOutput", 0, StageImageFormat::Rgba8}});
    ID3D11ComputeShader* shader = nullptr;
    ASSERT_EQ(device->CreateComputeShader(csBlob.data(), csBlob.size(), nullptr, &shader), S_OK);
    Keep(shader);
    context->CSSetShader(shader, nullptr, 0);
    context->CSSetUnorderedAccessViews(0, 1, &uav, nullptr);
    context->Dispatch(n / 8, n / 8, 1);
    ID3D11UnorderedAccessView* noUav = nullptr;
    context->CSSetUnorderedAccessViews(0, 1, &noUav, nullptr);
    context->CSSetShader(nullptr, nullptr, 0);

    const char* ps = R"(#version 450
layout(location = 0) in vec2 vUv;
layout(location = 0) out vec4 outColor;
layout(binding = 0) uniform sampler2D gInput;
void main() { outColor = texture(gInput, vUv); }
)";
    Target t = MakeTarget(n, n);
    D3D11_SAMPLER_DESC sd{D3D11_FILTER_MIN_MAG_MIP_POINT,
                          D3D11_TEXTURE_ADDRESS_CLAMP,
                          D3D11_TEXTURE_ADDRESS_CLAMP,
                          D3D11_TEXTURE_ADDRESS_CLAMP,
                          0,
                          1,
                          D3D11_COMPARISON_NEVER,
                          {0, 0, 0, 0},
                          0,
                          D3D11_FLOAT32_MAX};
    ID3D11SamplerState* point = nullptr;
    ASSERT_EQ(device->CreateSamplerState(&sd, &point), S_OK);
    Keep(point);
    context->VSSetShader(MakeVs(VertexBlob(kFullScreenVs, {})), nullptr, 0);
    context->PSSetShader(MakePs(PixelBlob(ps, {}, {{"gInput", 0, StageTextureDimension::Texture2D, 3, 2}})), nullptr,
                         0);
    context->PSSetShaderResources(3, 1, &srv);
    context->PSSetSamplers(2, 1, &point);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(n, n);
    context->Draw(3, 0);
    const auto px = Capture(t.texture);
    EXPECT_TRUE(Near(Pixel(px, n, 5, 20), {40, 159, 0, 255}));
    EXPECT_TRUE(Near(Pixel(px, n, 30, 1), {239, 8, 0, 255}));
}

TEST_F(RenderTest, FullMipChainSamplesTheRequestedLevelAndViewsCanStartLower)
{
    // 8x8 with MipLevels 0: four levels, each a solid colour.
    const std::array<std::array<std::uint8_t, 4>, 4> colors = {
        {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}}};
    std::vector<std::vector<std::uint8_t>> levels;
    std::vector<D3D11_SUBRESOURCE_DATA> init;
    for (UINT l = 0; l < 4; ++l) {
        const UINT s = 8 >> l;
        levels.emplace_back();
        for (UINT i = 0; i < s * s; ++i)
            levels.back().insert(levels.back().end(), colors[l].begin(), colors[l].end());
    }
    for (UINT l = 0; l < 4; ++l)
        init.push_back({levels[l].data(), (8u >> l) * 4, 0});
    D3D11_TEXTURE2D_DESC d{
        8, 8, 0, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_IMMUTABLE, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    ID3D11Texture2D* texture = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&d, init.data(), &texture), S_OK);
    Keep(texture);
    texture->GetDesc(&d);
    EXPECT_EQ(d.MipLevels, 4u);
    ID3D11ShaderResourceView* all = nullptr;
    ASSERT_EQ(device->CreateShaderResourceView(texture, nullptr, &all), S_OK);
    Keep(all);
    D3D11_SHADER_RESOURCE_VIEW_DESC vd{};
    vd.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    vd.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    vd.Texture2D = {1, UINT(-1)};
    ID3D11ShaderResourceView* lower = nullptr;
    ASSERT_EQ(device->CreateShaderResourceView(texture, &vd, &lower), S_OK);
    Keep(lower);
    vd.Texture2D = {4, 1};
    ID3D11ShaderResourceView* bad = nullptr;
    EXPECT_EQ(device->CreateShaderResourceView(texture, &vd, &bad), E_INVALIDARG);
    EXPECT_EQ(bad, nullptr);

    const char* ps = R"(#version 450
layout(location = 0) in vec2 vUv;
layout(location = 0) out vec4 outColor;
layout(std140, binding = 0) uniform cbLod { vec4 gLod; };
layout(binding = 0) uniform sampler2D gTex;
void main() { outColor = textureLod(gTex, vUv, gLod.x); }
)";
    Target t = MakeTarget(4, 4);
    float lod[4] = {0, 0, 0, 0};
    ID3D11Buffer* cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, lod, 16, D3D11_USAGE_DEFAULT);
    context->VSSetShader(MakeVs(VertexBlob(kFullScreenVs, {})), nullptr, 0);
    context->PSSetShader(
        MakePs(PixelBlob(ps, {{"cbLod", 0, 16}}, {{"gTex", 0, StageTextureDimension::Texture2D, 0, 0}})), nullptr, 0);
    context->PSSetConstantBuffers(0, 1, &cb);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(4, 4);
    for (int level = 0; level < 4; ++level) {
        lod[0] = float(level);
        context->UpdateSubresource(cb, 0, nullptr, lod, 0, 0);
        context->PSSetShaderResources(0, 1, &all);
        context->Draw(3, 0);
        const auto px = Capture(t.texture, Suffix("lod", level));
        const auto& c = colors[level];
        EXPECT_TRUE(Near(Pixel(px, 4, 1, 1), {c[0], c[1], c[2], c[3]})) << "level " << level;
    }
    lod[0] = 0;
    context->UpdateSubresource(cb, 0, nullptr, lod, 0, 0);
    context->PSSetShaderResources(0, 1, &lower);
    context->Draw(3, 0);
    EXPECT_TRUE(Near(Pixel(Capture(t.texture, "-view"), 4, 1, 1), {0, 255, 0, 255}));
}

TEST_F(RenderTest, CubeMapSamplesTheFaceOfEachDirectionWithTopRowsUp)
{
    const UINT s = 4;
    const std::array<std::array<std::uint8_t, 4>, 6> colors = {{{255, 0, 0, 255},
                                                                {0, 255, 0, 255},
                                                                {0, 0, 255, 255},
                                                                {255, 255, 0, 255},
                                                                {255, 0, 255, 255},
                                                                {0, 255, 255, 255}}};
    std::vector<std::vector<std::uint8_t>> faces(6);
    for (int f = 0; f < 6; ++f)
        for (UINT i = 0; i < s * s; ++i) {
            auto c = colors[f];
            if (f == 4 && i >= s * s / 2)
                c = {10, 20, 30, 255};  // +Z: bottom half differs
            faces[f].insert(faces[f].end(), c.begin(), c.end());
        }
    std::vector<D3D11_SUBRESOURCE_DATA> init;
    for (auto& f : faces)
        init.push_back({f.data(), s * 4, 0});
    D3D11_TEXTURE2D_DESC d{s,
                           s,
                           1,
                           6,
                           DXGI_FORMAT_R8G8B8A8_UNORM,
                           {1, 0},
                           D3D11_USAGE_IMMUTABLE,
                           D3D11_BIND_SHADER_RESOURCE,
                           0,
                           D3D11_RESOURCE_MISC_TEXTURECUBE};
    ID3D11Texture2D* cube = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&d, init.data(), &cube), S_OK);
    Keep(cube);
    ID3D11ShaderResourceView* srv = nullptr;
    ASSERT_EQ(device->CreateShaderResourceView(cube, nullptr, &srv), S_OK);
    Keep(srv);
    D3D11_SHADER_RESOURCE_VIEW_DESC got{};
    srv->GetDesc(&got);
    EXPECT_EQ(got.ViewDimension, D3D11_SRV_DIMENSION_TEXTURECUBE);

    const char* ps = R"(#version 450
layout(location = 0) out vec4 outColor;
layout(std140, binding = 0) uniform cbDir { vec4 gDir; };
layout(binding = 0) uniform samplerCube gCubeMap;
void main() { outColor = texture(gCubeMap, gDir.xyz); }
)";
    Target t = MakeTarget(2, 2);
    float dir[4] = {};
    ID3D11Buffer* cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, dir, 16, D3D11_USAGE_DEFAULT);
    context->VSSetShader(MakeVs(VertexBlob(kFullScreenVs, {})), nullptr, 0);
    context->PSSetShader(
        MakePs(PixelBlob(ps, {{"cbDir", 0, 16}}, {{"gCubeMap", 0, StageTextureDimension::TextureCube, 0, 0}})), nullptr,
        0);
    context->PSSetConstantBuffers(0, 1, &cb);
    context->PSSetShaderResources(0, 1, &srv);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(2, 2);
    struct Case {
        float x, y, z;
        std::array<std::uint8_t, 4> expected;
    };
    const Case cases[] = {{1, 0.1f, 0.1f, colors[0]},  {-1, 0.1f, 0.1f, colors[1]}, {0.1f, 1, 0.1f, colors[2]},
                          {0.1f, -1, 0.1f, colors[3]}, {0, 0.5f, 1, colors[4]},     {0, -0.5f, 1, {10, 20, 30, 255}},
                          {0.1f, 0.1f, -1, colors[5]}};
    int i = 0;
    for (const Case& c : cases) {
        float v[4] = {c.x, c.y, c.z, 0};
        context->UpdateSubresource(cb, 0, nullptr, v, 0, 0);
        context->Draw(3, 0);
        const auto px = Capture(t.texture, Suffix("dir", i++));
        EXPECT_TRUE(Near(Pixel(px, 2, 0, 0), {c.expected[0], c.expected[1], c.expected[2], c.expected[3]}))
            << "direction " << c.x << "," << c.y << "," << c.z;
    }
}

// The draw that hung llvmpipe (tests/driver-bugs/llvmpipe-aniso-hang): one nearly edge-on triangle,
// sampled through an anisotropic sampler. The layer must draw it, and draw it in bounded time; a
// watchdog ends the test with a message instead of leaving it hung.
TEST_F(RenderTest, AnisotropicSamplerOnANearlyEdgeOnTriangleFinishes)
{
    FrameWatchdog watchdog;
    watchdog.Start(std::chrono::seconds(30), [](long, double) { return std::string("the edge-on anisotropic draw"); });
    watchdog.FrameBegun(0.0);

    const char* vs = R"(#version 450
layout(location = 0) in vec3 inPos;
layout(location = 1) in vec2 inUv;
layout(binding = 0, std140) uniform cbTransform { layout(row_major) mat4 gWorldViewProj; };
layout(location = 0) out vec2 vUv;
out gl_PerVertex { vec4 gl_Position; };
void main() { gl_Position = gWorldViewProj * vec4(inPos, 1.0); vUv = inUv; }
)";
    const char* ps = R"(#version 450
layout(location = 0) in vec2 vUv;
layout(location = 0) out vec4 outColor;
layout(binding = 0) uniform sampler2D gTex;
void main() { outColor = texture(gTex, vUv); }
)";
    const std::vector<StageInput> inputs = {{"POSITION", 0, 0, StageComponentType::Float, 3},
                                            {"TEXCOORD", 0, 1, StageComponentType::Float, 2}};
    const D3D11_INPUT_ELEMENT_DESC layoutDesc[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    const auto vsBlob = VertexBlob(vs, inputs, {{"cbTransform", 0, 64}});
    context->VSSetShader(MakeVs(vsBlob), nullptr, 0);
    context->PSSetShader(MakePs(PixelBlob(ps, {}, {{"gTex", 0, StageTextureDimension::Texture2D, 0, 0}})), nullptr, 0);
    ID3D11InputLayout* layout = nullptr;
    ASSERT_EQ(device->CreateInputLayout(layoutDesc, 2, vsBlob.data(), vsBlob.size(), &layout), S_OK);
    context->IASetInputLayout(Keep(layout));
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    // The corridor's triangle and camera at beat 108.983: 0.00045 square pixels on screen.
    const float vertices[] = {
        15.1933403f, 1.79387999f, 76.8678284f, 0.282739997f, 6.04465008f, 15.2057896f, 1.74987996f, 76.8767166f,
        0.37698999f, 6.04465008f, 15.2079000f, 1.79208004f,  77.0581665f, 0.37698999f, 6.41257000f,
    };
    const float worldViewProj[16] = {1.35799503f, 0, 0,         -13.5799503f, 0, 2.41421342f, 0, 0,
                                     0,           0, 1.001001f, -1.99430013f, 0, 0,           1, -0.992305756f};
    ID3D11Buffer* vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, vertices, sizeof vertices);
    const UINT stride = 5 * sizeof(float), offset = 0;
    context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    ID3D11Buffer* cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, worldViewProj, sizeof worldViewProj);
    context->VSSetConstantBuffers(0, 1, &cb);

    const std::uint8_t green[4] = {0, 255, 0, 255};
    D3D11_TEXTURE2D_DESC td{
        1, 1, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_IMMUTABLE, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    const D3D11_SUBRESOURCE_DATA init{green, 4, 0};
    ID3D11Texture2D* texture = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&td, &init, &texture), S_OK);
    Keep(texture);
    ID3D11ShaderResourceView* srv = nullptr;
    ASSERT_EQ(device->CreateShaderResourceView(texture, nullptr, &srv), S_OK);
    Keep(srv);
    context->PSSetShaderResources(0, 1, &srv);

    D3D11_SAMPLER_DESC sd{};
    sd.Filter = D3D11_FILTER_ANISOTROPIC;
    sd.AddressU = sd.AddressV = sd.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
    sd.MaxAnisotropy = 4;
    sd.ComparisonFunc = D3D11_COMPARISON_NEVER;
    sd.MaxLOD = D3D11_FLOAT32_MAX;
    ID3D11SamplerState* sampler = nullptr;
    ASSERT_EQ(device->CreateSamplerState(&sd, &sampler), S_OK);
    Keep(sampler);
    context->PSSetSamplers(0, 1, &sampler);
    D3D11_SAMPLER_DESC got{};
    sampler->GetDesc(&got);
    EXPECT_EQ(got.MaxAnisotropy, 4u) << "the description stays what the caller asked for";

    Target t = MakeTarget(1280, 720);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    SetViewport(1280, 720);
    context->Draw(3, 0);
    const auto px = Capture(t.texture);
    watchdog.FrameEnded();

    int covered = 0;
    for (size_t i = 0; i < px.size(); i += 4)
        covered += px[i + 1] == 255 ? 1 : 0;
    EXPECT_EQ(covered, 1) << "the sliver covers one pixel centre; without it this test proves nothing";
}

}  // namespace
}  // namespace gputest
