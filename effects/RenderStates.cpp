#include "effects/RenderStates.h"

ComPtr<ID3D11RasterizerState> RenderStates::WireframeRS;
ComPtr<ID3D11RasterizerState> RenderStates::NoCullRS;
ComPtr<ID3D11RasterizerState> RenderStates::BackCullRS;
ComPtr<ID3D11BlendState> RenderStates::AlphaToCoverageBS;
ComPtr<ID3D11BlendState> RenderStates::TransparentBS;
ComPtr<ID3D11BlendState> RenderStates::NoBlendBS;
ComPtr<ID3D11BlendState> RenderStates::TwoTargetBS;

namespace {

D3D11_RASTERIZER_DESC Rasterizer(D3D11_FILL_MODE fill, D3D11_CULL_MODE cull)
{
    D3D11_RASTERIZER_DESC desc{};
    desc.FillMode = fill;
    desc.CullMode = cull;
    desc.FrontCounterClockwise = FALSE;
    desc.DepthClipEnable = TRUE;
    return desc;
}

// Source alpha over the target: the factors of the transparent state, blending on or off.
D3D11_RENDER_TARGET_BLEND_DESC AlphaOver(BOOL blend)
{
    return {blend,           D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD,
            D3D11_BLEND_ONE, D3D11_BLEND_ZERO,      D3D11_BLEND_OP_ADD,        D3D11_COLOR_WRITE_ENABLE_ALL};
}

}  // namespace

void RenderStates::CreateAll(ID3D11Device* device)
{
    const D3D11_RASTERIZER_DESC wireframe = Rasterizer(D3D11_FILL_WIREFRAME, D3D11_CULL_BACK);
    device->CreateRasterizerState(&wireframe, WireframeRS.Put());
    const D3D11_RASTERIZER_DESC noCull = Rasterizer(D3D11_FILL_SOLID, D3D11_CULL_NONE);
    device->CreateRasterizerState(&noCull, NoCullRS.Put());
    const D3D11_RASTERIZER_DESC backCull = Rasterizer(D3D11_FILL_SOLID, D3D11_CULL_BACK);
    device->CreateRasterizerState(&backCull, BackCullRS.Put());

    // Targets past the ones named stay all zero, write mask included.
    D3D11_BLEND_DESC alphaToCoverage{};
    alphaToCoverage.AlphaToCoverageEnable = TRUE;
    alphaToCoverage.IndependentBlendEnable = FALSE;
    alphaToCoverage.RenderTarget[0].BlendEnable = FALSE;
    alphaToCoverage.RenderTarget[0].RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    device->CreateBlendState(&alphaToCoverage, AlphaToCoverageBS.Put());

    D3D11_BLEND_DESC transparent{};
    transparent.RenderTarget[0] = AlphaOver(TRUE);
    device->CreateBlendState(&transparent, TransparentBS.Put());

    D3D11_BLEND_DESC noBlend{};
    noBlend.RenderTarget[0] = AlphaOver(FALSE);
    device->CreateBlendState(&noBlend, NoBlendBS.Put());

    D3D11_BLEND_DESC twoTarget{};
    twoTarget.IndependentBlendEnable = TRUE;
    twoTarget.RenderTarget[0] = AlphaOver(FALSE);
    twoTarget.RenderTarget[1] = AlphaOver(FALSE);
    device->CreateBlendState(&twoTarget, TwoTargetBS.Put());
}

void RenderStates::ReleaseAll()
{
    WireframeRS.Reset();
    NoCullRS.Reset();
    BackCullRS.Reset();
    AlphaToCoverageBS.Reset();
    TransparentBS.Reset();
    NoBlendBS.Reset();
    TwoTargetBS.Reset();
}
