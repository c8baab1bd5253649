#pragma once
// Immutable buffers from memory: the one way the show makes its vertex, index and instance buffers.
#include <cstddef>

#include "platform/d3d11/D3D11.h"

// An immutable buffer (no CPU access, no flags, stride 0) holding byteWidth bytes from data.
// *buffer is set to null first; an empty or oversized byte width, null data or a null device
// creates nothing and returns E_INVALIDARG.
HRESULT CreateImmutableBuffer(ID3D11Device* device, UINT bindFlags, const void* data, std::size_t byteWidth,
                              ID3D11Buffer** buffer);
