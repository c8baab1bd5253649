#pragma once
// The eight input layouts, each checked against the vertex input of one effect technique.
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/D3D11.h"

// Element lists of the layouts, in their order; exposed so that tests can hold them to the
// records they describe.
namespace InputLayoutDesc {
extern const D3D11_INPUT_ELEMENT_DESC PosColor[2];
extern const D3D11_INPUT_ELEMENT_DESC PosNormal[2];
extern const D3D11_INPUT_ELEMENT_DESC Basic32[3];
extern const D3D11_INPUT_ELEMENT_DESC InstancedBasic32[8];
extern const D3D11_INPUT_ELEMENT_DESC PosTex[2];
extern const D3D11_INPUT_ELEMENT_DESC Pos[1];
extern const D3D11_INPUT_ELEMENT_DESC InstancedPos[6];
extern const D3D11_INPUT_ELEMENT_DESC PosNormalTexTan[4];
}  // namespace InputLayoutDesc

// One layout for each vertex format the effects take, all made at start-up; the show's passes use
// five of them (PosColor, Basic32 and InstancedBasic32 are kept with their formats, unused).
class VertexLayouts {
public:
    // Needs the effects (EffectLibrary::CreateAll) first. A layout the technique's vertex input
    // does not accept, or a technique that does not exist, leaves that layout null.
    static void CreateAll(ID3D11Device* device);
    // Releases each layout that exists and nulls it; a second call does nothing.
    static void ReleaseAll();

    static ComPtr<ID3D11InputLayout> PosColorLayout;
    static ComPtr<ID3D11InputLayout> PosNormalLayout;
    static ComPtr<ID3D11InputLayout> Basic32Layout;
    static ComPtr<ID3D11InputLayout> InstancedBasic32Layout;
    static ComPtr<ID3D11InputLayout> PosTexLayout;
    static ComPtr<ID3D11InputLayout> PosLayout;
    static ComPtr<ID3D11InputLayout> InstancedPosLayout;
    static ComPtr<ID3D11InputLayout> PosNormalTexTanLayout;
};
