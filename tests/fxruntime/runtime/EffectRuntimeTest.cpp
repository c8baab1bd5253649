// The effect runtime driven as the program drives it: values set through handles reach the
// shaders at Apply and not before, nulls unbind, inert handles change nothing, and malformed code
// is refused.
#include <cstring>
#include <filesystem>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/Diagnostics.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"
#include "tests/platform/d3d11/GlDebugCheck.h"

namespace {

using fxtest::Float4;
using fxtest::NearFloat4;

// Each pixel of a one-row float target shows one value: pixel x returns probe x.
const char* const kProbeEffect = R"(
struct Block64 { float4 a; float4 b; float4 c; float4 d; };
struct Block96 { float4 a; float4 b; float4 c; float4 d; float4 e; float4 f; };

cbuffer cbValues
{
    float4x4 gColumn;
    row_major float4x4 gRow;
    float3 gEye;
    float gScalar;
    float4 gVector;
    Block64 gLights[3];
    Block96 gSpot;
    Block64 gMaterial;
};

cbuffer cbSecond
{
    float gLate = 0.5f;
};

Texture2D gTex;
SamplerState samPoint
{
    Filter = MIN_MAG_MIP_POINT;
    AddressU = CLAMP;
    AddressV = CLAMP;
};

BlendState NoWrite
{
    RenderTargetWriteMask[0] = 0;
};

float4 VS(uint id : SV_VertexID) : SV_POSITION
{
    float2 p = float2(id == 1 ? 3.0f : -1.0f, id == 2 ? -3.0f : 1.0f);
    return float4(p, 0.5f, 1.0f);
}

float4 Block64Row(Block64 b, int i)
{
    if (i == 0) return b.a;
    if (i == 1) return b.b;
    if (i == 2) return b.c;
    return b.d;
}

float4 PS(float4 pos : SV_POSITION) : SV_Target
{
    int x = (int)pos.x;
    if (x < 4) return gColumn[x];
    if (x < 8) return gRow[x - 4];
    if (x == 8) return float4(gEye, gScalar);
    if (x == 9) return gVector;
    if (x < 22) return Block64Row(gLights[(x - 10) / 4], (x - 10) % 4);
    if (x == 22) return gSpot.a;
    if (x == 23) return gSpot.b;
    if (x == 24) return gSpot.c;
    if (x == 25) return gSpot.d;
    if (x == 26) return gSpot.e;
    if (x == 27) return gSpot.f;
    if (x < 32) return Block64Row(gMaterial, x - 28);
    if (x == 32) return gTex.Load(int3(1, 0, 0));
    if (x == 33) return gTex.SampleLevel(samPoint, float2(0.25f, 0.5f), 0.0f);
    return float4(gLate, 0, 0, 1);
}

technique11 Probe
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
    pass Masked
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
        SetBlendState( NoWrite, float4(0.0f, 0.0f, 0.0f, 0.0f), 0xFFFFFFFF );
    }
    pass Unset
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
    pass Reset
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
        SetBlendState( NULL, float4(0.0f, 0.0f, 0.0f, 0.0f), 0xFFFFFFFF );
    }
}
)";

constexpr UINT kProbeWidth = 35;

const char* const kComputeEffect = R"(
cbuffer cbAdd
{
    float4 gAdd;
};

Texture2D gIn;
RWTexture2D<float4> gOut;  // only written: the RGBA8 view bound to it gives the format

[numthreads(4, 1, 1)]
void CS(int3 id : SV_DispatchThreadID)
{
    gOut[id.xy] = gIn.Load(int3(id.xy, 0)) + gAdd;
}

technique11 Add
{
    pass P0
    {
        SetVertexShader( NULL );
        SetPixelShader( NULL );
        SetComputeShader( CompileShader( cs_5_0, CS() ) );
    }
}
)";

class EffectRuntime : public fxtest::DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        if (HasFatalFailure())
            return;
        effect = MakeEffect(kProbeEffect);
        ASSERT_NE(nullptr, effect);
        probe = effect->GetTechniqueByName("Probe");
        target = BindFloatTarget(kProbeWidth, 1);
    }

    std::vector<Float4> DrawPass(UINT pass)
    {
        EXPECT_EQ(S_OK, probe->GetPassByIndex(pass)->Apply(0, context));
        context->Draw(3, 0);
        return ReadFloat(target.texture);
    }

    ID3DX11Effect* effect = nullptr;
    ID3DX11EffectTechnique* probe = nullptr;
    Target target;
};

TEST_F(EffectRuntime, EveryVariableKindReachesTheShader)
{
    // Row-major input for both majornesses: each must reach the shader as the same matrix.
    float m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<float>(i + 1);
    float n[16];
    for (int i = 0; i < 16; ++i)
        n[i] = static_cast<float>(100 + i);
    EXPECT_EQ(S_OK, effect->GetVariableByName("gColumn")->AsMatrix()->SetMatrix(m));
    EXPECT_EQ(S_OK, effect->GetVariableByName("gRow")->AsMatrix()->SetMatrix(n));
    const float eye[3] = {0.25f, -2.5f, 7.0f};
    EXPECT_EQ(S_OK, effect->GetVariableByName("gEye")->SetRawValue(eye, 0, 12));
    EXPECT_EQ(S_OK, effect->GetVariableByName("gScalar")->AsScalar()->SetFloat(42.5f));
    const float vec[4] = {1.5f, 2.5f, 3.5f, 4.5f};
    EXPECT_EQ(S_OK, effect->GetVariableByName("gVector")->AsVector()->SetFloatVector(vec));
    float lights[48], spot[24], material[16];
    for (int i = 0; i < 48; ++i)
        lights[i] = 0.5f * static_cast<float>(i);
    for (int i = 0; i < 24; ++i)
        spot[i] = -1.0f - static_cast<float>(i);
    for (int i = 0; i < 16; ++i)
        material[i] = 1000.0f + static_cast<float>(i);
    EXPECT_EQ(S_OK, effect->GetVariableByName("gLights")->SetRawValue(lights, 0, 192));
    EXPECT_EQ(S_OK, effect->GetVariableByName("gSpot")->SetRawValue(spot, 0, 96));
    EXPECT_EQ(S_OK, effect->GetVariableByName("gMaterial")->SetRawValue(material, 0, 64));
    ID3D11ShaderResourceView* texture = MakeTexture(2, 1, {51, 102, 153, 255, 255, 0, 0, 255});
    EXPECT_EQ(S_OK, effect->GetVariableByName("gTex")->AsShaderResource()->SetResource(texture));

    const std::vector<Float4> px = DrawPass(0);
    ASSERT_EQ(kProbeWidth, px.size());
    for (int r = 0; r < 4; ++r) {
        EXPECT_TRUE(NearFloat4(px[r], {m[4 * r], m[4 * r + 1], m[4 * r + 2], m[4 * r + 3]}))
            << "column-major row " << r;
        EXPECT_TRUE(NearFloat4(px[4 + r], {n[4 * r], n[4 * r + 1], n[4 * r + 2], n[4 * r + 3]}))
            << "row-major row " << r;
    }
    EXPECT_TRUE(NearFloat4(px[8], {0.25f, -2.5f, 7.0f, 42.5f}));
    EXPECT_TRUE(NearFloat4(px[9], {1.5f, 2.5f, 3.5f, 4.5f}));
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(NearFloat4(px[10 + i], {lights[4 * i], lights[4 * i + 1], lights[4 * i + 2], lights[4 * i + 3]}))
            << "light register " << i;
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(NearFloat4(px[22 + i], {spot[4 * i], spot[4 * i + 1], spot[4 * i + 2], spot[4 * i + 3]}))
            << "spot register " << i;
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(
            NearFloat4(px[28 + i], {material[4 * i], material[4 * i + 1], material[4 * i + 2], material[4 * i + 3]}))
            << "material register " << i;
    EXPECT_TRUE(NearFloat4(px[32], {1.0f, 0.0f, 0.0f, 1.0f}, 0.002f)) << "Load of texel 1";
    EXPECT_TRUE(NearFloat4(px[33], {0.2f, 0.4f, 0.6f, 1.0f}, 0.002f)) << "point sample of texel 0";
    EXPECT_TRUE(NearFloat4(px[34], {0.5f, 0.0f, 0.0f, 1.0f})) << "initial value of a second buffer";
}

TEST_F(EffectRuntime, ValuesSetAfterApplyWaitForTheNextApply)
{
    ID3DX11EffectScalarVariable* scalar = effect->GetVariableByName("gScalar")->AsScalar();
    ID3DX11EffectShaderResourceVariable* tex = effect->GetVariableByName("gTex")->AsShaderResource();
    ID3D11ShaderResourceView* red = MakeTexture(2, 1, {255, 0, 0, 255, 255, 0, 0, 255});
    ID3D11ShaderResourceView* green = MakeTexture(2, 1, {0, 255, 0, 255, 0, 255, 0, 255});
    scalar->SetFloat(1.0f);
    tex->SetResource(red);
    ASSERT_EQ(S_OK, probe->GetPassByIndex(0)->Apply(0, context));
    scalar->SetFloat(2.0f);
    tex->SetResource(green);
    context->Draw(3, 0);
    std::vector<Float4> px = ReadFloat(target.texture);
    EXPECT_EQ(1.0f, px[8][3]);
    EXPECT_TRUE(NearFloat4(px[32], {1, 0, 0, 1}, 0.002f));

    px = DrawPass(0);
    EXPECT_EQ(2.0f, px[8][3]);
    EXPECT_TRUE(NearFloat4(px[32], {0, 1, 0, 1}, 0.002f));
}

TEST_F(EffectRuntime, OnlyChangedBuffersAreUploaded)
{
    auto uploads = [this](auto&& between) {
        D3D11BeginCallTrace(context);
        between();
        int count = 0;
        for (const std::string& call : D3D11EndCallTrace(context))
            if (call.rfind("UpdateSubresource", 0) == 0)
                ++count;
        return count;
    };
    ID3DX11EffectPass* pass = probe->GetPassByIndex(0);
    // Creation uploaded the initial values; nothing has changed since.
    EXPECT_EQ(0, uploads([&] { pass->Apply(0, context); }));
    effect->GetVariableByName("gScalar")->AsScalar()->SetFloat(3.0f);
    EXPECT_EQ(1, uploads([&] { pass->Apply(0, context); }));
    EXPECT_EQ(0, uploads([&] { pass->Apply(0, context); }));
    effect->GetVariableByName("gScalar")->AsScalar()->SetFloat(4.0f);
    effect->GetVariableByName("gLate")->AsScalar()->SetFloat(4.0f);
    EXPECT_EQ(2, uploads([&] { pass->Apply(0, context); }));
}

TEST_F(EffectRuntime, NullResourceUnbindsItsSlotAtTheNextApply)
{
    ID3DX11EffectShaderResourceVariable* tex = effect->GetVariableByName("gTex")->AsShaderResource();
    tex->SetResource(MakeTexture(2, 1, {255, 255, 255, 255, 255, 255, 255, 255}));
    EXPECT_TRUE(NearFloat4(DrawPass(0)[32], {1, 1, 1, 1}, 0.002f));
    tex->SetResource(nullptr);
    ID3D11ShaderResourceView* held = reinterpret_cast<ID3D11ShaderResourceView*>(1);
    EXPECT_EQ(S_OK, tex->GetResource(&held));
    EXPECT_EQ(nullptr, held);
    const Float4 unbound = DrawPass(0)[32];
    EXPECT_EQ(0.0f, unbound[0]);
    EXPECT_EQ(0.0f, unbound[1]);
    EXPECT_EQ(0.0f, unbound[2]);
}

TEST_F(EffectRuntime, PassBlendStateUnsetKeepsDefaultBindsNull)
{
    effect->GetVariableByName("gScalar")->AsScalar()->SetFloat(5.0f);
    EXPECT_EQ(5.0f, DrawPass(0)[8][3]);
    effect->GetVariableByName("gScalar")->AsScalar()->SetFloat(6.0f);
    EXPECT_EQ(5.0f, DrawPass(1)[8][3]) << "a pass with a no-write blend state writes nothing";
    EXPECT_EQ(5.0f, DrawPass(2)[8][3]) << "a pass that sets no blend state keeps the last one";
    EXPECT_EQ(6.0f, DrawPass(3)[8][3]) << "a pass that sets the null blend state restores the default";
}

TEST_F(EffectRuntime, InertHandlesFailAndChangeNothing)
{
    ID3DX11EffectScalarVariable* scalar = effect->GetVariableByName("gScalar")->AsScalar();
    ASSERT_EQ(S_OK, scalar->SetFloat(7.0f));

    ID3DX11EffectVariable* missing = effect->GetVariableByName("gMissing");
    ASSERT_NE(nullptr, missing);
    EXPECT_FALSE(missing->IsValid());
    const float m[16] = {};
    const float v[4] = {9, 9, 9, 9};
    EXPECT_EQ(E_FAIL, missing->SetRawValue(v, 0, 4));
    EXPECT_EQ(E_FAIL, missing->AsMatrix()->SetMatrix(m));
    EXPECT_EQ(E_FAIL, missing->AsVector()->SetFloatVector(v));
    EXPECT_EQ(E_FAIL, missing->AsScalar()->SetFloat(9.0f));
    EXPECT_EQ(E_FAIL, missing->AsShaderResource()->SetResource(nullptr));
    EXPECT_EQ(E_FAIL, missing->AsUnorderedAccessView()->SetUnorderedAccessView(nullptr));

    // Typed views of another kind: a scalar is no matrix, vector or texture; a texture no scalar.
    ID3DX11EffectVariable* gScalar = effect->GetVariableByName("gScalar");
    EXPECT_FALSE(gScalar->AsMatrix()->IsValid());
    EXPECT_EQ(E_FAIL, gScalar->AsMatrix()->SetMatrix(m));
    EXPECT_EQ(E_FAIL, gScalar->AsVector()->SetFloatVector(v));
    EXPECT_EQ(E_FAIL, gScalar->AsShaderResource()->SetResource(nullptr));
    EXPECT_FALSE(effect->GetVariableByName("gTex")->AsScalar()->IsValid());
    EXPECT_FALSE(effect->GetVariableByName("gColumn")->AsVector()->IsValid());
    EXPECT_FALSE(effect->GetVariableByName("gLights")->AsScalar()->IsValid());

    // Raw writes outside the variable are refused whole.
    EXPECT_EQ(E_INVALIDARG, gScalar->SetRawValue(v, 0, 8));
    EXPECT_EQ(E_INVALIDARG, gScalar->SetRawValue(v, 4, 4));
    EXPECT_EQ(E_INVALIDARG, effect->GetVariableByName("gEye")->SetRawValue(v, 0, 16));

    float now = 0.0f;
    EXPECT_EQ(S_OK, scalar->GetFloat(&now));
    EXPECT_EQ(7.0f, now);
    EXPECT_EQ(7.0f, DrawPass(0)[8][3]);

    ID3DX11EffectTechnique* noTechnique = effect->GetTechniqueByName("Nothing");
    ASSERT_NE(nullptr, noTechnique);
    EXPECT_FALSE(noTechnique->IsValid());
    D3DX11_TECHNIQUE_DESC techniqueDesc{};
    techniqueDesc.Passes = 99;
    noTechnique->GetDesc(&techniqueDesc);
    EXPECT_EQ(0u, techniqueDesc.Passes);
    ID3DX11EffectPass* noPass = probe->GetPassByIndex(4);
    ASSERT_NE(nullptr, noPass);
    EXPECT_FALSE(noPass->IsValid());
    EXPECT_EQ(E_FAIL, noPass->Apply(0, context));
    EXPECT_FALSE(noTechnique->GetPassByIndex(0)->IsValid());
    D3DX11_PASS_DESC passDesc{};
    noPass->GetDesc(&passDesc);
    EXPECT_EQ(nullptr, passDesc.pIAInputSignature);
    EXPECT_EQ(0u, passDesc.IAInputSignatureSize);
}

TEST_F(EffectRuntime, TechniqueAndPassDescriptions)
{
    D3DX11_TECHNIQUE_DESC desc{};
    ASSERT_EQ(S_OK, probe->GetDesc(&desc));
    EXPECT_STREQ("Probe", desc.Name);
    EXPECT_EQ(4u, desc.Passes);
    EXPECT_EQ(probe, effect->GetTechniqueByName("Probe"));
    EXPECT_EQ(probe->GetPassByIndex(1), probe->GetPassByName("Masked"));
    D3DX11_PASS_DESC pass{};
    ASSERT_EQ(S_OK, probe->GetPassByIndex(0)->GetDesc(&pass));
    EXPECT_STREQ("P0", pass.Name);
    // The probe's vertex shader reads no vertex input, so its signature holds no element; it is
    // still a signature an input layout can be checked against.
    ASSERT_NE(nullptr, pass.pIAInputSignature);
    std::vector<StageInput> inputs;
    EXPECT_TRUE(ParseAnyInputSignature(pass.pIAInputSignature, pass.IAInputSignatureSize, inputs));
    EXPECT_TRUE(inputs.empty());
}

class EffectCompute : public fxtest::DeviceTest {};

TEST_F(EffectCompute, WritableTexturesAndComputePassesLeaveGraphicsAlone)
{
    ID3DX11Effect* graphics = MakeEffect(kProbeEffect);
    ID3DX11Effect* compute = MakeEffect(kComputeEffect);
    ASSERT_NE(nullptr, graphics);
    ASSERT_NE(nullptr, compute);
    ID3D11Texture2D* outTexture = nullptr;
    ID3D11ShaderResourceView* input = MakeTexture(4, 1,
                                                  {0, 0, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
    MakeTexture(4, 1, std::vector<std::uint8_t>(16, 0), &outTexture, D3D11_BIND_UNORDERED_ACCESS);
    ID3D11UnorderedAccessView* output = MakeUav(outTexture);

    const Target target = BindFloatTarget(kProbeWidth, 1);
    graphics->GetVariableByName("gScalar")->AsScalar()->SetFloat(8.0f);
    graphics->GetTechniqueByName("Probe")->GetPassByIndex(0)->Apply(0, context);

    const float add[4] = {1.0f / 255, 2.0f / 255, 3.0f / 255, 4.0f / 255};
    compute->GetVariableByName("gAdd")->AsVector()->SetFloatVector(add);
    compute->GetVariableByName("gIn")->AsShaderResource()->SetResource(input);
    compute->GetVariableByName("gOut")->AsUnorderedAccessView()->SetUnorderedAccessView(output);
    ID3DX11EffectPass* add0 = compute->GetTechniqueByName("Add")->GetPassByIndex(0);
    ASSERT_EQ(S_OK, add0->Apply(0, context));
    context->Dispatch(1, 1, 1);
    // Unbind through the effect, as the blur does, so the output can be read elsewhere.
    compute->GetVariableByName("gIn")->AsShaderResource()->SetResource(nullptr);
    compute->GetVariableByName("gOut")->AsUnorderedAccessView()->SetUnorderedAccessView(nullptr);
    add0->Apply(0, context);

    const std::vector<std::uint8_t> bytes = ReadBytes(outTexture);
    const std::vector<std::uint8_t> expected = {1, 2, 3, 4, 11, 22, 33, 44, 51, 62, 73, 84, 91, 102, 113, 124};
    ASSERT_EQ(expected.size(), bytes.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(expected[i], bytes[i], 1) << "byte " << i;

    // The compute pass left the graphics pass's shaders and buffers bound.
    context->Draw(3, 0);
    EXPECT_EQ(8.0f, ReadFloat(target.texture)[8][3]);
}

class EffectCreation : public fxtest::DeviceTest {};

TEST_F(EffectCreation, MalformedCodeIsRefusedWithANullEffect)
{
    std::string messages;
    const std::vector<std::uint8_t> code = fxtest::CompileFile(std::string(EFFECT_FILES_DIR) + "/InstancedBasicMTR.fx",
                                                               &messages);
    ASSERT_FALSE(code.empty()) << messages;

    ID3DX11Effect* effect = reinterpret_cast<ID3DX11Effect*>(1);
    EXPECT_EQ(E_INVALIDARG, D3DX11CreateEffectFromMemory(nullptr, code.size(), 0, device, &effect));
    EXPECT_EQ(nullptr, effect);
    EXPECT_EQ(E_INVALIDARG, D3DX11CreateEffectFromMemory(code.data(), code.size(), 0, nullptr, &effect));

    // Every prefix is refused: step through the header byte by byte, the rest more coarsely.
    for (std::size_t size = 0; size < code.size(); size += size < 64 ? 1 : 1 + size / 97) {
        effect = reinterpret_cast<ID3DX11Effect*>(1);
        EXPECT_EQ(D3DXERR_INVALIDDATA, D3DX11CreateEffectFromMemory(code.data(), size, 0, device, &effect)) << size;
        EXPECT_EQ(nullptr, effect);
    }
    // Trailing bytes are refused too, and flipped bytes are either refused or build a usable effect.
    // A flip inside the GLSL makes the driver report the GLSL it cannot compile.
    AllowGlDebugErrorsInThisTest();
    std::vector<std::uint8_t> longer = code;
    longer.push_back(0);
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DX11CreateEffectFromMemory(longer.data(), longer.size(), 0, device, &effect));
    for (std::size_t at = 0; at < code.size(); at += 1 + code.size() / 61) {
        std::vector<std::uint8_t> flipped = code;
        flipped[at] ^= 0xA5;
        effect = nullptr;
        if (SUCCEEDED(D3DX11CreateEffectFromMemory(flipped.data(), flipped.size(), 0, device, &effect))) {
            ASSERT_NE(nullptr, effect);
            effect->Release();
        } else {
            EXPECT_EQ(nullptr, effect) << at;
        }
    }

    ASSERT_EQ(S_OK, D3DX11CreateEffectFromMemory(code.data(), code.size(), 0, device, &effect));
    ID3DX11EffectTechnique* first = effect->GetTechniqueByName("Tech1");
    EXPECT_TRUE(first->IsValid());
    EXPECT_EQ(first, effect->GetTechniqueByName("Tech1"));
    effect->Release();
}

TEST_F(EffectCreation, CompileEntryReportsMessagesAndFailures)
{
    ID3D10Blob* code = nullptr;
    ID3D10Blob* errors = nullptr;
    HRESULT hr = S_OK;
    EXPECT_EQ(E_INVALIDARG,
              D3DX11CompileFromFileW(L"x.fx", nullptr, nullptr, nullptr, "vs_5_0", 0, 0, nullptr, &code, &errors, &hr));
    EXPECT_EQ(E_INVALIDARG, hr);

    const std::string missing = (std::filesystem::temp_directory_path() / "no-such-effect.fx").string();
    const std::wstring wideMissing(missing.begin(), missing.end());
    EXPECT_TRUE(FAILED(D3DX11CompileFromFileW(wideMissing.c_str(), nullptr, nullptr, nullptr, "fx_5_0", 0, 0, nullptr,
                                              &code, &errors, &hr)));
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(nullptr, code);
    ASSERT_NE(nullptr, errors);
    const std::string text = static_cast<const char*>(errors->GetBufferPointer());
    EXPECT_NE(std::string::npos, text.find("no-such-effect.fx")) << text;
    EXPECT_EQ('\0', static_cast<const char*>(errors->GetBufferPointer())[errors->GetBufferSize() - 1]);
    errors->Release();

    std::string messages;
    EXPECT_TRUE(fxtest::CompileText("float4 VS() : SV_POSITION { return broken; }\n"
                                    "technique11 T { pass P { SetVertexShader(CompileShader(vs_5_0, VS())); } }\n",
                                    &messages)
                    .empty());
    EXPECT_NE(std::string::npos, messages.find("error")) << messages;
}

}  // namespace
