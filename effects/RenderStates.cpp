#include "effects/RenderStates.h"

ID3D11RasterizerState* RenderStates::WireframeRS = nullptr;
ID3D11RasterizerState* RenderStates::NoCullRS = nullptr;
ID3D11RasterizerState* RenderStates::BackCullRS = nullptr;
ID3D11BlendState* RenderStates::AlphaToCoverageBS = nullptr;
ID3D11BlendState* RenderStates::TransparentBS = nullptr;
ID3D11BlendState* RenderStates::NoBlendBS = nullptr;
ID3D11BlendState* RenderStates::TwoTargetBS = nullptr;

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
    return {blend,
            D3D11_BLEND_SRC_ALPHA,
            D3D11_BLEND_INV_SRC_ALPHA,
            D3D11_BLEND_OP_ADD,
            D3D11_BLEND_ONE,
            D3D11_BLEND_ZERO,
            D3D11_BLEND_OP_ADD,
            D3D11_COLOR_WRITE_ENABLE_ALL};
}

template <typename T>
void ReleaseState(T*& state)
{
    if (state != nullptr) {
        state->Release();
        state = nullptr;
    }
}

}  // namespace

void RenderStates::CreateAll(ID3D11Device* device)
{
    const D3D11_RASTERIZER_DESC wireframe = Rasterizer(D3D11_FILL_WIREFRAME, D3D11_CULL_BACK);
    device->CreateRasterizerState(&wireframe, &WireframeRS);
    const D3D11_RASTERIZER_DESC noCull = Rasterizer(D3D11_FILL_SOLID, D3D11_CULL_NONE);
    device->CreateRasterizerState(&noCull, &NoCullRS);
    const D3D11_RASTERIZER_DESC backCull = Rasterizer(D3D11_FILL_SOLID, D3D11_CULL_BACK);
    device->CreateRasterizerState(&backCull, &BackCullRS);

    // Targets past the ones named stay all zero, write mask included.
    D3D11_BLEND_DESC alphaToCoverage{};
    alphaToCoverage.AlphaToCoverageEnable = TRUE;
    alphaToCoverage.IndependentBlendEnable = FALSE;
    alphaToCoverage.RenderTarget[0].BlendEnable = FALSE;
    alphaToCoverage.RenderTarget[0].RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    device->CreateBlendState(&alphaToCoverage, &AlphaToCoverageBS);

    D3D11_BLEND_DESC transparent{};
    transparent.RenderTarget[0] = AlphaOver(TRUE);
    device->CreateBlendState(&transparent, &TransparentBS);

    D3D11_BLEND_DESC noBlend{};
    noBlend.RenderTarget[0] = AlphaOver(FALSE);
    device->CreateBlendState(&noBlend, &NoBlendBS);

    D3D11_BLEND_DESC twoTarget{};
    twoTarget.IndependentBlendEnable = TRUE;
    twoTarget.RenderTarget[0] = AlphaOver(FALSE);
    twoTarget.RenderTarget[1] = AlphaOver(FALSE);
    device->CreateBlendState(&twoTarget, &TwoTargetBS);
}

void RenderStates::ReleaseAll()
{
    ReleaseState(WireframeRS);
    ReleaseState(NoCullRS);
    ReleaseState(BackCullRS);
    ReleaseState(AlphaToCoverageBS);
    ReleaseState(TransparentBS);
    ReleaseState(NoBlendBS);
    ReleaseState(TwoTargetBS);
}
