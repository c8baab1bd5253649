#include "show/ScreenQuad.h"

#include <stdexcept>

#include "math/GeometryBuilder.h"
#include "platform/d3dx11/ImmutableBuffer.h"

ScreenQuadData BuildScreenQuad()
{
    GeneratedMesh mesh;
    GeometryBuilder::MakeFullscreenQuad(mesh);
    ScreenQuadData quad{};
    if (mesh.Vertices.size() != quad.vertices.size() || mesh.Indices.size() != quad.indices.size()) {
        throw std::logic_error("BuildScreenQuad: the full-screen quad is not 4 vertices and 6 indices");
    }
    // Normal and tangent are dropped: the combining pass reads position and texture coordinate only.
    for (size_t v = 0; v < quad.vertices.size(); ++v) {
        quad.vertices[v] = {mesh.Vertices[v].Position, mesh.Vertices[v].TexCoord};
    }
    for (size_t i = 0; i < quad.indices.size(); ++i) {
        quad.indices[i] = mesh.Indices[i];
    }
    return quad;
}

HRESULT CreateScreenQuadBuffers(ID3D11Device* device, const ScreenQuadData& quad, ID3D11Buffer** vertexBuffer,
                                ID3D11Buffer** indexBuffer)
{
    const HRESULT vertexResult = CreateImmutableBuffer(device, D3D11_BIND_VERTEX_BUFFER, quad.vertices.data(),
                                                       sizeof(quad.vertices), vertexBuffer);
    const HRESULT indexResult = CreateImmutableBuffer(device, D3D11_BIND_INDEX_BUFFER, quad.indices.data(),
                                                      sizeof(quad.indices), indexBuffer);
    return FAILED(vertexResult) ? vertexResult : indexResult;
}
