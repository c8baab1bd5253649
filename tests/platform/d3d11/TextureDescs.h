#pragma once
// The description of a plain 2D texture (one level, one slice, default usage), as the device tests
// and the GL-free checks of those descriptions both build it.
#include "platform/d3d11/D3D11.h"

inline D3D11_TEXTURE2D_DESC PlainTexture2DDesc(UINT width, UINT height, DXGI_FORMAT format, UINT bind)
{
    D3D11_TEXTURE2D_DESC d{};
    d.Width = width;
    d.Height = height;
    d.MipLevels = 1;
    d.ArraySize = 1;
    d.Format = format;
    d.SampleDesc = {1, 0};
    d.Usage = D3D11_USAGE_DEFAULT;
    d.BindFlags = bind;
    return d;
}
