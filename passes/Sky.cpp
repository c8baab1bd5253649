#include "passes/Sky.h"

#include <cstdint>
#include <iostream>
#include <vector>

#include "assets/VertexRecords.h"
#include "effects/Effects.h"
#include "effects/VertexLayouts.h"
#include "math/GeometryBuilder.h"
#include "platform/d3dx11/D3DX11Texture.h"
#include "platform/d3dx11/ImmutableBuffer.h"
#include "platform/win32/Win32Platform.h"

std::unique_ptr<Sky> Sky::Create(ID3D11Device* device, const std::wstring& cubeMapFile, float radius)
{
    std::unique_ptr<Sky> sky(new Sky());
    if (!device) {
        return sky;
    }
    D3DX11CreateShaderResourceViewFromFileW(device, cubeMapFile.c_str(), nullptr, nullptr, sky->cubeMapView.Put(),
                                            nullptr);

    GeneratedMesh sphere;
    GeometryBuilder::MakeSphere(radius, sphere);

    // 16-bit indices cannot address more vertices than this; a sphere that needs more is not drawn.
    if (sphere.Vertices.size() > 65536) {
        std::cerr << "Sky: the sphere has " << sphere.Vertices.size()
                  << " vertices, more than 16-bit indices can address; the sky is not drawn.\n";
        return sky;
    }

    std::vector<PosVertex> positions;
    positions.reserve(sphere.Vertices.size());
    for (const GeometryVertex& vertex : sphere.Vertices) {
        positions.push_back(PosVertex{vertex.Position});
    }
    std::vector<std::uint16_t> indices;
    indices.reserve(sphere.Indices.size());
    for (std::uint32_t index : sphere.Indices) {
        indices.push_back(static_cast<std::uint16_t>(index));
    }

    if (!positions.empty()) {
        CreateImmutableBuffer(device, D3D11_BIND_VERTEX_BUFFER, positions.data(), positions.size() * sizeof(PosVertex),
                              sky->vertexBuffer.Put());
    }
    sky->indexCount = static_cast<UINT>(indices.size());
    if (!indices.empty()) {
        CreateImmutableBuffer(device, D3D11_BIND_INDEX_BUFFER, indices.data(), indices.size() * sizeof(std::uint16_t),
                              sky->indexBuffer.Put());
    }
    return sky;
}

void Sky::Draw(ID3D11DeviceContext* context, const Camera& camera)
{
    SkyEffect* fx = EffectLibrary::SkyFx.get();
    if (!context || !fx) {
        return;
    }
    const Float3 eye = camera.Position;
    const Float4x4 worldViewProj = Translation(eye.x, eye.y, eye.z) * camera.ViewProjection();
    fx->WorldViewProj->SetMatrix(worldViewProj.Data());
    fx->CubeMap->SetResource(cubeMapView.Get());

    const UINT stride = sizeof(PosVertex);
    const UINT offset = 0;
    context->IASetVertexBuffers(0, 1, vertexBuffer.GetAddressOf(), &stride, &offset);
    context->IASetIndexBuffer(indexBuffer.Get(), DXGI_FORMAT_R16_UINT, 0);
    context->IASetInputLayout(VertexLayouts::PosLayout.Get());
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    D3DX11_TECHNIQUE_DESC techDesc{};
    fx->SkyTech->GetDesc(&techDesc);
    for (UINT p = 0; p < techDesc.Passes; ++p) {
        fx->SkyTech->GetPassByIndex(p)->Apply(0, context);
        context->DrawIndexed(indexCount, 0, 0);
    }
}
