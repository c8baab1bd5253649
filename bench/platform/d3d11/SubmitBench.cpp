// Submission cost of one frame shaped like the show's: two targets and a depth buffer, ~100 textured
// indexed draws with per-draw constants and texture changes, an instanced draw, 16 compute dispatches
// with the view unbinding between them, and a full-screen pass. The driver discards the GPU work
// (GALLIUM_NOOP=1, set here unless the environment says otherwise), so the time is our CPU cost plus
// Mesa's. Reports microseconds per frame and the GL calls our state translation issued per frame,
// with the state cache on and bypassed.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/Diagnostics.h"

namespace {

constexpr UINT kSize = 256;
constexpr int kDraws = 100;
constexpr int kTextures = 24;

const char* const kVs = R"(#version 450
layout(location = 0) in vec3 inPos;
layout(location = 1) in vec2 inUv;
layout(std140, binding = 0) uniform cbPerObject { mat4 gWorldViewProj; };
layout(location = 0) out vec2 vUv;
out gl_PerVertex { vec4 gl_Position; };
void main() { gl_Position = vec4(inPos, 1.0) * gWorldViewProj; vUv = inUv; }
)";

const char* const kPs = R"(#version 450
layout(location = 0) in vec2 vUv;
layout(std140, binding = 0) uniform cbMaterial { vec4 gTint; };
layout(binding = 0) uniform sampler2D gDiffuseMap;
layout(binding = 1) uniform sampler2D gNormalMap;
layout(location = 0) out vec4 out0;
layout(location = 1) out vec4 out1;
void main() { vec4 c = texture(gDiffuseMap, vUv) * texture(gNormalMap, vUv) * gTint; out0 = c; out1 = c; }
)";

const char* const kCs = R"(#version 450
layout(local_size_x = 256) in;
layout(binding = 0) uniform sampler2D gInput;
layout(rgba8, binding = 0) uniform writeonly image2D gOutput;
void main() { ivec2 p = ivec2(gl_GlobalInvocationID.xy); imageStore(gOutput, p, texelFetch(gInput, p, 0)); }
)";

struct Scene {
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    std::vector<IUnknown*> owned;
    ID3D11RenderTargetView* rtv[2] = {};
    ID3D11DepthStencilView* dsv = nullptr;
    ID3D11ShaderResourceView* textures[kTextures] = {};
    ID3D11ShaderResourceView* targetSrv[2] = {};
    ID3D11UnorderedAccessView* targetUav[2] = {};
    ID3D11VertexShader* vs = nullptr;
    ID3D11PixelShader* ps = nullptr;
    ID3D11ComputeShader* cs = nullptr;
    ID3D11InputLayout* layout = nullptr;
    ID3D11Buffer *vb = nullptr, *ib = nullptr, *cbObject = nullptr, *cbMaterial = nullptr;
    ID3D11SamplerState* sampler = nullptr;
    ID3D11BlendState* blend = nullptr;

    template <typename T>
    T* Own(T* p)
    {
        owned.push_back(p);
        return p;
    }

    bool Create(bool bypass)
    {
        D3D11DeviceOptions options;
        options.bypassStateCache = bypass;
        D3D11SetDeviceOptions(options);
        if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                     &device, nullptr, &context)))
            return false;
        D3D11_TEXTURE2D_DESC td{kSize,
                                kSize,
                                1,
                                1,
                                DXGI_FORMAT_R8G8B8A8_UNORM,
                                {1, 0},
                                D3D11_USAGE_DEFAULT,
                                D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS,
                                0,
                                0};
        for (int i = 0; i < 2; ++i) {
            ID3D11Texture2D* t = nullptr;
            device->CreateTexture2D(&td, nullptr, &t);
            device->CreateRenderTargetView(t, nullptr, &rtv[i]);
            device->CreateShaderResourceView(t, nullptr, &targetSrv[i]);
            device->CreateUnorderedAccessView(t, nullptr, &targetUav[i]);
            Own(rtv[i]), Own(targetSrv[i]), Own(targetUav[i]);
            t->Release();
        }
        td.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
        td.BindFlags = D3D11_BIND_DEPTH_STENCIL;
        ID3D11Texture2D* depth = nullptr;
        device->CreateTexture2D(&td, nullptr, &depth);
        device->CreateDepthStencilView(depth, nullptr, &dsv);
        Own(dsv);
        depth->Release();
        std::vector<std::uint32_t> texels(64 * 64, 0xFF808080u);
        D3D11_TEXTURE2D_DESC sd{
            64, 64, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_IMMUTABLE, D3D11_BIND_SHADER_RESOURCE, 0, 0};
        const D3D11_SUBRESOURCE_DATA init{texels.data(), 64 * 4, 0};
        for (auto& view : textures) {
            ID3D11Texture2D* t = nullptr;
            device->CreateTexture2D(&sd, &init, &t);
            device->CreateShaderResourceView(t, nullptr, &view);
            Own(view);
            t->Release();
        }
        StageBlob vsBlob{
            StageKind::Vertex,
            kVs,
            {{"POSITION", 0, 0, StageComponentType::Float, 3}, {"TEXCOORD", 0, 1, StageComponentType::Float, 2}},
            {{"cbPerObject", 0, 64}},
            {},
            {},
            {}};
        StageBlob psBlob{StageKind::Pixel,
                         kPs,
                         {},
                         {{"cbMaterial", 0, 16}},
                         {{"gDiffuseMap", 0, StageTextureDimension::Texture2D, 0, 0},
                          {"gNormalMap", 1, StageTextureDimension::Texture2D, 1, 0}},
                         {{"samLinear", 0}},
                         {}};
        StageBlob csBlob{StageKind::Compute,
                         kCs,
                         {},
                         {},
                         {{"gInput", 0, StageTextureDimension::Texture2D, 0, kStageNoSampler}},
                         {},
                         {{"gOutput", 0, StageImageFormat::Rgba8}}};
        const auto v = WriteStageBlob(vsBlob), p = WriteStageBlob(psBlob), c = WriteStageBlob(csBlob);
        device->CreateVertexShader(v.data(), v.size(), nullptr, &vs);
        device->CreatePixelShader(p.data(), p.size(), nullptr, &ps);
        device->CreateComputeShader(c.data(), c.size(), nullptr, &cs);
        const D3D11_INPUT_ELEMENT_DESC elements[] = {
            {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
            {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0}};
        device->CreateInputLayout(elements, 2, v.data(), v.size(), &layout);
        Own(vs), Own(ps), Own(cs), Own(layout);
        std::vector<float> vertices(4 * 5 * 64, 0.0f);
        std::vector<std::uint32_t> indices(6 * 64 * 4);
        for (std::size_t i = 0; i < indices.size(); ++i)
            indices[i] = static_cast<std::uint32_t>(i % 256);
        D3D11_BUFFER_DESC bd{UINT(vertices.size() * 4), D3D11_USAGE_IMMUTABLE, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
        D3D11_SUBRESOURCE_DATA vinit{vertices.data(), 0, 0}, iinit{indices.data(), 0, 0};
        device->CreateBuffer(&bd, &vinit, &vb);
        bd = {UINT(indices.size() * 4), D3D11_USAGE_IMMUTABLE, D3D11_BIND_INDEX_BUFFER, 0, 0, 0};
        device->CreateBuffer(&bd, &iinit, &ib);
        bd = {64, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
        device->CreateBuffer(&bd, nullptr, &cbObject);
        bd.ByteWidth = 16;
        device->CreateBuffer(&bd, nullptr, &cbMaterial);
        Own(vb), Own(ib), Own(cbObject), Own(cbMaterial);
        D3D11_SAMPLER_DESC samp{D3D11_FILTER_ANISOTROPIC,
                                D3D11_TEXTURE_ADDRESS_WRAP,
                                D3D11_TEXTURE_ADDRESS_WRAP,
                                D3D11_TEXTURE_ADDRESS_WRAP,
                                0,
                                4,
                                D3D11_COMPARISON_NEVER,
                                {0, 0, 0, 0},
                                0,
                                D3D11_FLOAT32_MAX};
        device->CreateSamplerState(&samp, &sampler);
        D3D11_BLEND_DESC blendDesc{};
        blendDesc.IndependentBlendEnable = TRUE;
        for (int i = 0; i < 2; ++i)
            blendDesc.RenderTarget[i].RenderTargetWriteMask = 0xF;
        device->CreateBlendState(&blendDesc, &blend);
        Own(sampler), Own(blend);
        D3D11SetDeviceOptions({});
        return vs && ps && cs && layout;
    }

    void Frame()
    {
        const float clear[4] = {0, 0, 0, 0};
        context->OMSetRenderTargets(2, rtv, dsv);
        context->ClearRenderTargetView(rtv[0], clear);
        context->ClearRenderTargetView(rtv[1], clear);
        context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
        const D3D11_VIEWPORT vp{0, 0, float(kSize), float(kSize), 0, 1};
        context->RSSetViewports(1, &vp);
        context->IASetInputLayout(layout);
        context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
        const UINT stride = 20, offset = 0;
        context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
        context->IASetIndexBuffer(ib, DXGI_FORMAT_R32_UINT, 0);
        context->VSSetShader(vs, nullptr, 0);
        context->PSSetShader(ps, nullptr, 0);
        context->PSSetSamplers(0, 1, &sampler);
        context->OMSetBlendState(blend, nullptr, 0xffffffff);
        float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        float tint[4] = {1, 1, 1, 1};
        for (int d = 0; d < kDraws; ++d) {
            // An effect pass Apply: constants, resources and state, then the draw.
            matrix[12] = float(d) * 0.001f;
            context->UpdateSubresource(cbObject, 0, nullptr, matrix, 0, 0);
            if (d % 4 == 0) {
                tint[0] = float(d % 7) / 7.0f;
                context->UpdateSubresource(cbMaterial, 0, nullptr, tint, 0, 0);
            }
            context->VSSetConstantBuffers(0, 1, &cbObject);
            context->PSSetConstantBuffers(0, 1, &cbMaterial);
            ID3D11ShaderResourceView* pair[2] = {textures[(d / 3) % kTextures], textures[(d / 3 + 1) % kTextures]};
            context->PSSetShaderResources(0, 2, pair);
            context->RSSetState(nullptr);
            context->OMSetDepthStencilState(nullptr, 0);
            context->DrawIndexed(6 * (1 + d % 8), UINT(6 * (d % 32)), 0);
        }
        context->DrawIndexedInstanced(36, 800, 0, 0, 0);
        // Blur-shaped compute: read one target, write the other, unbinding in between.
        context->OMSetRenderTargets(0, nullptr, nullptr);
        ID3D11ShaderResourceView* noSrv = nullptr;
        ID3D11UnorderedAccessView* noUav = nullptr;
        context->CSSetShader(cs, nullptr, 0);
        for (int i = 0; i < 16; ++i) {
            const int from = i % 2;
            context->CSSetShaderResources(0, 1, &targetSrv[from]);
            context->CSSetUnorderedAccessViews(0, 1, &targetUav[1 - from], nullptr);
            context->Dispatch(1, kSize, 1);
            context->CSSetShaderResources(0, 1, &noSrv);
            context->CSSetUnorderedAccessViews(0, 1, &noUav, nullptr);
        }
        context->CSSetShader(nullptr, nullptr, 0);
        context->OMSetRenderTargets(1, rtv, dsv);
        context->PSSetShaderResources(0, 2, targetSrv);
        context->DrawIndexed(6, 0, 0);
        ID3D11ShaderResourceView* none[2] = {};
        context->PSSetShaderResources(0, 2, none);
        context->Flush();
    }

    void Destroy()
    {
        for (auto it = owned.rbegin(); it != owned.rend(); ++it)
            (*it)->Release();
        context->ClearState();
        context->Release();
        device->Release();
    }
};

void BM_SubmitFrame(benchmark::State& state)
{
    Scene scene;
    if (!scene.Create(state.range(0) != 0)) {
        state.SkipWithError("device or shaders could not be created");
        return;
    }
    scene.Frame();  // warm: programs, framebuffers and VAO bindings exist
    const std::uint64_t before = D3D11GLCallCount(scene.context);
    for (auto _ : state)
        scene.Frame();
    const double frames = static_cast<double>(state.iterations());
    state.counters["gl_calls_per_frame"] = double(D3D11GLCallCount(scene.context) - before) / frames;
    D3D11BeginCallTrace(scene.context);
    scene.Frame();
    state.counters["d3d_calls_per_frame"] = double(D3D11EndCallTrace(scene.context).size());
    scene.Destroy();
}
BENCHMARK(BM_SubmitFrame)->Arg(0)->Arg(1)->ArgName("bypass_cache")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("GALLIUM_NOOP", "1", 0);
    setenv("LP_NUM_THREADS", "2", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
