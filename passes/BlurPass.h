#pragma once
// Separable compute blur of a window-sized RGBA8 texture, in place: a horizontal pass into a scratch
// texture of the same size, a vertical pass back into the input, eight rounds. The caller keeps the
// input texture; the blur owns only the scratch texture's two views.
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/D3D11.h"

class BlurPass {
public:
    // The number of horizontal-and-vertical rounds per blur; fixed.
    static constexpr int kRounds = 8;

    BlurPass() = default;
    BlurPass(const BlurPass&) = delete;
    BlurPass& operator=(const BlurPass&) = delete;

    // (Re)creates the scratch texture for the size; the previous one is released first.
    void Resize(ID3D11Device* device, UINT newWidth, UINT newHeight);

    // Blurs the texture behind inputSrv/inputUav (same size and format as the last Resize) in place.
    // Leaves the compute stage empty and both blur variables null.
    void BlurInPlace(ID3D11DeviceContext* context, ID3D11ShaderResourceView* inputSrv,
                     ID3D11UnorderedAccessView* inputUav);

    UINT Width() const { return width; }
    UINT Height() const { return height; }
    ID3D11ShaderResourceView* ScratchSrv() const { return scratchSRV.Get(); }
    ID3D11UnorderedAccessView* ScratchUav() const { return scratchUAV.Get(); }

private:
    UINT width = 0;
    UINT height = 0;
    DXGI_FORMAT format = DXGI_FORMAT_R8G8B8A8_UNORM;
    ComPtr<ID3D11ShaderResourceView> scratchSRV;
    ComPtr<ID3D11UnorderedAccessView> scratchUAV;
};

// Thread groups along a direction of n pixels when each group covers 256: ceil(n / 256), computed
// through a float as the kernels' dispatch always has been (exact for every texture size).
UINT BlurGroupCount(UINT pixels);
