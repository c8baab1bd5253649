#include "passes/ScenePasses.h"

#include <algorithm>

#include "assets/VertexRecords.h"
#include "effects/Effects.h"
#include "effects/RenderStates.h"
#include "effects/VertexLayouts.h"

namespace {

UINT PassCount(ID3DX11EffectTechnique* technique)
{
    D3DX11_TECHNIQUE_DESC desc{};
    technique->GetDesc(&desc);
    return desc.Passes;
}

void SetMatrix(ID3DX11EffectMatrixVariable* variable, const Float4x4& matrix)
{
    variable->SetMatrix(matrix.Data());
}

template <typename T>
void SetRecord(ID3DX11EffectVariable* variable, const T& record)
{
    variable->SetRawValue(&record, 0, sizeof(T));
}

void SetEye(ID3DX11EffectVectorVariable* variable, const Float3& eye)
{
    variable->SetRawValue(&eye, 0, sizeof(Float3));
}

constexpr float kZeroBlendFactor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
constexpr UINT kAllSamples = 0xffffffffu;

}  // namespace

void DrawLitMesh(ID3D11DeviceContext* context, const MeshBuffers& mesh, const Float4x4& world, const Material& material,
                 const SpotLight& spot, const DirectionalLights& lights, const Camera& camera)
{
    BasicEffect* fx = EffectLibrary::BasicFx.get();
    if (!context || !fx) {
        return;
    }
    context->IASetInputLayout(VertexLayouts::PosNormalLayout.Get());
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    fx->DirLights->SetRawValue(lights.data(), 0, sizeof(DirectionalLights));
    SetRecord(fx->SpotLight, spot);
    SetEye(fx->EyePosW, camera.Position);

    const UINT stride = sizeof(PosNormalVertex);
    const UINT offset = 0;
    const UINT passes = PassCount(fx->Light1Tech);
    for (UINT p = 0; p < passes; ++p) {
        context->IASetVertexBuffers(0, 1, &mesh.vertexBuffer, &stride, &offset);
        context->IASetIndexBuffer(mesh.indexBuffer, DXGI_FORMAT_R32_UINT, 0);

        SetMatrix(fx->World, world);
        SetMatrix(fx->WorldInvTranspose, InverseTranspose(world));
        SetMatrix(fx->WorldViewProj, world * camera.View * camera.Projection);
        SetRecord(fx->Mat, material);

        fx->Light1Tech->GetPassByIndex(p)->Apply(0, context);
        context->DrawIndexed(mesh.indexCount, 0, 0);
    }
}

namespace {

// The cloud's 8,000 spheres are 640,000 triangles. A rasterizer that bins a frame before drawing it
// (llvmpipe, tile-based GPUs) keeps every triangle submitted and not yet drawn: in one draw that was
// 70 MiB at the peak of the show. Drawn in slices with a flush after each, it holds about one slice.
// The shader does not read the instance's index, so the slices draw exactly what one draw would.
constexpr UINT kInstancesPerSlice = 1000;

void DrawInSlices(ID3D11DeviceContext* context, UINT indexCount, UINT instanceCount)
{
    for (UINT first = 0; first < instanceCount; first += kInstancesPerSlice) {
        const UINT count = std::min(kInstancesPerSlice, instanceCount - first);
        context->DrawIndexedInstanced(indexCount, count, 0, 0, first);
        if (first + count < instanceCount) {
            context->Flush();
        }
    }
}

}  // namespace

void DrawSpheres(ID3D11DeviceContext* context, const SphereGroup& cloud, const SphereGroup& bigSphere,
                 const Camera& camera)
{
    InstancedBasicMTREffect* fx = EffectLibrary::InstancedBasicMTRFx.get();
    if (!context || !fx) {
        return;
    }
    context->IASetInputLayout(VertexLayouts::InstancedPosLayout.Get());
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    const Float4x4 viewProj = camera.ViewProjection();
    SetEye(fx->EyePosW, camera.Position);
    fx->FogColor->SetFloatVector(kSphereFogColor);
    fx->FogStart->SetFloat(kSphereFogStart);
    fx->FogRange->SetFloat(kSphereFogRange);

    const UINT strides[2] = {sizeof(PosVertex), sizeof(InstanceRecord)};
    const UINT offsets[2] = {0, 0};
    const UINT passes = PassCount(fx->Tech1);
    for (UINT p = 0; p < passes; ++p) {
        for (const SphereGroup* group : {&cloud, &bigSphere}) {
            ID3D11Buffer* const buffers[2] = {group->geometry.vertexBuffer, group->instanceBuffer};
            context->IASetVertexBuffers(0, 2, buffers, strides, offsets);
            context->IASetIndexBuffer(group->geometry.indexBuffer, DXGI_FORMAT_R32_UINT, 0);

            SetMatrix(fx->World, group->world);
            SetMatrix(fx->WorldInvTranspose, InverseTranspose(group->world));
            SetMatrix(fx->ViewProj, viewProj);

            context->OMSetBlendState(RenderStates::TwoTargetBS.Get(), kZeroBlendFactor, kAllSamples);
            fx->Tech1->GetPassByIndex(p)->Apply(0, context);
            DrawInSlices(context, group->geometry.indexCount, group->instanceCount);
        }
        context->OMSetBlendState(nullptr, kZeroBlendFactor, kAllSamples);
        context->RSSetState(nullptr);
    }
    fx->Tech1->GetPassByIndex(0)->Apply(0, context);
}

void DrawCombine(ID3D11DeviceContext* context, ID3D11Buffer* quadVertexBuffer, ID3D11Buffer* quadIndexBuffer,
                 ID3D11ShaderResourceView* blurredSrv, ID3D11ShaderResourceView* colorSrv)
{
    PostEffect* fx = EffectLibrary::PostFx.get();
    if (!context || !fx) {
        return;
    }
    context->IASetInputLayout(VertexLayouts::PosTexLayout.Get());
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    const Float4x4 identity = Identity();
    const UINT stride = sizeof(PosTexVertex);
    const UINT offset = 0;
    const UINT passes = PassCount(fx->Tech1);
    for (UINT p = 0; p < passes; ++p) {
        context->IASetVertexBuffers(0, 1, &quadVertexBuffer, &stride, &offset);
        context->IASetIndexBuffer(quadIndexBuffer, DXGI_FORMAT_R32_UINT, 0);

        SetMatrix(fx->World, identity);
        SetMatrix(fx->WorldInvTranspose, identity);
        SetMatrix(fx->WorldViewProj, identity);
        SetMatrix(fx->TexTransform, identity);
        fx->DiffuseMap->SetResource(blurredSrv);
        fx->DiffuseMap2->SetResource(colorSrv);

        fx->Tech1->GetPassByIndex(p)->Apply(0, context);
        context->DrawIndexed(6, 0, 0);
    }

    // Both targets become render targets or a compute output again next frame.
    fx->DiffuseMap->SetResource(nullptr);
    fx->DiffuseMap2->SetResource(nullptr);
    fx->Tech1->GetPassByIndex(0)->Apply(0, context);
}

void DrawPartModel(ID3D11DeviceContext* context, const PartModelDraw& model, const CorridorLighting& lighting,
                   const Camera& camera, std::span<const ComPtr<ID3D11ShaderResourceView>> sceneTextures)
{
    NormalMapEffect* fx = EffectLibrary::NormalMapFx.get();
    if (!context || !fx) {
        return;
    }
    context->IASetInputLayout(VertexLayouts::PosNormalTexTanLayout.Get());
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    fx->DirLights->SetRawValue(lighting.lights.data(), 0, sizeof(DirectionalLights));
    SetRecord(fx->SpotLight, lighting.spot);
    fx->FogColor->SetFloatVector(kCorridorFogColor);
    fx->FogStart->SetFloat(kCorridorFogStart);
    fx->FogRange->SetFloat(kCorridorFogRange);
    SetEye(fx->EyePosW, camera.Position);

    // A slot outside the texture list binds nothing rather than reading past it.
    auto texture = [&](int slot) -> ID3D11ShaderResourceView* {
        return slot >= 0 && static_cast<size_t>(slot) < sceneTextures.size() ? sceneTextures[slot].Get() : nullptr;
    };

    const Float4x4 identity = Identity();
    const UINT stride = sizeof(PosNormalTexTanVertex);
    const UINT offset = 0;
    const UINT passes = PassCount(fx->Light1TexFogTech);
    for (UINT p = 0; p < passes; ++p) {
        ID3DX11EffectPass* pass = fx->Light1TexFogTech->GetPassByIndex(p);
        context->IASetVertexBuffers(0, 1, &model.mesh.vertexBuffer, &stride, &offset);
        context->IASetIndexBuffer(model.mesh.indexBuffer, DXGI_FORMAT_R32_UINT, 0);

        bool firstCopy = true;
        for (const ModelCopy& copy : model.copies) {
            const Float4x4 world = model.baseWorld * Translation(0.0f, 0.0f, copy.zOffset);
            SetMatrix(fx->World, world);
            SetMatrix(fx->WorldInvTranspose, InverseTranspose(world));
            SetMatrix(fx->WorldViewProj, world * camera.View * camera.Projection);
            if (firstCopy) {
                SetMatrix(fx->TexTransform, identity);
                SetRecord(fx->Mat, model.material);
                firstCopy = false;
            }

            for (const DrawStep& step : model.steps) {
                if (step.firstSlot >= copy.slotCount) {
                    break;
                }
                const TextureGroup& group = GetTextureGroup(step.group);
                fx->DiffuseMap->SetResource(texture(group.diffuseSlot));
                if (group.normalSlot != kKeepNormalMap) {
                    fx->NormalMap->SetResource(texture(group.normalSlot));
                }
                pass->Apply(0, context);
                for (int slot = step.firstSlot; slot < step.endSlot; ++slot) {
                    if (static_cast<size_t>(slot) >= model.ranges.size()) {
                        break;
                    }
                    const MeshRange& range = model.ranges[slot];
                    context->DrawIndexed(range.indexCount, range.startIndex, 0);
                }
            }
            // Each copy is a scene of its own for a binning rasterizer (see kInstancesPerSlice): the
            // corridor's two copies of the room are 140,000 triangles, and held together with the
            // pods they raised the show's peak memory by 30 MiB.
            context->Flush();
        }
    }
}
