#include "effects/VertexLayouts.h"

#include <cstdio>

#include "effects/Effects.h"

namespace {
constexpr D3D11_INPUT_CLASSIFICATION kVertex = D3D11_INPUT_PER_VERTEX_DATA;
constexpr D3D11_INPUT_CLASSIFICATION kInstance = D3D11_INPUT_PER_INSTANCE_DATA;
constexpr DXGI_FORMAT kFloat2 = DXGI_FORMAT_R32G32_FLOAT;
constexpr DXGI_FORMAT kFloat3 = DXGI_FORMAT_R32G32B32_FLOAT;
constexpr DXGI_FORMAT kFloat4 = DXGI_FORMAT_R32G32B32A32_FLOAT;
}  // namespace

namespace InputLayoutDesc {
const D3D11_INPUT_ELEMENT_DESC PosColor[2] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0},
    {"COLOR", 0, kFloat4, 0, 12, kVertex, 0},
};

const D3D11_INPUT_ELEMENT_DESC PosNormal[2] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0},
    {"NORMAL", 0, kFloat3, 0, 12, kVertex, 0},
};

const D3D11_INPUT_ELEMENT_DESC Basic32[3] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0},
    {"NORMAL", 0, kFloat3, 0, 12, kVertex, 0},
    {"TEXCOORD", 0, kFloat2, 0, 24, kVertex, 0},
};

const D3D11_INPUT_ELEMENT_DESC InstancedBasic32[8] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0},  {"NORMAL", 0, kFloat3, 0, 12, kVertex, 0},
    {"TEXCOORD", 0, kFloat2, 0, 24, kVertex, 0}, {"WORLD", 0, kFloat4, 1, 0, kInstance, 1},
    {"WORLD", 1, kFloat4, 1, 16, kInstance, 1},  {"WORLD", 2, kFloat4, 1, 32, kInstance, 1},
    {"WORLD", 3, kFloat4, 1, 48, kInstance, 1},  {"COLOR", 0, kFloat4, 1, 64, kInstance, 1},
};

const D3D11_INPUT_ELEMENT_DESC PosTex[2] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0},
    {"TEXCOORD", 0, kFloat2, 0, 12, kVertex, 0},
};

const D3D11_INPUT_ELEMENT_DESC Pos[1] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0},
};

const D3D11_INPUT_ELEMENT_DESC InstancedPos[6] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0}, {"WORLD", 0, kFloat4, 1, 0, kInstance, 1},
    {"WORLD", 1, kFloat4, 1, 16, kInstance, 1}, {"WORLD", 2, kFloat4, 1, 32, kInstance, 1},
    {"WORLD", 3, kFloat4, 1, 48, kInstance, 1}, {"COLOR", 0, kFloat4, 1, 64, kInstance, 1},
};

const D3D11_INPUT_ELEMENT_DESC PosNormalTexTan[4] = {
    {"POSITION", 0, kFloat3, 0, 0, kVertex, 0},
    {"NORMAL", 0, kFloat3, 0, 12, kVertex, 0},
    {"TEXCOORD", 0, kFloat2, 0, 24, kVertex, 0},
    {"TANGENT", 0, kFloat3, 0, 32, kVertex, 0},
};
}  // namespace InputLayoutDesc

ComPtr<ID3D11InputLayout> VertexLayouts::PosColorLayout;
ComPtr<ID3D11InputLayout> VertexLayouts::PosNormalLayout;
ComPtr<ID3D11InputLayout> VertexLayouts::Basic32Layout;
ComPtr<ID3D11InputLayout> VertexLayouts::InstancedBasic32Layout;
ComPtr<ID3D11InputLayout> VertexLayouts::PosTexLayout;
ComPtr<ID3D11InputLayout> VertexLayouts::PosLayout;
ComPtr<ID3D11InputLayout> VertexLayouts::InstancedPosLayout;
ComPtr<ID3D11InputLayout> VertexLayouts::PosNormalTexTanLayout;

namespace {

template <UINT N>
void CreateLayout(ID3D11Device* device, const D3D11_INPUT_ELEMENT_DESC (&elements)[N], const Effect* effect,
                  ID3DX11EffectTechnique* technique, ComPtr<ID3D11InputLayout>& layout)
{
    // An effect that failed to build has no signature to check against; its layout stays null.
    if (effect == nullptr || technique == nullptr)
        return;
    D3DX11_PASS_DESC passDesc{};
    technique->GetPassByIndex(0)->GetDesc(&passDesc);
    if (passDesc.pIAInputSignature == nullptr)
        return;
    if (FAILED(device->CreateInputLayout(elements, N, passDesc.pIAInputSignature, passDesc.IAInputSignatureSize,
                                         layout.Put()))) {
        // The device says what does not fit; this says which effect, since it cannot know.
        D3DX11_TECHNIQUE_DESC desc{};
        technique->GetDesc(&desc);
        std::fprintf(stderr,
                     "warning: %s: the show's vertex layout does not fit the vertex shader of technique \"%s\" (the "
                     "d3d11 line above says why); what is drawn with it is left out\n",
                     effect->Path().c_str(), desc.Name != nullptr ? desc.Name : "");
    }
}

}  // namespace

void VertexLayouts::CreateAll(ID3D11Device* device)
{
    using L = EffectLibrary;
    CreateLayout(device, InputLayoutDesc::PosColor, L::ColorFx.get(), L::ColorFx ? L::ColorFx->ColorTech : nullptr,
                 PosColorLayout);
    CreateLayout(device, InputLayoutDesc::PosNormal, L::BasicFx.get(), L::BasicFx ? L::BasicFx->Light1Tech : nullptr,
                 PosNormalLayout);
    CreateLayout(device, InputLayoutDesc::Basic32, L::Basic32Fx.get(),
                 L::Basic32Fx ? L::Basic32Fx->Light1Tech : nullptr, Basic32Layout);
    CreateLayout(device, InputLayoutDesc::InstancedBasic32, L::InstancedBasicFx.get(),
                 L::InstancedBasicFx ? L::InstancedBasicFx->Light1Tech : nullptr, InstancedBasic32Layout);
    CreateLayout(device, InputLayoutDesc::PosTex, L::PostFx.get(), L::PostFx ? L::PostFx->Tech1 : nullptr,
                 PosTexLayout);
    CreateLayout(device, InputLayoutDesc::Pos, L::SkyFx.get(), L::SkyFx ? L::SkyFx->SkyTech : nullptr, PosLayout);
    CreateLayout(device, InputLayoutDesc::InstancedPos, L::InstancedBasicMTRFx.get(),
                 L::InstancedBasicMTRFx ? L::InstancedBasicMTRFx->Tech1 : nullptr, InstancedPosLayout);
    CreateLayout(device, InputLayoutDesc::PosNormalTexTan, L::NormalMapFx.get(),
                 L::NormalMapFx ? L::NormalMapFx->Light1Tech : nullptr, PosNormalTexTanLayout);
}

void VertexLayouts::ReleaseAll()
{
    PosColorLayout.Reset();
    PosNormalLayout.Reset();
    Basic32Layout.Reset();
    InstancedBasic32Layout.Reset();
    PosTexLayout.Reset();
    PosLayout.Reset();
    InstancedPosLayout.Reset();
    PosNormalTexTanLayout.Reset();
}
