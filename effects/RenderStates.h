#pragma once
// The fixed rasterizer and blend states kept beside the effects' own pass states.
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/D3D11.h"

// The whole set is made at start-up although the show binds only TwoTargetBS: the others belong to
// the framework the show keeps, for draws that want them.
class RenderStates {
public:
    static void CreateAll(ID3D11Device* device);
    // Releases each state that exists, in declaration order; a second call does nothing.
    static void ReleaseAll();

    static ComPtr<ID3D11RasterizerState> WireframeRS;
    static ComPtr<ID3D11RasterizerState> NoCullRS;
    static ComPtr<ID3D11RasterizerState> BackCullRS;
    static ComPtr<ID3D11BlendState> AlphaToCoverageBS;
    static ComPtr<ID3D11BlendState> TransparentBS;
    static ComPtr<ID3D11BlendState> NoBlendBS;
    static ComPtr<ID3D11BlendState> TwoTargetBS;
};
