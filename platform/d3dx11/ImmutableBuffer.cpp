#include "platform/d3dx11/ImmutableBuffer.h"

#include <limits>

HRESULT CreateImmutableBuffer(ID3D11Device* device, UINT bindFlags, const void* data, std::size_t byteWidth,
                              ID3D11Buffer** buffer)
{
    *buffer = nullptr;
    if (device == nullptr || data == nullptr || byteWidth == 0 || byteWidth > std::numeric_limits<UINT>::max()) {
        return E_INVALIDARG;
    }
    D3D11_BUFFER_DESC desc{};
    desc.ByteWidth = static_cast<UINT>(byteWidth);
    desc.Usage = D3D11_USAGE_IMMUTABLE;
    desc.BindFlags = bindFlags;
    desc.CPUAccessFlags = 0;
    desc.MiscFlags = 0;
    desc.StructureByteStride = 0;
    D3D11_SUBRESOURCE_DATA initialData{};
    initialData.pSysMem = data;
    initialData.SysMemPitch = 0;
    initialData.SysMemSlicePitch = 0;
    return device->CreateBuffer(&desc, &initialData, buffer);
}
