// What the shaders read, on a headless device: constant buffers set by Direct3D 11's offsets
// (SetRawValue, SetMatrix, SetFloat) reach the compute shader intact however GLSL lays the block
// out; texture arrays, sampler arrays, registers, Texture2DArray, Texture3D and read-write
// scalar UAVs bind where the effect says; a colour texture read with SampleCmp is refused.
#include <cstring>

#include "tests/fxruntime/RandomConstantBuffers.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"

namespace {

using fxtest::Float4;
using fxtest::NearFloat4;

// Offsets by Direct3D 11's packing rules, worked out by hand:
//   a 0 (size 20), b 20, d 32 (size 44), c 76, m 80 (size 44), s 124, f1 128, v3 132,
//   r31 144 (size 36), m14 192 (size 52), m31 244 (size 12), light 256 (size 20), tail 276,
//   k 280, on 284; 288 bytes in all.
const char* const kLayoutEffect = R"(
struct Light { float4 Color; float Range; };

cbuffer cbLayout
{
    float              a[2];
    float              b;
    float3             d[3];
    float              c;
    float3x3           m;
    float              s;
    float              f1;
    float3             v3;
    row_major float3x1 r31;
    float1x4           m14;
    float3x1           m31;
    Light              light;
    float              tail;
    int                k;
    bool               on;
};

RWTexture2D<float4> gOut;

[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(a[0], a[1], b, c);
    gOut[int2(1, 0)] = float4(d[0], d[1].x);
    gOut[int2(2, 0)] = float4(d[1].yz, d[2].xy);
    gOut[int2(3, 0)] = float4(d[2].z, s, f1, 0.0f);
    gOut[int2(4, 0)] = float4(m[0], m[1].x);
    gOut[int2(5, 0)] = float4(m[1].yz, m[2].xy);
    gOut[int2(6, 0)] = float4(m[2].z, v3);
    gOut[int2(7, 0)] = float4(r31._m00, r31._m10, r31._m20, m31._m00);
    gOut[int2(8, 0)] = float4(m31._m10, m31._m20, tail, float(k));
    gOut[int2(9, 0)] = m14[0];
    gOut[int2(10, 0)] = light.Color;
    gOut[int2(11, 0)] = float4(light.Range, on ? 1.0f : 0.0f, mul(m14, float4(1.0f, 1.0f, 1.0f, 1.0f)), 0.0f);
}

technique11 Read { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
)";

class EffectLayoutGpu : public fxtest::DeviceTest {
protected:
    // A float RGBA texture the shaders write, read back afterwards.
    ID3D11UnorderedAccessView* MakeFloatUav(UINT width, ID3D11Texture2D** texture)
    {
        *texture = MakeTexture2D(width, 1, DXGI_FORMAT_R32G32B32A32_FLOAT, D3D11_BIND_UNORDERED_ACCESS);
        return MakeUav(*texture);
    }
    std::vector<Float4> Run(ID3DX11Effect* effect, UINT width)
    {
        ID3D11Texture2D* texture = nullptr;
        ID3D11UnorderedAccessView* uav = MakeFloatUav(width, &texture);
        effect->GetVariableByName("gOut")->AsUnorderedAccessView()->SetUnorderedAccessView(uav);
        EXPECT_EQ(S_OK, effect->GetTechniqueByIndex(0)->GetPassByIndex(0)->Apply(0, context));
        context->Dispatch(1, 1, 1);
        effect->GetVariableByName("gOut")->AsUnorderedAccessView()->SetUnorderedAccessView(nullptr);
        effect->GetTechniqueByIndex(0)->GetPassByIndex(0)->Apply(0, context);
        return ReadFloat(texture);
    }
};

TEST_F(EffectLayoutGpu, ValuesSetAtDirect3DOffsetsAreWhatTheShaderReads)
{
    ID3DX11Effect* effect = MakeEffect(kLayoutEffect);
    ASSERT_NE(nullptr, effect);
    auto var = [&](const char* name) { return effect->GetVariableByName(name); };
    auto raw = [&](const char* name, std::initializer_list<std::pair<UINT, float>> values, UINT size) {
        std::vector<std::uint8_t> bytes(size, 0);
        for (const auto& [at, v] : values)
            std::memcpy(&bytes[at], &v, 4);
        EXPECT_EQ(S_OK, var(name)->SetRawValue(bytes.data(), 0, size)) << name;
    };
    // Arrays: elements 16 bytes apart, the last one unpadded.
    raw("a", {{0, 1.0f}, {16, 2.0f}}, 20);
    EXPECT_EQ(E_INVALIDARG, var("a")->SetRawValue(std::vector<std::uint8_t>(24).data(), 0, 24));
    var("b")->AsScalar()->SetFloat(3.0f);
    raw("d", {{0, 10}, {4, 11}, {8, 12}, {16, 13}, {20, 14}, {24, 15}, {32, 16}, {36, 17}, {40, 18}}, 44);
    var("c")->AsScalar()->SetFloat(4.0f);
    // float3x3, column-major: SetMatrix takes rows; element (r, c) lands in column c's register.
    const float m[16] = {21, 22, 23, 0, 24, 25, 26, 0, 27, 28, 29, 0, 0, 0, 0, 0};
    EXPECT_EQ(S_OK, var("m")->AsMatrix()->SetMatrix(m));
    var("s")->AsScalar()->SetFloat(5.0f);
    var("f1")->AsScalar()->SetFloat(6.0f);
    raw("v3", {{0, 31}, {4, 32}, {8, 33}}, 12);
    // One-wide matrices: a row-major 3x1 is three registers, a column-major 1x4 four.
    const float r31[16] = {41, 0, 0, 0, 42, 0, 0, 0, 43, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(S_OK, var("r31")->AsMatrix()->SetMatrix(r31));
    const float m14[16] = {51, 52, 53, 54};
    EXPECT_EQ(S_OK, var("m14")->AsMatrix()->SetMatrix(m14));
    raw("m31", {{0, 61}, {4, 62}, {8, 63}}, 12);  // one column of three: one register
    raw("light", {{0, 71}, {4, 72}, {8, 73}, {12, 74}, {16, 75}}, 20);
    var("tail")->AsScalar()->SetFloat(7.0f);
    var("k")->AsScalar()->SetInt(-8);
    var("on")->AsScalar()->SetInt(1);

    const std::vector<Float4> px = Run(effect, 12);
    ASSERT_EQ(12u, px.size());
    EXPECT_TRUE(NearFloat4(px[0], {1, 2, 3, 4}));
    EXPECT_TRUE(NearFloat4(px[1], {10, 11, 12, 13}));
    EXPECT_TRUE(NearFloat4(px[2], {14, 15, 16, 17}));
    EXPECT_TRUE(NearFloat4(px[3], {18, 5, 6, 0}));
    EXPECT_TRUE(NearFloat4(px[4], {21, 22, 23, 24}));
    EXPECT_TRUE(NearFloat4(px[5], {25, 26, 27, 28}));
    EXPECT_TRUE(NearFloat4(px[6], {29, 31, 32, 33}));
    EXPECT_TRUE(NearFloat4(px[7], {41, 42, 43, 61}));
    EXPECT_TRUE(NearFloat4(px[8], {62, 63, 7, -8}));
    EXPECT_TRUE(NearFloat4(px[9], {51, 52, 53, 54}));
    EXPECT_TRUE(NearFloat4(px[10], {71, 72, 73, 74}));
    EXPECT_TRUE(NearFloat4(px[11], {75, 1, 51 + 52 + 53 + 54, 0}));

    // The column-major 1x4 matrix keeps one element per register: raw bytes 16 apart.
    float back[13] = {};
    ASSERT_EQ(S_OK, var("m14")->GetRawValue(back, 0, 52));
    EXPECT_EQ(51.0f, back[0]);
    EXPECT_EQ(52.0f, back[4]);
    EXPECT_EQ(54.0f, back[12]);
}

// Buffers whose HLSL name GLSL cannot take: the file-scope $Globals and a cbuffer named after a GLSL
// keyword. SPIRV-Cross renames their blocks; each must still be bound where its values are.
TEST_F(EffectLayoutGpu, BuffersReachTheShaderWhateverGlslCallsThem)
{
    ID3DX11Effect* effect = MakeEffect(R"(
float4 gLoose;
cbuffer buffer { float4 gKeyword; };
cbuffer cbPlain { float4 gPlainValue; };
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = gLoose;
    gOut[int2(1, 0)] = gKeyword;
    gOut[int2(2, 0)] = gPlainValue;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
)");
    ASSERT_NE(nullptr, effect);
    const float loose[4] = {1, 2, 3, 4}, keyword[4] = {5, 6, 7, 8}, plain[4] = {9, 10, 11, 12};
    EXPECT_EQ(S_OK, effect->GetVariableByName("gLoose")->AsVector()->SetFloatVector(loose));
    EXPECT_EQ(S_OK, effect->GetVariableByName("gKeyword")->AsVector()->SetFloatVector(keyword));
    EXPECT_EQ(S_OK, effect->GetVariableByName("gPlainValue")->AsVector()->SetFloatVector(plain));
    const std::vector<Float4> px = Run(effect, 3);
    ASSERT_EQ(3u, px.size());
    EXPECT_TRUE(NearFloat4(px[0], {1, 2, 3, 4}));
    EXPECT_TRUE(NearFloat4(px[1], {5, 6, 7, 8}));
    EXPECT_TRUE(NearFloat4(px[2], {9, 10, 11, 12}));
}

// HLSL's remainders take the dividend's sign, as C's do (GLSL's mod takes the divisor's).
TEST_F(EffectLayoutGpu, RemaindersTakeTheDividendsSign)
{
    ID3DX11Effect* effect = MakeEffect(R"(
float2 gXY;
int2 gIJ;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float x = gXY.x, y = gXY.y;
    int i = gIJ.x, j = gIJ.y;
    gOut[int2(0, 0)] = float4(x % y, -x % y, fmod(x, -y), fmod(-x, y));
    gOut[int2(1, 0)] = float4(i % j, -i % j, i % -j, -i % -j);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
)");
    ASSERT_NE(nullptr, effect);
    const float xy[2] = {42, 5};
    const int ij[2] = {42, 5};
    EXPECT_EQ(S_OK, effect->GetVariableByName("gXY")->SetRawValue(xy, 0, sizeof xy));
    EXPECT_EQ(S_OK, effect->GetVariableByName("gIJ")->SetRawValue(ij, 0, sizeof ij));
    const std::vector<Float4> px = Run(effect, 2);
    ASSERT_EQ(2u, px.size());
    EXPECT_TRUE(NearFloat4(px[0], {2, -2, 2, -2}));
    EXPECT_TRUE(NearFloat4(px[1], {2, -2, 2, -2}));
}

// Random buffers of floats (RandomConstantBuffers.h): every component written at the offset
// Direct3D's rules give it must be what the shader reads, one component per output texel.
TEST_F(EffectLayoutGpu, RandomBuffersReadBackComponentByComponent)
{
    fxtest::Random random(7);
    for (int round = 0; round < 12; ++round) {
        const fxtest::RandomBuffer b = fxtest::MakeRandomBuffer(random, true);
        std::string writes;
        std::vector<float> expected;
        std::vector<std::uint8_t> bytes(b.size, 0);
        for (const fxtest::RandomMember& m : b.members)
            for (std::uint32_t e = 0; e < std::max(m.elements, 1u); ++e)
                for (std::uint32_t r = 0; r < m.rows; ++r)
                    for (std::uint32_t c = 0; c < m.columns; ++c) {
                        // Appended piece by piece: GCC 12 warns wrongly about chains of string additions.
                        std::string read = m.name;
                        auto index = [&read](std::uint32_t i) {
                            read += '[';
                            read += std::to_string(i);
                            read += ']';
                        };
                        if (m.elements > 0)
                            index(e);
                        if (m.matrix)
                            index(r);
                        if (m.matrix || m.columns > 1)
                            index(c);
                        const float value = static_cast<float>(1000 * round) + static_cast<float>(expected.size()) +
                                            1.0f;
                        std::memcpy(&bytes[m.At(e, r, c)], &value, 4);
                        writes += "    gOut[int2(";
                        writes += std::to_string(expected.size());
                        writes += ", 0)] = float4(";
                        writes += read;
                        writes += ", 0.0f, 0.0f, 1.0f);\n";
                        expected.push_back(value);
                    }
        const std::string text =
            b.Declaration("cbRandom") + "RWTexture2D<float4> gOut;\n[numthreads(1, 1, 1)]\nvoid CS()\n{\n" + writes +
            "}\ntechnique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }\n";
        ID3DX11Effect* effect = MakeEffect(text);
        ASSERT_NE(nullptr, effect) << text;
        // Each member takes its bytes of the buffer image, so SetRawValue sees the Direct3D layout.
        for (const fxtest::RandomMember& m : b.members)
            ASSERT_EQ(S_OK, effect->GetVariableByName(m.name.c_str())->SetRawValue(&bytes[m.offset], 0, m.size))
                << m.name;
        const std::vector<Float4> px = Run(effect, static_cast<UINT>(expected.size()));
        ASSERT_EQ(expected.size(), px.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(expected[i], px[i][0]) << "component " << i << "\n" << text;
    }
}

const char* const kResourceEffect = R"(
Texture2DArray gLayers : register(t1);
Texture3D      gVolume;
Texture2D      gMaps[2] : register(t4);
Texture2D      gPlain;
SamplerState   samplers[2];
SamplerState   samLast : register(s5);
RWTexture2D<float4> gOut : register(u2);

[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = gLayers.Load(int4(0, 0, 2, 0));
    gOut[int2(1, 0)] = gVolume.Load(int4(1, 0, 1, 0));
    gOut[int2(2, 0)] = gMaps[1].SampleLevel(samplers[1], float2(0.5f, 0.5f), 0);
    gOut[int2(3, 0)] = gMaps[0].SampleLevel(samLast, float2(0.5f, 0.5f), 0) + gPlain.Load(int3(0, 0, 0));
}

technique11 Read { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
)";

TEST_F(EffectLayoutGpu, TextureArraysVolumesAndRegistersBindWhereDeclared)
{
    ID3DX11Effect* effect = MakeEffect(kResourceEffect);
    ASSERT_NE(nullptr, effect);
    // A 1x1 array of three layers, the third 80/255 in red.
    D3D11_TEXTURE2D_DESC ad{
        1, 1, 1, 3, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    const std::uint8_t layers[3][4] = {{10, 0, 0, 255}, {20, 0, 0, 255}, {80, 0, 0, 255}};
    const D3D11_SUBRESOURCE_DATA layerData[3] = {{layers[0], 4, 0}, {layers[1], 4, 0}, {layers[2], 4, 0}};
    ID3D11Texture2D* array = nullptr;
    ASSERT_EQ(S_OK, device->CreateTexture2D(&ad, layerData, &array));
    Keep(array);
    ID3D11ShaderResourceView* arrayView = nullptr;
    ASSERT_EQ(S_OK, device->CreateShaderResourceView(array, nullptr, &arrayView));
    Keep(arrayView);
    D3D11_SHADER_RESOURCE_VIEW_DESC got{};
    arrayView->GetDesc(&got);
    EXPECT_EQ(D3D11_SRV_DIMENSION_TEXTURE2DARRAY, got.ViewDimension);
    EXPECT_EQ(3u, got.Texture2DArray.ArraySize);

    // A 2x1x2 volume; texel (1, 0, 1) is green 160/255.
    const D3D11_TEXTURE3D_DESC vd{
        2, 1, 2, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    const std::uint8_t voxels[16] = {0, 1, 0, 255, 0, 2, 0, 255, 0, 3, 0, 255, 0, 160, 0, 255};
    const D3D11_SUBRESOURCE_DATA volumeData{voxels, 8, 8};
    ID3D11Texture3D* volume = nullptr;
    ASSERT_EQ(S_OK, device->CreateTexture3D(&vd, &volumeData, &volume));
    Keep(volume);
    ID3D11ShaderResourceView* volumeView = nullptr;
    ASSERT_EQ(S_OK, device->CreateShaderResourceView(volume, nullptr, &volumeView));
    Keep(volumeView);
    ID3D11Resource* back = nullptr;
    volumeView->GetResource(&back);
    D3D11_RESOURCE_DIMENSION dimension{};
    back->GetType(&dimension);
    EXPECT_EQ(D3D11_RESOURCE_DIMENSION_TEXTURE3D, dimension);
    back->Release();

    ID3D11ShaderResourceView* maps[2] = {MakeTexture(1, 1, {0, 0, 40, 255}), MakeTexture(1, 1, {0, 0, 120, 255})};
    ID3D11ShaderResourceView* plain = MakeTexture(1, 1, {0, 0, 0, 100});
    ID3DX11EffectShaderResourceVariable* mapsVar = effect->GetVariableByName("gMaps")->AsShaderResource();
    EXPECT_EQ(S_OK, mapsVar->SetResourceArray(maps, 0, 2));
    EXPECT_EQ(E_INVALIDARG, mapsVar->SetResourceArray(maps, 1, 2));
    effect->GetVariableByName("gLayers")->AsShaderResource()->SetResource(arrayView);
    effect->GetVariableByName("gVolume")->AsShaderResource()->SetResource(volumeView);
    effect->GetVariableByName("gPlain")->AsShaderResource()->SetResource(plain);

    const std::vector<Float4> px = Run(effect, 4);
    ASSERT_EQ(4u, px.size());
    const float tolerance = 0.5f / 255;
    EXPECT_TRUE(NearFloat4(px[0], {80 / 255.0f, 0, 0, 1}, tolerance));
    EXPECT_TRUE(NearFloat4(px[1], {0, 160 / 255.0f, 0, 1}, tolerance));
    EXPECT_TRUE(NearFloat4(px[2], {0, 0, 120 / 255.0f, 1}, tolerance));
    EXPECT_TRUE(NearFloat4(px[3], {0, 0, 40 / 255.0f, 1 + 100 / 255.0f}, tolerance));
    for (ID3D11ShaderResourceView* v : {arrayView, volumeView, plain})
        for (const char* name : {"gLayers", "gVolume", "gPlain"})
            if (v != nullptr)
                effect->GetVariableByName(name)->AsShaderResource()->SetResource(nullptr);
    ID3D11ShaderResourceView* none[2] = {nullptr, nullptr};
    mapsVar->SetResourceArray(none, 0, 2);
}

const char* const kReadWriteEffect = R"(
RWTexture2D<float> gHeights;
Texture2D<float> gIn;
RWTexture2D<float4> gOut;

[numthreads(2, 1, 1)]
void Scale(uint3 id : SV_DispatchThreadID) { gHeights[id.xy] = gHeights[id.xy] * 2.0f + 1.0f; }

[numthreads(2, 1, 1)]
void Show(uint3 id : SV_DispatchThreadID) { gOut[id.xy] = float4(gIn.Load(int3(id.xy, 0)), 0.0f, 0.0f, 1.0f); }

technique11 Show { pass P0 { SetComputeShader( CompileShader( cs_5_0, Show() ) ); } }
technique11 Scale { pass P0 { SetComputeShader( CompileShader( cs_5_0, Scale() ) ); } }
)";

TEST_F(EffectLayoutGpu, ScalarWritableTexturesAreReadAndWritten)
{
    ID3DX11Effect* effect = MakeEffect(kReadWriteEffect);
    ASSERT_NE(nullptr, effect);
    const float heights[2] = {1.5f, -4.0f};
    const D3D11_TEXTURE2D_DESC d{2,
                                 1,
                                 1,
                                 1,
                                 DXGI_FORMAT_R32_FLOAT,
                                 {1, 0},
                                 D3D11_USAGE_DEFAULT,
                                 D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS,
                                 0,
                                 0};
    const D3D11_SUBRESOURCE_DATA init{heights, 8, 0};
    ID3D11Texture2D* texture = nullptr;
    ASSERT_EQ(S_OK, device->CreateTexture2D(&d, &init, &texture));
    Keep(texture);
    ID3D11UnorderedAccessView* uav = MakeUav(texture);
    ID3D11ShaderResourceView* srv = nullptr;
    ASSERT_EQ(S_OK, device->CreateShaderResourceView(texture, nullptr, &srv));
    Keep(srv);
    ID3DX11EffectPass* scale = effect->GetTechniqueByName("Scale")->GetPassByIndex(0);
    effect->GetVariableByName("gHeights")->AsUnorderedAccessView()->SetUnorderedAccessView(uav);
    ASSERT_EQ(S_OK, scale->Apply(0, context));
    context->Dispatch(1, 1, 1);
    effect->GetVariableByName("gHeights")->AsUnorderedAccessView()->SetUnorderedAccessView(nullptr);
    scale->Apply(0, context);
    effect->GetVariableByName("gIn")->AsShaderResource()->SetResource(srv);
    const std::vector<Float4> px = Run(effect, 2);
    effect->GetVariableByName("gIn")->AsShaderResource()->SetResource(nullptr);
    ASSERT_EQ(2u, px.size());
    EXPECT_TRUE(NearFloat4(px[0], {4.0f, 0, 0, 1}));
    EXPECT_TRUE(NearFloat4(px[1], {-7.0f, 0, 0, 1}));
}

}  // namespace

// GL compares only with textures of a depth format: a colour texture read with SampleCmp would be
// sampled without the comparison, so the dispatch is dropped with its rule, and nothing is written.
TEST_F(EffectLayoutGpu, ComparisonSamplingOfAColourTextureIsDropped)
{
    ID3DX11Effect* effect = MakeEffect(R"(
Texture2D<float> gMap;
SamplerComparisonState gLess { Filter = COMPARISON_MIN_MAG_MIP_POINT; ComparisonFunc = LESS; };
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { gOut[int2(0, 0)] = gMap.SampleCmpLevelZero(gLess, float2(0.5, 0.5), 0.5); }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
)");
    ASSERT_NE(nullptr, effect);
    const float texel = 0.75f;
    ID3D11Texture2D* texture = MakeTexture2D(1, 1, DXGI_FORMAT_R32_FLOAT, D3D11_BIND_SHADER_RESOURCE, &texel, 4);
    ID3D11ShaderResourceView* view = nullptr;
    ASSERT_EQ(S_OK, device->CreateShaderResourceView(texture, nullptr, &view));
    Keep(view);
    EXPECT_EQ(S_OK, effect->GetVariableByName("gMap")->AsShaderResource()->SetResource(view));
    const std::uint64_t before = D3D11RuleCount(D3D11Rule::DrawComparisonOnColour);
    const std::vector<Float4> px = Run(effect, 1);
    EXPECT_EQ(before + 1, D3D11RuleCount(D3D11Rule::DrawComparisonOnColour));
    ASSERT_EQ(1u, px.size());
    EXPECT_TRUE(NearFloat4(px[0], {0, 0, 0, 0}));  // the texture as created: nothing was written
}
