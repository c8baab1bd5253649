// Device creation, the DXGI chain and swap chain, validation of descriptions, state sharing, the
// call trace and the live-object count.
#include "tests/platform/d3d11/GlDebugCheck.h"
#include "tests/platform/d3d11/GpuTestSupport.h"

namespace gputest {
namespace {

class DeviceTest : public GpuTest {};

const char* const kPosVs = R"(#version 450
layout(location = 0) in vec3 inPos;
layout(location = 1) in vec4 inColor;
layout(location = 0) out vec4 vColor;
out gl_PerVertex { vec4 gl_Position; };
void main() { gl_Position = vec4(inPos, 1.0); vColor = inColor; }
)";

TEST(DeviceCreation, FeatureLevelFollowsTheGlVersionAndALesserDeviceIsReportedAsSuch)
{
    struct Case {
        int cap;
        D3D_FEATURE_LEVEL expected;
    };
    for (const Case& c : {Case{0, D3D_FEATURE_LEVEL_11_0}, Case{44, D3D_FEATURE_LEVEL_10_1},
                          Case{41, D3D_FEATURE_LEVEL_10_1}, Case{33, D3D_FEATURE_LEVEL_10_0}}) {
        D3D11DeviceOptions options;
        options.glVersionCap = c.cap;
        D3D11SetDeviceOptions(options);
        ID3D11Device* device = nullptr;
        ID3D11DeviceContext* context = nullptr;
        D3D_FEATURE_LEVEL level{};
        ASSERT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                    &device, &level, &context),
                  S_OK);
        EXPECT_EQ(level, c.expected) << "cap " << c.cap;
        EXPECT_EQ(device->GetFeatureLevel(), c.expected);
        context->Release();
        device->Release();
        // Asking for 11.0 only from a lesser device fails and hands out nothing.
        const D3D_FEATURE_LEVEL only11 = D3D_FEATURE_LEVEL_11_0;
        device = nullptr;
        const HRESULT hr = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &only11, 1,
                                             D3D11_SDK_VERSION, &device, &level, nullptr);
        if (c.expected == D3D_FEATURE_LEVEL_11_0) {
            EXPECT_EQ(hr, S_OK);
            device->Release();
        } else {
            EXPECT_TRUE(FAILED(hr));
            EXPECT_EQ(device, nullptr);
        }
    }
    D3D11SetDeviceOptions({});
    EXPECT_TRUE(RefusedBy(D3D11Rule::DeviceArguments, [] {
        return D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, 6, nullptr, nullptr,
                                 nullptr);
    }));
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

// What the application frame does at start-up and on every resize.
TEST_F(DeviceTest, SwapChainThroughTheDxgiChainResizesBackBufferDepthAndViewport)
{
    UINT quality = 99;
    EXPECT_EQ(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 4, &quality), S_OK);
    EXPECT_EQ(quality, 0u);  // no multisampling; single sampling has one level
    EXPECT_EQ(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 1, &quality), S_OK);
    EXPECT_EQ(quality, 1u);

    IDXGIDevice* dxgiDevice = nullptr;
    ASSERT_EQ(device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice)), S_OK);
    IDXGIAdapter* adapter = nullptr;
    ASSERT_EQ(dxgiDevice->GetParent(__uuidof(IDXGIAdapter), reinterpret_cast<void**>(&adapter)), S_OK);
    IDXGIFactory* factory = nullptr;
    ASSERT_EQ(adapter->GetParent(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory)), S_OK);
    DXGI_SWAP_CHAIN_DESC sd{};
    sd.BufferDesc = {64,
                     48,
                     {60, 1},
                     DXGI_FORMAT_R8G8B8A8_UNORM,
                     DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED,
                     DXGI_MODE_SCALING_UNSPECIFIED};
    sd.SampleDesc = {1, 0};
    sd.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    sd.BufferCount = 1;
    sd.Windowed = TRUE;
    IDXGISwapChain* swapChain = nullptr;
    ASSERT_EQ(factory->CreateSwapChain(device, &sd, &swapChain), S_OK);
    Keep(swapChain);
    dxgiDevice->Release();
    adapter->Release();
    factory->Release();

    const float blue[4] = {0, 0, 1, 1};
    const char* ps = R"(#version 450
layout(location = 0) out vec4 outColor;
void main() { outColor = vec4(1.0, 1.0, 0.0, 1.0); }
)";
    context->VSSetShader(MakeVs(VertexBlob(kFullScreenVs, {})), nullptr, 0);
    context->PSSetShader(MakePs(PixelBlob(ps)), nullptr, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    // Larger than the device draws: refused before anything is allocated, the buffers keep their size.
    const std::uint64_t tooLarge = D3D11RuleCount(D3D11Rule::ResizeTooLarge);
    EXPECT_EQ(swapChain->ResizeBuffers(1, 16385, 16, DXGI_FORMAT_R8G8B8A8_UNORM, 0), DXGI_ERROR_INVALID_CALL);
    EXPECT_EQ(swapChain->ResizeBuffers(1, 16, 20000, DXGI_FORMAT_R8G8B8A8_UNORM, 0), DXGI_ERROR_INVALID_CALL);
    EXPECT_EQ(D3D11RuleCount(D3D11Rule::ResizeTooLarge), tooLarge + 2);
    for (auto [w, h] : {std::pair{64u, 48u}, std::pair{100u, 30u}, std::pair{17u, 90u}}) {
        ASSERT_EQ(swapChain->ResizeBuffers(1, w, h, DXGI_FORMAT_R8G8B8A8_UNORM, 0), S_OK);
        ID3D11Texture2D* backBuffer = nullptr;
        ASSERT_EQ(swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&backBuffer)), S_OK);
        D3D11_TEXTURE2D_DESC bd{};
        backBuffer->GetDesc(&bd);
        EXPECT_EQ(bd.Width, w);
        EXPECT_EQ(bd.Height, h);
        ID3D11RenderTargetView* rtv = nullptr;
        ASSERT_EQ(device->CreateRenderTargetView(backBuffer, nullptr, &rtv), S_OK);
        ID3D11DepthStencilView* dsv = MakeDepth(w, h);
        context->OMSetRenderTargets(1, &rtv, dsv);
        SetViewport(w, h);
        context->ClearRenderTargetView(rtv, blue);
        context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
        context->Draw(3, 0);
        EXPECT_EQ(swapChain->Present(0, 0), S_OK);
        const auto px = Capture(backBuffer, Suffix("", int(w)));
        // The full-size triangle reaches every corner: viewport and depth buffer match the new size.
        EXPECT_TRUE(Near(Pixel(px, w, 0, 0), {255, 255, 0, 255}));
        EXPECT_TRUE(Near(Pixel(px, w, w - 1, h - 1), {255, 255, 0, 255}));
        rtv->Release();
        backBuffer->Release();
    }
}

TEST_F(DeviceTest, InputLayoutMustSupplyEverySignatureInput)
{
    const auto vs = VertexBlob(
        kPosVs, {{"POSITION", 0, 0, StageComponentType::Float, 3}, {"COLOR", 0, 1, StageComponentType::Float, 4}});
    const auto signatureOnly = WriteInputSignatureBlob(
        {{"POSITION", 0, 0, StageComponentType::Float, 3}, {"COLOR", 0, 1, StageComponentType::Float, 4}});
    const D3D11_INPUT_ELEMENT_DESC full[] = {
        {"position", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},  // case does not matter
        {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"NORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 28, D3D11_INPUT_PER_VERTEX_DATA, 0},  // unused extra is fine
    };
    struct Case {
        const char* what;
        std::vector<D3D11_INPUT_ELEMENT_DESC> elements;
        bool ok;
        D3D11Rule rule = D3D11Rule::Count;
    };
    const std::vector<Case> cases = {
        {"all inputs", {full[0], full[1]}, true},
        {"extra element", {full[0], full[1], full[2]}, true},
        {"missing COLOR", {full[0]}, false, D3D11Rule::LayoutMissingInput},
        {"wrong semantic index",
         {full[0], {"COLOR", 1, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0}},
         false,
         D3D11Rule::LayoutMissingInput},
        {"integer format for a float input",
         {full[0], {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_UINT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0}},
         false,
         D3D11Rule::LayoutComponentType},
        {"duplicate semantic", {full[0], full[1], full[1]}, false, D3D11Rule::LayoutDuplicateSemantic},
        {"slot out of range",
         {full[0], {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 32, 0, D3D11_INPUT_PER_VERTEX_DATA, 0}},
         false,
         D3D11Rule::LayoutElement},
        {"per-vertex with a step rate",
         {full[0], {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 1}},
         false,
         D3D11Rule::LayoutElement},
        {"unknown format",
         {full[0], {"COLOR", 0, DXGI_FORMAT(999), 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0}},
         false,
         D3D11Rule::LayoutElement},
    };
    for (const auto* blob : {&vs, &signatureOnly})
        for (const Case& c : cases) {
            ID3D11InputLayout* layout = reinterpret_cast<ID3D11InputLayout*>(this);  // must be overwritten
            auto create = [&] {
                return device->CreateInputLayout(c.elements.data(), UINT(c.elements.size()), blob->data(), blob->size(),
                                                 &layout);
            };
            if (c.ok) {
                EXPECT_EQ(create(), S_OK) << c.what;
                if (layout != nullptr)
                    layout->Release();
            } else {
                EXPECT_TRUE(RefusedBy(c.rule, create)) << c.what;
                EXPECT_EQ(layout, nullptr) << c.what;
            }
        }
    // Bytecode that is not a signature at all.
    const std::uint8_t junk[32] = {};
    ID3D11InputLayout* layout = nullptr;
    EXPECT_TRUE(RefusedBy(D3D11Rule::LayoutSignature,
                          [&] { return device->CreateInputLayout(full, 2, junk, sizeof junk, &layout); }));
    EXPECT_EQ(layout, nullptr);
}

TEST_F(DeviceTest, InvalidDescriptionsAreRefusedByTheirRuleWithNullResults)
{
    ID3D11Buffer* buffer = nullptr;
    D3D11_BUFFER_DESC bd{0, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
    EXPECT_TRUE(RefusedBy(D3D11Rule::BufferDescription, [&] { return device->CreateBuffer(&bd, nullptr, &buffer); }));
    bd.ByteWidth = 16;
    bd.Usage = D3D11_USAGE_IMMUTABLE;
    EXPECT_TRUE(RefusedBy(D3D11Rule::BufferImmutableData, [&] { return device->CreateBuffer(&bd, nullptr, &buffer); }));
    bd = {20, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
    EXPECT_TRUE(RefusedBy(D3D11Rule::BufferConstantSize, [&] { return device->CreateBuffer(&bd, nullptr, &buffer); }));
    EXPECT_EQ(buffer, nullptr);

    ID3D11Texture2D* texture = nullptr;
    const D3D11_TEXTURE2D_DESC good{
        8, 8, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    struct Case {
        const char* what;
        void (*change)(D3D11_TEXTURE2D_DESC&);
        D3D11Rule rule;
    };
    const Case cases[] = {
        {"zero width", [](D3D11_TEXTURE2D_DESC& d) { d.Width = 0; }, D3D11Rule::TextureDescription},
        {"too many mips", [](D3D11_TEXTURE2D_DESC& d) { d.MipLevels = 5; }, D3D11Rule::TextureMipLevels},
        {"unknown format", [](D3D11_TEXTURE2D_DESC& d) { d.Format = DXGI_FORMAT(1000); },
         D3D11Rule::TextureDescription},
        {"array of no textures", [](D3D11_TEXTURE2D_DESC& d) { d.ArraySize = 0; }, D3D11Rule::TextureArraySize},
        {"array as a render target",
         [](D3D11_TEXTURE2D_DESC& d) { d.ArraySize = 2, d.BindFlags |= D3D11_BIND_RENDER_TARGET; },
         D3D11Rule::TextureArrayBinding},
        {"cube with one face", [](D3D11_TEXTURE2D_DESC& d) { d.MiscFlags = D3D11_RESOURCE_MISC_TEXTURECUBE; },
         D3D11Rule::TextureArraySize},
        {"multisampled", [](D3D11_TEXTURE2D_DESC& d) { d.SampleDesc.Count = 4; }, D3D11Rule::TextureDescription},
        {"colour format as depth", [](D3D11_TEXTURE2D_DESC& d) { d.BindFlags = D3D11_BIND_DEPTH_STENCIL; },
         D3D11Rule::TextureBindFormat},
        {"BC1 not a multiple of 4",
         [](D3D11_TEXTURE2D_DESC& d) {
             d.Format = DXGI_FORMAT_BC1_UNORM;
             d.Width = 6;
         },
         D3D11Rule::TextureBlockSize},
        {"immutable without data", [](D3D11_TEXTURE2D_DESC& d) { d.Usage = D3D11_USAGE_IMMUTABLE; },
         D3D11Rule::TextureImmutableData},
    };
    for (const Case& c : cases) {
        D3D11_TEXTURE2D_DESC d = good;
        c.change(d);
        EXPECT_TRUE(RefusedBy(c.rule, [&] { return device->CreateTexture2D(&d, nullptr, &texture); })) << c.what;
        EXPECT_EQ(texture, nullptr) << c.what;
    }
    // 3D textures are read by shaders only, and need a size in all three dimensions.
    ID3D11Texture3D* volume = nullptr;
    const D3D11_TEXTURE3D_DESC goodVolume{
        4, 4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    for (UINT bind : {UINT(D3D11_BIND_RENDER_TARGET), UINT(D3D11_BIND_UNORDERED_ACCESS)}) {
        D3D11_TEXTURE3D_DESC d = goodVolume;
        d.BindFlags |= bind;
        EXPECT_TRUE(RefusedBy(D3D11Rule::TextureArrayBinding, [&] {
            return device->CreateTexture3D(&d, nullptr, &volume);
        })) << bind;
    }
    D3D11_TEXTURE3D_DESC flat = goodVolume;
    flat.Depth = 0;
    EXPECT_TRUE(
        RefusedBy(D3D11Rule::Texture3DDescription, [&] { return device->CreateTexture3D(&flat, nullptr, &volume); }));
    EXPECT_EQ(volume, nullptr);
    ASSERT_EQ(device->CreateTexture2D(&good, nullptr, &texture), S_OK);
    Keep(texture);
    // Views need the matching bind flag.
    ID3D11RenderTargetView* rtv = nullptr;
    ID3D11UnorderedAccessView* uav = nullptr;
    ID3D11DepthStencilView* dsv = nullptr;
    EXPECT_TRUE(
        RefusedBy(D3D11Rule::ViewResource, [&] { return device->CreateRenderTargetView(texture, nullptr, &rtv); }));
    EXPECT_TRUE(
        RefusedBy(D3D11Rule::ViewResource, [&] { return device->CreateUnorderedAccessView(texture, nullptr, &uav); }));
    EXPECT_TRUE(
        RefusedBy(D3D11Rule::ViewResource, [&] { return device->CreateDepthStencilView(texture, nullptr, &dsv); }));
    EXPECT_TRUE(
        RefusedBy(D3D11Rule::ViewResource, [&] { return device->CreateRenderTargetView(nullptr, nullptr, &rtv); }));
    EXPECT_TRUE(rtv == nullptr && uav == nullptr && dsv == nullptr);

    // Shaders: wrong stage, garbage, and GLSL that does not compile.
    ID3D11VertexShader* vs = nullptr;
    ID3D11PixelShader* ps = nullptr;
    const auto psBlob = PixelBlob("#version 450\nlayout(location=0) out vec4 c;\nvoid main(){ c = vec4(1); }\n");
    EXPECT_TRUE(RefusedBy(D3D11Rule::ShaderStage,
                          [&] { return device->CreateVertexShader(psBlob.data(), psBlob.size(), nullptr, &vs); }));
    EXPECT_TRUE(RefusedBy(D3D11Rule::ShaderBlob, [&] { return device->CreateVertexShader("DXBC", 4, nullptr, &vs); }));
    // More textures than a stage's 32 GL units: the bindings would land in the next stage's units.
    std::vector<StageTexture> many;
    for (std::uint32_t i = 0; i < 33; ++i)
        many.push_back({"t" + std::to_string(i), i, StageTextureDimension::Texture2D, i, kStageNoSampler});
    const auto crowded = PixelBlob("#version 450\nlayout(location=0) out vec4 c;\nvoid main(){ c = vec4(1); }\n", {},
                                   many);
    EXPECT_TRUE(RefusedBy(D3D11Rule::ShaderUnsupported,
                          [&] { return device->CreatePixelShader(crowded.data(), crowded.size(), nullptr, &ps); }));
    EXPECT_TRUE(vs == nullptr && ps == nullptr);

    // State descriptions with out-of-range enumerations.
    D3D11_RASTERIZER_DESC rd{D3D11_FILL_MODE(1), D3D11_CULL_BACK, FALSE, 0, 0, 0, TRUE, FALSE, FALSE, FALSE};
    ID3D11RasterizerState* rs = nullptr;
    EXPECT_TRUE(RefusedBy(D3D11Rule::RasterizerDescription, [&] { return device->CreateRasterizerState(&rd, &rs); }));
    D3D11_BLEND_DESC blend{};
    blend.RenderTarget[0] = {TRUE,
                             D3D11_BLEND(0),
                             D3D11_BLEND_ONE,
                             D3D11_BLEND_OP_ADD,
                             D3D11_BLEND_ONE,
                             D3D11_BLEND_ZERO,
                             D3D11_BLEND_OP_ADD,
                             0xF};
    ID3D11BlendState* bs = nullptr;
    EXPECT_TRUE(RefusedBy(D3D11Rule::BlendDescription, [&] { return device->CreateBlendState(&blend, &bs); }));
    blend.RenderTarget[0].BlendEnable = FALSE;  // factors of a disabled target are not looked at
    EXPECT_EQ(device->CreateBlendState(&blend, &bs), S_OK);
    Keep(bs);
    D3D11_SAMPLER_DESC sd{};
    sd.Filter = D3D11_FILTER_ANISOTROPIC;
    sd.AddressU = sd.AddressV = sd.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
    sd.MaxAnisotropy = 17;
    ID3D11SamplerState* ss = nullptr;
    EXPECT_TRUE(RefusedBy(D3D11Rule::SamplerDescription, [&] { return device->CreateSamplerState(&sd, &ss); }));
    EXPECT_TRUE(rs == nullptr && ss == nullptr);
}

// A draw that cannot produce anything is dropped, and says why: the rule is counted and no GL draw
// is issued.
// GLSL the driver refuses: at creation where programs compile one at a time, at the first draw where
// they compile in parallel (the program is made only then, so shaders never drawn cost nothing).
TEST(ShaderCompile, RefusedGlslFailsAtCreationOrDropsTheFirstDrawNamingTheRule)
{
    AllowGlDebugErrorsInThisTest();
    const auto broken = PixelBlob("#version 450\nvoid main(){ this is not glsl }\n");
    for (const bool serial : {true, false}) {
        D3D11DeviceOptions options;
        options.serialShaderCompile = serial;
        D3D11SetDeviceOptions(options);
        ID3D11Device* device = nullptr;
        ID3D11DeviceContext* context = nullptr;
        ASSERT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                    &device, nullptr, &context),
                  S_OK);
        D3D11SetDeviceOptions({});
        ID3D11PixelShader* ps = nullptr;
        const std::uint64_t compile = D3D11RuleCount(D3D11Rule::ShaderCompile);
        const HRESULT hr = device->CreatePixelShader(broken.data(), broken.size(), nullptr, &ps);
        if (serial || FAILED(hr)) {
            EXPECT_EQ(hr, E_INVALIDARG) << (serial ? "serial" : "parallel");
            EXPECT_EQ(ps, nullptr);
            EXPECT_EQ(D3D11RuleCount(D3D11Rule::ShaderCompile), compile + 1);
        } else {
            // Deferred: the draw that would run it is dropped, naming both rules.
            ID3D11VertexShader* vs = nullptr;
            const auto vsBlob = VertexBlob(kFullScreenVs, {});
            ASSERT_EQ(device->CreateVertexShader(vsBlob.data(), vsBlob.size(), nullptr, &vs), S_OK);
            D3D11_TEXTURE2D_DESC td{
                4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET, 0, 0};
            ID3D11Texture2D* texture = nullptr;
            ID3D11RenderTargetView* rtv = nullptr;
            ASSERT_EQ(device->CreateTexture2D(&td, nullptr, &texture), S_OK);
            ASSERT_EQ(device->CreateRenderTargetView(texture, nullptr, &rtv), S_OK);
            const D3D11_VIEWPORT viewport{0, 0, 4, 4, 0, 1};
            context->RSSetViewports(1, &viewport);
            context->OMSetRenderTargets(1, &rtv, nullptr);
            context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
            context->VSSetShader(vs, nullptr, 0);
            context->PSSetShader(ps, nullptr, 0);
            const std::uint64_t refused = D3D11RuleCount(D3D11Rule::DrawShaderRefused);
            const std::uint64_t calls = D3D11GLCallCount(context);
            EXPECT_EQ(D3D11RuleCount(D3D11Rule::ShaderCompile), compile) << "nothing was built before the draw";
            EXPECT_EQ(D3D11ShaderLinkState(ps), D3D11LinkState::Pending);
            context->Draw(3, 0);
            EXPECT_EQ(D3D11ShaderLinkState(ps), D3D11LinkState::Refused);
            EXPECT_EQ(D3D11ProgramInTheMaking(), "");
            context->Draw(3, 0);
            EXPECT_EQ(D3D11RuleCount(D3D11Rule::ShaderCompile), compile + 1) << "reported once";
            EXPECT_EQ(D3D11RuleCount(D3D11Rule::DrawShaderRefused), refused + 2);
            EXPECT_EQ(D3D11GLCallCount(context), calls) << "a dropped draw reaches no GL";
            context->ClearState();
            rtv->Release();
            texture->Release();
            vs->Release();
            ps->Release();
        }
        context->Release();
        device->Release();
    }
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST_F(DeviceTest, DroppedDrawsNameTheirRuleAndReachNoGl)
{
    const D3D11_TEXTURE2D_DESC cd{
        4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET, 0, 0};
    ID3D11Texture2D* color = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&cd, nullptr, &color), S_OK);
    Keep(color);
    ID3D11RenderTargetView* rtv = nullptr;
    ASSERT_EQ(device->CreateRenderTargetView(color, nullptr, &rtv), S_OK);
    Keep(rtv);
    const auto vsBlob = VertexBlob(
        kPosVs, {{"POSITION", 0, 0, StageComponentType::Float, 3}, {"COLOR", 0, 1, StageComponentType::Float, 4}});
    ID3D11VertexShader* vs = MakeVs(vsBlob);
    const D3D11_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 1, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    ID3D11InputLayout* layout = nullptr;
    ASSERT_EQ(device->CreateInputLayout(elements, 2, vsBlob.data(), vsBlob.size(), &layout), S_OK);
    Keep(layout);
    const float vertices[21] = {};
    ID3D11Buffer* vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, vertices, sizeof vertices);
    const std::uint16_t indices[3] = {0, 1, 2};
    ID3D11Buffer* ib = MakeBuffer(D3D11_BIND_INDEX_BUFFER, indices, sizeof indices);
    const UINT stride = 28, offset = 0;

    auto dropped = [&](D3D11Rule rule, auto&& draw) {
        const std::uint64_t rulesBefore = D3D11RuleCount(rule), callsBefore = D3D11GLCallCount(context);
        draw();
        return D3D11RuleCount(rule) == rulesBefore + 1 && D3D11GLCallCount(context) == callsBefore;
    };
    EXPECT_TRUE(dropped(D3D11Rule::DrawNoShader, [&] { context->Draw(3, 0); }));
    context->VSSetShader(vs, nullptr, 0);
    EXPECT_TRUE(dropped(D3D11Rule::DrawNoViewport, [&] { context->Draw(3, 0); }));
    SetViewport(4, 4);
    EXPECT_TRUE(dropped(D3D11Rule::DrawTopology, [&] { context->Draw(3, 0); }));
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    EXPECT_TRUE(dropped(D3D11Rule::DrawNoLayout, [&] { context->Draw(3, 0); }));
    context->IASetInputLayout(layout);
    EXPECT_TRUE(dropped(D3D11Rule::DrawNoTargets, [&] { context->Draw(3, 0); }));
    context->OMSetRenderTargets(1, &rtv, nullptr);
    context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    EXPECT_TRUE(dropped(D3D11Rule::DrawNoVertexBuffer, [&] { context->Draw(3, 0); }));  // slot 1 is empty
    context->IASetVertexBuffers(1, 1, &vb, &stride, &offset);
    EXPECT_TRUE(dropped(D3D11Rule::DrawIndexBuffer, [&] { context->DrawIndexed(3, 0, 0); }));
    context->IASetIndexBuffer(ib, DXGI_FORMAT_R16_UINT, 0);
    EXPECT_TRUE(dropped(D3D11Rule::DrawIndicesPastEnd, [&] { context->DrawIndexed(3, 1, 0); }));
    context->OMSetBlendState(nullptr, nullptr, 0xFFFFFFFEu);  // sample 0 left out: nothing would be written
    EXPECT_TRUE(dropped(D3D11Rule::DrawSampleMaskZero, [&] { context->DrawIndexed(3, 0, 0); }));
    context->OMSetBlendState(nullptr, nullptr, 0x1u);  // sample 0 alone is all the target has
    const std::uint64_t before = D3D11GLCallCount(context);
    context->DrawIndexed(3, 0, 0);
    EXPECT_GT(D3D11GLCallCount(context), before) << "with everything bound the draw reaches GL";
    EXPECT_TRUE(dropped(D3D11Rule::DispatchNoShader, [&] { context->Dispatch(1, 1, 1); }));
}

TEST_F(DeviceTest, EqualStateDescriptionsShareOneObject)
{
    D3D11_BLEND_DESC twoTarget{};
    twoTarget.IndependentBlendEnable = TRUE;
    for (int i = 0; i < 2; ++i)
        twoTarget.RenderTarget[i] = {
            FALSE,           D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD,
            D3D11_BLEND_ONE, D3D11_BLEND_ZERO,      D3D11_BLEND_OP_ADD,        0xF};
    ID3D11BlendState *a = nullptr, *b = nullptr, *c = nullptr;
    ASSERT_EQ(device->CreateBlendState(&twoTarget, &a), S_OK);
    ASSERT_EQ(device->CreateBlendState(&twoTarget, &b), S_OK);
    EXPECT_EQ(a, b);
    twoTarget.RenderTarget[1].RenderTargetWriteMask = 0x7;
    ASSERT_EQ(device->CreateBlendState(&twoTarget, &c), S_OK);
    EXPECT_NE(a, c);
    const long live = D3D11LiveObjectCount();
    a->Release();
    EXPECT_EQ(D3D11LiveObjectCount(), live);  // b still holds it
    b->Release();
    EXPECT_EQ(D3D11LiveObjectCount(), live - 1);
    // A new object after the last release, and the description comes back unchanged.
    twoTarget.RenderTarget[1].RenderTargetWriteMask = 0xF;
    ASSERT_EQ(device->CreateBlendState(&twoTarget, &a), S_OK);
    D3D11_BLEND_DESC back{};
    a->GetDesc(&back);
    EXPECT_EQ(back.IndependentBlendEnable, TRUE);
    EXPECT_EQ(back.RenderTarget[1].SrcBlend, D3D11_BLEND_SRC_ALPHA);
    a->Release();
    c->Release();

    D3D11_SAMPLER_DESC sd{D3D11_FILTER_ANISOTROPIC,
                          D3D11_TEXTURE_ADDRESS_WRAP,
                          D3D11_TEXTURE_ADDRESS_WRAP,
                          D3D11_TEXTURE_ADDRESS_WRAP,
                          0,
                          4,
                          D3D11_COMPARISON_NEVER,
                          {0, 0, 0, 0},
                          0,
                          D3D11_FLOAT32_MAX};
    ID3D11SamplerState *s1 = nullptr, *s2 = nullptr;
    ASSERT_EQ(device->CreateSamplerState(&sd, &s1), S_OK);
    ASSERT_EQ(device->CreateSamplerState(&sd, &s2), S_OK);
    EXPECT_EQ(s1, s2);
    s1->Release();
    s2->Release();
}

TEST_F(DeviceTest, ViewsKeepTheirResourceAliveAndChildrenFindTheirDevice)
{
    const D3D11_TEXTURE2D_DESC d{8,
                                 8,
                                 1,
                                 1,
                                 DXGI_FORMAT_R8G8B8A8_UNORM,
                                 {1, 0},
                                 D3D11_USAGE_DEFAULT,
                                 D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET,
                                 0,
                                 0};
    const long before = D3D11LiveObjectCount();
    ID3D11Texture2D* texture = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&d, nullptr, &texture), S_OK);
    ID3D11ShaderResourceView* srv = nullptr;
    ASSERT_EQ(device->CreateShaderResourceView(texture, nullptr, &srv), S_OK);
    texture->Release();
    EXPECT_EQ(D3D11LiveObjectCount(), before + 2);
    ID3D11Resource* resource = nullptr;
    srv->GetResource(&resource);
    EXPECT_EQ(static_cast<ID3D11Resource*>(texture), resource);
    resource->Release();
    ID3D11Device* owner = nullptr;
    srv->GetDevice(&owner);
    EXPECT_EQ(owner, device);
    owner->Release();
    srv->Release();
    EXPECT_EQ(D3D11LiveObjectCount(), before);
}

// The blur's scratch views are described explicitly; descriptions must match the resource.
TEST_F(DeviceTest, ExplicitViewDescriptionsAreCheckedAgainstTheResource)
{
    const D3D11_TEXTURE2D_DESC d{16,
                                 16,
                                 1,
                                 1,
                                 DXGI_FORMAT_R8G8B8A8_UNORM,
                                 {1, 0},
                                 D3D11_USAGE_DEFAULT,
                                 D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS,
                                 0,
                                 0};
    ID3D11Texture2D* texture = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&d, nullptr, &texture), S_OK);
    Keep(texture);
    D3D11_SHADER_RESOURCE_VIEW_DESC srvDesc{};
    srvDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    srvDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    srvDesc.Texture2D = {0, 1};
    D3D11_UNORDERED_ACCESS_VIEW_DESC uavDesc{};
    uavDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    uavDesc.ViewDimension = D3D11_UAV_DIMENSION_TEXTURE2D;
    uavDesc.Texture2D = {0};
    ID3D11ShaderResourceView* srv = nullptr;
    ID3D11UnorderedAccessView* uav = nullptr;
    EXPECT_EQ(device->CreateShaderResourceView(texture, &srvDesc, &srv), S_OK);
    EXPECT_EQ(device->CreateUnorderedAccessView(texture, &uavDesc, &uav), S_OK);
    Keep(srv);
    Keep(uav);
    EXPECT_EQ(device->CreateShaderResourceView(texture, &srvDesc, nullptr), S_FALSE);  // validation only

    srvDesc.Format = DXGI_FORMAT_R32G32B32A32_FLOAT;
    uavDesc.Texture2D.MipSlice = 1;
    ID3D11ShaderResourceView* badSrv = nullptr;
    ID3D11UnorderedAccessView* badUav = nullptr;
    EXPECT_TRUE(RefusedBy(D3D11Rule::ViewDescription,
                          [&] { return device->CreateShaderResourceView(texture, &srvDesc, &badSrv); }));
    EXPECT_TRUE(RefusedBy(D3D11Rule::ViewDescription,
                          [&] { return device->CreateUnorderedAccessView(texture, &uavDesc, &badUav); }));
    srvDesc.Format = DXGI_FORMAT_UNKNOWN;  // "same as the resource"
    srvDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE;
    EXPECT_TRUE(RefusedBy(D3D11Rule::ViewDescription,
                          [&] { return device->CreateShaderResourceView(texture, &srvDesc, &badSrv); }));
    EXPECT_TRUE(badSrv == nullptr && badUav == nullptr);
}

TEST_F(DeviceTest, CallTraceRecordsTheContextCallsOfAFrame)
{
    Target t = MakeTarget(8, 8);
    ID3D11RenderTargetView* rtvs[2] = {t.rtv, nullptr};
    D3D11BeginCallTrace(context);
    context->OMSetRenderTargets(2, rtvs, nullptr);
    const float c[4] = {0, 0, 0, 0};
    context->ClearRenderTargetView(t.rtv, c);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->DrawIndexed(36, 0, 0);
    context->Dispatch(4, 3, 1);
    const std::vector<std::string> trace = D3D11EndCallTrace(context);
    const std::vector<std::string> expected = {"OMSetRenderTargets(2)", "ClearRenderTargetView()",
                                               "IASetPrimitiveTopology(4)", "DrawIndexed(36,0,0)", "Dispatch(4,3,1)"};
    EXPECT_EQ(trace, expected);
    context->Draw(3, 0);
    EXPECT_TRUE(D3D11EndCallTrace(context).empty());  // recording stopped
}

// A full-screen triangle that writes white, for the state-cache tests.
void MakeWhiteTriangleShaders(ID3D11Device* device, ID3D11VertexShader*& vs, ID3D11PixelShader*& ps)
{
    const auto vsBlob = VertexBlob(kFullScreenVs, {});
    const auto psBlob = PixelBlob("#version 450\nlayout(location=0) out vec4 c;\nvoid main(){ c = vec4(1); }\n");
    EXPECT_EQ(device->CreateVertexShader(vsBlob.data(), vsBlob.size(), nullptr, &vs), S_OK);
    EXPECT_EQ(device->CreatePixelShader(psBlob.data(), psBlob.size(), nullptr, &ps), S_OK);
}

// GL calls issued by the second of two identical draws.
std::uint64_t CallsOfARepeatedDraw(bool bypass)
{
    D3D11DeviceOptions options;
    options.bypassStateCache = bypass;
    D3D11SetDeviceOptions(options);
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    EXPECT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device,
                                nullptr, &context),
              S_OK);
    D3D11SetDeviceOptions({});
    const D3D11_TEXTURE2D_DESC d{
        8, 8, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET, 0, 0};
    ID3D11Texture2D* texture = nullptr;
    ID3D11RenderTargetView* rtv = nullptr;
    device->CreateTexture2D(&d, nullptr, &texture);
    device->CreateRenderTargetView(texture, nullptr, &rtv);
    ID3D11VertexShader* vs = nullptr;
    ID3D11PixelShader* ps = nullptr;
    MakeWhiteTriangleShaders(device, vs, ps);
    context->VSSetShader(vs, nullptr, 0);
    context->PSSetShader(ps, nullptr, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->OMSetRenderTargets(1, &rtv, nullptr);
    const D3D11_VIEWPORT vp{0, 0, 8, 8, 0, 1};
    context->RSSetViewports(1, &vp);
    context->Draw(3, 0);
    const std::uint64_t first = D3D11GLCallCount(context);
    context->Draw(3, 0);
    const std::uint64_t repeated = D3D11GLCallCount(context) - first;
    std::vector<std::uint8_t> pixels;
    EXPECT_TRUE(D3D11ReadTexture(texture, 0, 0, pixels));
    EXPECT_EQ(pixels.at(0), 255);
    for (IUnknown* o : std::initializer_list<IUnknown*>{vs, ps, rtv, texture})
        o->Release();
    context->ClearState();
    context->Release();
    device->Release();
    return repeated;
}

// Only the values that differ reach GL: a state object that changes one setting costs one call,
// and a depth clear between two draws costs the clear plus opening and restoring the depth mask.
TEST(StateCache, ReissuesOnlyTheValuesThatChange)
{
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    ASSERT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device,
                                nullptr, &context),
              S_OK);
    const D3D11_TEXTURE2D_DESC cd{
        8, 8, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET, 0, 0};
    const D3D11_TEXTURE2D_DESC dd{
        8, 8, 1, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_DEPTH_STENCIL, 0, 0};
    ID3D11Texture2D* color = nullptr;
    ID3D11Texture2D* depth = nullptr;
    ID3D11RenderTargetView* rtv = nullptr;
    ID3D11DepthStencilView* dsv = nullptr;
    ASSERT_EQ(device->CreateTexture2D(&cd, nullptr, &color), S_OK);
    ASSERT_EQ(device->CreateTexture2D(&dd, nullptr, &depth), S_OK);
    ASSERT_EQ(device->CreateRenderTargetView(color, nullptr, &rtv), S_OK);
    ASSERT_EQ(device->CreateDepthStencilView(depth, nullptr, &dsv), S_OK);
    ID3D11VertexShader* vs = nullptr;
    ID3D11PixelShader* ps = nullptr;
    MakeWhiteTriangleShaders(device, vs, ps);
    D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, D3D11_CULL_BACK, FALSE, 0, 0.0f, 0.0f, TRUE, FALSE, FALSE, FALSE};
    ID3D11RasterizerState* cullBack = nullptr;
    ID3D11RasterizerState* cullFront = nullptr;
    ASSERT_EQ(device->CreateRasterizerState(&rd, &cullBack), S_OK);
    rd.CullMode = D3D11_CULL_FRONT;
    ASSERT_EQ(device->CreateRasterizerState(&rd, &cullFront), S_OK);
    D3D11_DEPTH_STENCIL_DESC ds{};
    ds.DepthEnable = TRUE;
    ds.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ZERO;
    ds.DepthFunc = D3D11_COMPARISON_LESS_EQUAL;
    ID3D11DepthStencilState* noDepthWrites = nullptr;
    ASSERT_EQ(device->CreateDepthStencilState(&ds, &noDepthWrites), S_OK);

    context->VSSetShader(vs, nullptr, 0);
    context->PSSetShader(ps, nullptr, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->OMSetRenderTargets(1, &rtv, dsv);
    context->OMSetDepthStencilState(noDepthWrites, 0);
    const D3D11_VIEWPORT vp{0, 0, 8, 8, 0, 1};
    context->RSSetViewports(1, &vp);
    context->RSSetState(cullBack);
    context->Draw(3, 0);

    auto callsOf = [&](auto&& work) {
        const std::uint64_t before = D3D11GLCallCount(context);
        work();
        return D3D11GLCallCount(context) - before;
    };
    EXPECT_EQ(callsOf([&] {
                  context->RSSetState(cullFront);
                  context->Draw(3, 0);
              }),
              2u);                                                    // glCullFace and the draw
    context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH, 1.0f, 0);  // makes the clear's framebuffer
    context->Draw(3, 0);
    EXPECT_EQ(callsOf([&] {
                  context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH, 1.0f, 0);
                  context->Draw(3, 0);
              }),
              4u);  // depth mask on, the clear, depth mask off again, the draw
    EXPECT_EQ(callsOf([&] {
                  context->RSSetState(cullBack);
                  context->RSSetState(cullFront);
                  context->Draw(3, 0);
              }),
              1u);  // back where it was: the draw alone

    for (IUnknown* o :
         std::initializer_list<IUnknown*>{vs, ps, rtv, dsv, color, depth, cullBack, cullFront, noDepthWrites})
        o->Release();
    context->ClearState();
    context->Release();
    device->Release();
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST(StateCache, SkipsRepeatedStateUnlessBypassed)
{
    EXPECT_EQ(CallsOfARepeatedDraw(false), 1u);  // only the draw itself
    EXPECT_GT(CallsOfARepeatedDraw(true), 20u);
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

}  // namespace
}  // namespace gputest
