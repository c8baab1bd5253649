#pragma once
// The fixed rasterizer and blend states kept beside the effects' own pass states.
#include "platform/d3d11/D3D11.h"

class RenderStates {
public:
    static void CreateAll(ID3D11Device* device);
    // Releases each state that exists and nulls it; a second call does nothing.
    static void ReleaseAll();

    static ID3D11RasterizerState* WireframeRS;
    static ID3D11RasterizerState* NoCullRS;
    static ID3D11RasterizerState* BackCullRS;
    static ID3D11BlendState* AlphaToCoverageBS;
    static ID3D11BlendState* TransparentBS;
    static ID3D11BlendState* NoBlendBS;
    static ID3D11BlendState* TwoTargetBS;
};
