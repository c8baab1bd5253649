#pragma once
// The full-screen quad of the combining pass: four corners covering clip space with their texture
// coordinates, and two triangles of 32-bit indices.

#include <array>
#include <cstdint>

#include "assets/VertexRecords.h"
#include "platform/d3d11/D3D11.h"

struct ScreenQuadData {
    std::array<PosTexVertex, 4> vertices;
    std::array<uint32_t, 6> indices;
};

ScreenQuadData BuildScreenQuad();

// Immutable vertex (20 bytes per vertex) and index (4 bytes per index) buffers of the quad.
// Returns the first failure, else S_OK.
HRESULT CreateScreenQuadBuffers(ID3D11Device* device, const ScreenQuadData& quad, ID3D11Buffer** vertexBuffer,
                                ID3D11Buffer** indexBuffer);
