// The seven fixed states, field by field as the device reports them back.
#include <cstring>
#include <vector>

#include "effects/RenderStates.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"

namespace {

class RenderStatesTest : public fxtest::DeviceTest {
protected:
    void TearDown() override
    {
        RenderStates::ReleaseAll();
        DeviceTest::TearDown();
    }
};

D3D11_RASTERIZER_DESC Desc(ID3D11RasterizerState* state)
{
    D3D11_RASTERIZER_DESC d;
    std::memset(&d, 0xCD, sizeof(d));
    if (state != nullptr)
        state->GetDesc(&d);
    return d;
}

D3D11_BLEND_DESC Desc(ID3D11BlendState* state)
{
    D3D11_BLEND_DESC d;
    std::memset(&d, 0xCD, sizeof(d));
    if (state != nullptr)
        state->GetDesc(&d);
    return d;
}

TEST_F(RenderStatesTest, RasterizerStatesHaveTheirFields)
{
    RenderStates::CreateAll(device);
    const struct {
        ID3D11RasterizerState* state;
        D3D11_FILL_MODE fill;
        D3D11_CULL_MODE cull;
    } cases[] = {
        {RenderStates::WireframeRS.Get(), D3D11_FILL_WIREFRAME, D3D11_CULL_BACK},
        {RenderStates::NoCullRS.Get(), D3D11_FILL_SOLID, D3D11_CULL_NONE},
        {RenderStates::BackCullRS.Get(), D3D11_FILL_SOLID, D3D11_CULL_BACK},
    };
    for (const auto& c : cases) {
        ASSERT_NE(nullptr, c.state);
        const D3D11_RASTERIZER_DESC d = Desc(c.state);
        EXPECT_EQ(c.fill, d.FillMode);
        EXPECT_EQ(c.cull, d.CullMode);
        EXPECT_FALSE(d.FrontCounterClockwise);
        EXPECT_EQ(0, d.DepthBias);
        EXPECT_EQ(0.0f, d.DepthBiasClamp);
        EXPECT_EQ(0.0f, d.SlopeScaledDepthBias);
        EXPECT_TRUE(d.DepthClipEnable);
        EXPECT_FALSE(d.ScissorEnable);
        EXPECT_FALSE(d.MultisampleEnable);
        EXPECT_FALSE(d.AntialiasedLineEnable);
    }
}

TEST_F(RenderStatesTest, BlendStatesHaveTheirTargets)
{
    RenderStates::CreateAll(device);
    const D3D11_RENDER_TARGET_BLEND_DESC zero{};
    const D3D11_RENDER_TARGET_BLEND_DESC alphaOver{TRUE,
                                                   D3D11_BLEND_SRC_ALPHA,
                                                   D3D11_BLEND_INV_SRC_ALPHA,
                                                   D3D11_BLEND_OP_ADD,
                                                   D3D11_BLEND_ONE,
                                                   D3D11_BLEND_ZERO,
                                                   D3D11_BLEND_OP_ADD,
                                                   0xF};
    D3D11_RENDER_TARGET_BLEND_DESC alphaOff = alphaOver;
    alphaOff.BlendEnable = FALSE;
    D3D11_RENDER_TARGET_BLEND_DESC writeOnly = zero;
    writeOnly.RenderTargetWriteMask = 0xF;

    const struct {
        const char* name;
        ID3D11BlendState* state;
        BOOL alphaToCoverage;
        BOOL independent;
        D3D11_RENDER_TARGET_BLEND_DESC target0;
        D3D11_RENDER_TARGET_BLEND_DESC target1;
    } cases[] = {
        {"AlphaToCoverageBS", RenderStates::AlphaToCoverageBS.Get(), TRUE, FALSE, writeOnly, zero},
        {"TransparentBS", RenderStates::TransparentBS.Get(), FALSE, FALSE, alphaOver, zero},
        {"NoBlendBS", RenderStates::NoBlendBS.Get(), FALSE, FALSE, alphaOff, zero},
        {"TwoTargetBS", RenderStates::TwoTargetBS.Get(), FALSE, TRUE, alphaOff, alphaOff},
    };
    auto same = [](const D3D11_RENDER_TARGET_BLEND_DESC& a, const D3D11_RENDER_TARGET_BLEND_DESC& b) {
        return (a.BlendEnable != 0) == (b.BlendEnable != 0) && a.SrcBlend == b.SrcBlend && a.DestBlend == b.DestBlend &&
               a.BlendOp == b.BlendOp && a.SrcBlendAlpha == b.SrcBlendAlpha && a.DestBlendAlpha == b.DestBlendAlpha &&
               a.BlendOpAlpha == b.BlendOpAlpha && a.RenderTargetWriteMask == b.RenderTargetWriteMask;
    };
    for (const auto& c : cases) {
        ASSERT_NE(nullptr, c.state) << c.name;
        const D3D11_BLEND_DESC d = Desc(c.state);
        EXPECT_EQ(c.alphaToCoverage != 0, d.AlphaToCoverageEnable != 0) << c.name;
        EXPECT_EQ(c.independent != 0, d.IndependentBlendEnable != 0) << c.name;
        EXPECT_TRUE(same(c.target0, d.RenderTarget[0])) << c.name << " target 0";
        EXPECT_TRUE(same(c.target1, d.RenderTarget[1])) << c.name << " target 1";
        for (int t = 2; t < 8; ++t)
            EXPECT_TRUE(same(zero, d.RenderTarget[t])) << c.name << " target " << t;
    }
}

TEST_F(RenderStatesTest, ReleaseAllNullsEveryStateAndMayBeRepeated)
{
    RenderStates::CreateAll(device);
    RenderStates::ReleaseAll();
    RenderStates::ReleaseAll();
    for (void* state :
         {static_cast<void*>(RenderStates::WireframeRS.Get()), static_cast<void*>(RenderStates::NoCullRS.Get()),
          static_cast<void*>(RenderStates::BackCullRS.Get()), static_cast<void*>(RenderStates::AlphaToCoverageBS.Get()),
          static_cast<void*>(RenderStates::TransparentBS.Get()), static_cast<void*>(RenderStates::NoBlendBS.Get()),
          static_cast<void*>(RenderStates::TwoTargetBS.Get())})
        EXPECT_EQ(nullptr, state);
}

const char* const kThreeTargets = R"(
struct PsOut
{
    float4 a : SV_Target0;
    float4 b : SV_Target1;
    float4 c : SV_Target2;
};

float4 VS(uint id : SV_VertexID) : SV_POSITION
{
    float2 p = float2(id == 1 ? 3.0f : -1.0f, id == 2 ? -3.0f : 1.0f);
    return float4(p, 0.5f, 1.0f);
}

PsOut PS(float4 pos : SV_POSITION)
{
    PsOut o;
    o.a = float4(1.0f, 0.0f, 0.0f, 0.5f);
    o.b = float4(0.0f, 1.0f, 0.0f, 0.5f);
    o.c = float4(0.0f, 0.0f, 1.0f, 0.5f);
    return o;
}

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
}
)";

TEST_F(RenderStatesTest, TwoTargetStateWritesTwoTargetsUnblendedAndNoThird)
{
    RenderStates::CreateAll(device);
    ID3DX11Effect* effect = MakeEffect(kThreeTargets);
    ASSERT_NE(nullptr, effect);
    Target targets[3] = {MakeFloatTarget(1, 1), MakeFloatTarget(1, 1), MakeFloatTarget(1, 1)};
    ID3D11RenderTargetView* views[3] = {targets[0].rtv, targets[1].rtv, targets[2].rtv};
    const D3D11_VIEWPORT viewport{0, 0, 1, 1, 0, 1};
    const float factor[4] = {0, 0, 0, 0};
    auto draw = [&](ID3D11BlendState* state) {
        const float clear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        for (ID3D11RenderTargetView* view : views)
            context->ClearRenderTargetView(view, clear);
        context->OMSetRenderTargets(3, views, nullptr);
        context->RSSetViewports(1, &viewport);
        context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
        context->OMSetBlendState(state, factor, 0xFFFFFFFFu);
        effect->GetTechniqueByName("T")->GetPassByIndex(0)->Apply(0, context);
        context->Draw(3, 0);
        std::vector<fxtest::Float4> out;
        for (const Target& t : targets)
            out.push_back(ReadFloat(t.texture).at(0));
        return out;
    };

    std::vector<fxtest::Float4> px = draw(RenderStates::TwoTargetBS.Get());
    EXPECT_TRUE(fxtest::NearFloat4(px[0], {1, 0, 0, 0.5f}));
    EXPECT_TRUE(fxtest::NearFloat4(px[1], {0, 1, 0, 0.5f}));
    EXPECT_TRUE(fxtest::NearFloat4(px[2], {0, 0, 0, 1})) << "the third target keeps its clear colour";

    // Without independent blending every target follows the first; null restores unblended writes.
    px = draw(RenderStates::TransparentBS.Get());
    EXPECT_TRUE(fxtest::NearFloat4(px[0], {0.5f, 0, 0, 0.5f}));
    EXPECT_TRUE(fxtest::NearFloat4(px[2], {0, 0, 0.5f, 0.5f}));
    px = draw(nullptr);
    EXPECT_TRUE(fxtest::NearFloat4(px[0], {1, 0, 0, 0.5f}));
    EXPECT_TRUE(fxtest::NearFloat4(px[2], {0, 0, 1, 0.5f}));
}

}  // namespace
