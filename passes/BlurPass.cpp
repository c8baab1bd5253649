#include "passes/BlurPass.h"

#include <cmath>

#include "effects/Effects.h"

namespace {

UINT PassCount(ID3DX11EffectTechnique* technique)
{
    D3DX11_TECHNIQUE_DESC desc{};
    if (FAILED(technique->GetDesc(&desc))) {
        return 0;
    }
    return desc.Passes;
}

// Compute slot 0 of both kinds emptied, so the texture just written can be read next (and back).
void UnbindComputeSlot0(ID3D11DeviceContext* context)
{
    ID3D11ShaderResourceView* const nullSrv[1] = {nullptr};
    ID3D11UnorderedAccessView* const nullUav[1] = {nullptr};
    context->CSSetShaderResources(0, 1, nullSrv);
    context->CSSetUnorderedAccessViews(0, 1, nullUav, nullptr);
}

}  // namespace

UINT BlurGroupCount(UINT pixels)
{
    const float groups = static_cast<float>(pixels) * 0.00390625f;
    return static_cast<UINT>(std::ceil(groups));
}

void BlurPass::Resize(ID3D11Device* device, UINT newWidth, UINT newHeight)
{
    scratchSRV.Reset();
    scratchUAV.Reset();

    width = newWidth;
    height = newHeight;
    format = DXGI_FORMAT_R8G8B8A8_UNORM;
    if (!device) {
        return;
    }

    D3D11_TEXTURE2D_DESC textureDesc{};
    textureDesc.Width = width;
    textureDesc.Height = height;
    textureDesc.MipLevels = 1;
    textureDesc.ArraySize = 1;
    textureDesc.Format = format;
    textureDesc.SampleDesc.Count = 1;
    textureDesc.SampleDesc.Quality = 0;
    textureDesc.Usage = D3D11_USAGE_DEFAULT;
    textureDesc.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS;
    textureDesc.CPUAccessFlags = 0;
    textureDesc.MiscFlags = 0;

    ComPtr<ID3D11Texture2D> scratch;  // the views keep it alive
    device->CreateTexture2D(&textureDesc, nullptr, scratch.Put());
    if (!scratch) {
        return;
    }

    D3D11_SHADER_RESOURCE_VIEW_DESC srvDesc{};
    srvDesc.Format = format;
    srvDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    srvDesc.Texture2D.MostDetailedMip = 0;
    srvDesc.Texture2D.MipLevels = 1;
    device->CreateShaderResourceView(scratch.Get(), &srvDesc, scratchSRV.Put());

    D3D11_UNORDERED_ACCESS_VIEW_DESC uavDesc{};
    uavDesc.Format = format;
    uavDesc.ViewDimension = D3D11_UAV_DIMENSION_TEXTURE2D;
    uavDesc.Texture2D.MipSlice = 0;
    device->CreateUnorderedAccessView(scratch.Get(), &uavDesc, scratchUAV.Put());
}

void BlurPass::BlurInPlace(ID3D11DeviceContext* context, ID3D11ShaderResourceView* inputSrv,
                           ID3D11UnorderedAccessView* inputUav)
{
    BlurEffect* fx = EffectLibrary::BlurFx.get();
    if (!context || !fx) {
        return;
    }
    const UINT horizontalPasses = PassCount(fx->HorzBlurTech);
    const UINT verticalPasses = PassCount(fx->VertBlurTech);

    for (int round = 0; round < kRounds; ++round) {
        for (UINT p = 0; p < horizontalPasses; ++p) {
            fx->Input->SetResource(inputSrv);
            fx->Output->SetUnorderedAccessView(scratchUAV.Get());
            fx->HorzBlurTech->GetPassByIndex(p)->Apply(0, context);
            context->Dispatch(BlurGroupCount(width), height, 1);
        }
        UnbindComputeSlot0(context);

        for (UINT p = 0; p < verticalPasses; ++p) {
            fx->Input->SetResource(scratchSRV.Get());
            fx->Output->SetUnorderedAccessView(inputUav);
            fx->VertBlurTech->GetPassByIndex(p)->Apply(0, context);
            context->Dispatch(width, BlurGroupCount(height), 1);
        }
        UnbindComputeSlot0(context);
    }

    // Leave nothing of the blur bound: the input is sampled next by the pixel stage.
    fx->Input->SetResource(nullptr);
    fx->Output->SetUnorderedAccessView(nullptr);
    fx->HorzBlurTech->GetPassByIndex(0)->Apply(0, context);
    fx->Input->SetResource(nullptr);
    fx->Output->SetUnorderedAccessView(nullptr);
    fx->VertBlurTech->GetPassByIndex(0)->Apply(0, context);
    context->CSSetShader(nullptr, nullptr, 0);
}
