#pragma once
// The sky: a large sphere kept centred on the camera, textured from a cube map. Depth, culling and
// the far-plane handling come from the sky effect's own pass.
#include <memory>
#include <string>

#include "math/Camera.h"
#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/D3D11.h"

class Sky {
public:
    // Loads the cube map (a missing file leaves the sky untextured) and builds a sphere of the
    // radius with 16-bit indices. Never null.
    static std::unique_ptr<Sky> Create(ID3D11Device* device, const std::wstring& cubeMapFile, float radius);

    Sky(const Sky&) = delete;
    Sky& operator=(const Sky&) = delete;

    void Draw(ID3D11DeviceContext* context, const Camera& camera);

    UINT IndexCount() const { return indexCount; }
    ID3D11ShaderResourceView* CubeMapView() const { return cubeMapView.Get(); }

private:
    Sky() = default;

    ComPtr<ID3D11Buffer> vertexBuffer;
    ComPtr<ID3D11Buffer> indexBuffer;
    ComPtr<ID3D11ShaderResourceView> cubeMapView;
    UINT indexCount = 0;
};
