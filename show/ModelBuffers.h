#pragma once
// The two immutable buffers of an assembled model.

#include <cstddef>
#include <cstdint>

#include "assets/ModelAssembly.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3dx11/ImmutableBuffer.h"

// The vertex buffer from every vertex and the index buffer from the first indexCount indices
// (4 bytes each). An empty list leaves its buffer null. Returns the first failure, else S_OK.
template <typename Vertex>
HRESULT CreateModelBuffers(ID3D11Device* device, const ModelData<Vertex>& model, ID3D11Buffer** vertexBuffer,
                           ID3D11Buffer** indexBuffer)
{
    *vertexBuffer = nullptr;
    *indexBuffer = nullptr;
    if (model.indexCount > model.indices.size()) {
        return E_INVALIDARG;  // a draw would read past the index list
    }
    HRESULT result = S_OK;
    if (!model.vertices.empty()) {
        result = CreateImmutableBuffer(device, D3D11_BIND_VERTEX_BUFFER, model.vertices.data(),
                                       model.vertices.size() * sizeof(Vertex), vertexBuffer);
    }
    if (model.indexCount > 0) {
        const HRESULT indexResult = CreateImmutableBuffer(device, D3D11_BIND_INDEX_BUFFER, model.indices.data(),
                                                          size_t{model.indexCount} * sizeof(uint32_t), indexBuffer);
        if (SUCCEEDED(result)) {
            result = indexResult;
        }
    }
    return result;
}
