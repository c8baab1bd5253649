// The shipped effects on a headless device: the blur kernels spread a point by the weights the
// file defines, across thread-group boundaries and clamped at the image edges, and the combining
// pass adds the glow to the colour image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "fxruntime/EffectBlob.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"

namespace {

std::string ReadEffectFile(const char* name)
{
    std::ifstream f(std::string(EFFECT_FILES_DIR) + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// The weights as compiled, so that the expectations follow the file.
std::vector<float> BlurWeights()
{
    const std::vector<std::uint8_t> code = fxtest::CompileFile(std::string(EFFECT_FILES_DIR) + "/Blur.fx");
    EffectBlob blob;
    std::vector<float> weights;
    if (!ParseEffectBlob(code.data(), code.size(), blob))
        return weights;
    for (const EffectVariable& v : blob.variables) {
        if (v.name != "gWeights")
            continue;
        for (std::uint32_t i = 0; i < v.elements; ++i) {
            float w = 0;
            std::memcpy(&w, &blob.constantBuffers[v.buffer].initialData[v.offset + i * v.elementStride], 4);
            weights.push_back(w);
        }
    }
    return weights;
}

class ShippedEffectsGpu : public fxtest::DeviceTest {};

TEST_F(ShippedEffectsGpu, BlurSpreadsAPointByItsWeightsAcrossGroupsAndClampsAtEdges)
{
    const std::vector<float> weights = BlurWeights();
    ASSERT_EQ(11u, weights.size());
    const int radius = 5;
    ID3DX11Effect* effect = MakeEffect(ReadEffectFile("Blur.fx"));
    ASSERT_NE(nullptr, effect);

    const int length = 600;  // three groups of 256 along the blurred direction, the last one partial
    for (const bool horizontal : {true, false}) {
        const UINT width = horizontal ? length : 2, height = horizontal ? 2 : length;
        auto index = [&](int along, int across) {
            const int x = horizontal ? along : across, y = horizontal ? across : along;
            return (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 4;
        };
        std::vector<std::uint8_t> image(static_cast<std::size_t>(width) * height * 4, 0);
        auto light = [&](int along, int across) { std::memset(&image[index(along, across)], 255, 4); };
        light(256, 0);  // first texel of the second group: the apron crosses the boundary
        light(0, 1);    // both ends of the other line
        light(length - 1, 1);

        ID3D11ShaderResourceView* input = MakeTexture(width, height, image);
        ID3D11Texture2D* outTexture = nullptr;
        MakeTexture(width, height, std::vector<std::uint8_t>(image.size(), 0), &outTexture,
                    D3D11_BIND_UNORDERED_ACCESS);
        ID3D11UnorderedAccessView* output = MakeUav(outTexture);

        ID3DX11EffectPass* pass = effect->GetTechniqueByName(horizontal ? "HorzBlur" : "VertBlur")->GetPassByIndex(0);
        effect->GetVariableByName("gInput")->AsShaderResource()->SetResource(input);
        effect->GetVariableByName("gOutput")->AsUnorderedAccessView()->SetUnorderedAccessView(output);
        ASSERT_EQ(S_OK, pass->Apply(0, context));
        const UINT groups = (length + 255) / 256;
        if (horizontal)
            context->Dispatch(groups, height, 1);
        else
            context->Dispatch(width, groups, 1);
        effect->GetVariableByName("gInput")->AsShaderResource()->SetResource(nullptr);
        effect->GetVariableByName("gOutput")->AsUnorderedAccessView()->SetUnorderedAccessView(nullptr);
        pass->Apply(0, context);

        // Expected: each lit texel spreads over its neighbours; beyond the edge the edge texel repeats.
        std::vector<float> expected(static_cast<std::size_t>(length) * 2, 0.0f);
        for (const auto& [litAlong, litAcross] : {std::pair{256, 0}, std::pair{0, 1}, std::pair{length - 1, 1}})
            for (int along = 0; along < length; ++along)
                for (int i = -radius; i <= radius; ++i)
                    if (std::clamp(along + i, 0, length - 1) == litAlong)
                        expected[static_cast<std::size_t>(litAcross) * length + static_cast<std::size_t>(along)] +=
                            weights[static_cast<std::size_t>(i + radius)];

        const std::vector<std::uint8_t> bytes = ReadBytes(outTexture);
        ASSERT_EQ(image.size(), bytes.size());
        int wrong = 0;
        for (int across = 0; across < 2; ++across)
            for (int along = 0; along < length; ++along) {
                const float want =
                    255.0f * expected[static_cast<std::size_t>(across) * length + static_cast<std::size_t>(along)];
                const std::uint8_t got = bytes[index(along, across)];
                if (std::fabs(got - want) > 1.5f && ++wrong <= 8)
                    ADD_FAILURE() << (horizontal ? "horizontal" : "vertical") << " texel " << along << " of line "
                                  << across << ": " << int(got) << " instead of " << want;
            }
        EXPECT_EQ(0, wrong);
    }
}

TEST_F(ShippedEffectsGpu, CombineAddsTheGlowToTheColourImage)
{
    ID3DX11Effect* effect = MakeEffect(ReadEffectFile("Post.fx"));
    ASSERT_NE(nullptr, effect);
    // Pixel 0: no glow; pixel 1: glow on black; pixel 2: glow on a bright colour; pixel 3: both full.
    const std::vector<std::uint8_t> color = {200, 100, 50, 255, 0, 0, 0, 255, 230, 230, 230, 255, 255, 255, 255, 255};
    const std::vector<std::uint8_t> glow = {0, 0, 0, 255, 64, 128, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255};
    ID3D11ShaderResourceView* colorView = MakeTexture(4, 1, color);
    ID3D11ShaderResourceView* glowView = MakeTexture(4, 1, glow);

    // The full-screen quad the program draws: clip-space corners, identity matrices.
    const float quad[] = {-1, -1, 0, 0, 1, -1, 1, 0, 0, 0, 1, 1, 0, 1, 0, 1, -1, 0, 1, 1};
    const UINT indices[] = {0, 1, 2, 0, 2, 3};
    D3D11_BUFFER_DESC vbDesc = {};
    vbDesc.ByteWidth = sizeof quad;
    vbDesc.Usage = D3D11_USAGE_IMMUTABLE;
    vbDesc.BindFlags = D3D11_BIND_VERTEX_BUFFER;
    D3D11_SUBRESOURCE_DATA vbData = {};
    vbData.pSysMem = quad;
    ID3D11Buffer* vb = nullptr;
    ASSERT_EQ(S_OK, device->CreateBuffer(&vbDesc, &vbData, &vb));
    Keep(vb);
    D3D11_BUFFER_DESC ibDesc = vbDesc;
    ibDesc.ByteWidth = sizeof indices;
    ibDesc.BindFlags = D3D11_BIND_INDEX_BUFFER;
    D3D11_SUBRESOURCE_DATA ibData = {};
    ibData.pSysMem = indices;
    ID3D11Buffer* ib = nullptr;
    ASSERT_EQ(S_OK, device->CreateBuffer(&ibDesc, &ibData, &ib));
    Keep(ib);

    ID3DX11EffectPass* pass = effect->GetTechniqueByName("Tech1")->GetPassByIndex(0);
    D3DX11_PASS_DESC passDesc = {};
    ASSERT_EQ(S_OK, pass->GetDesc(&passDesc));
    const D3D11_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0}};
    ID3D11InputLayout* layout = nullptr;
    ASSERT_EQ(S_OK, device->CreateInputLayout(elements, 2, passDesc.pIAInputSignature, passDesc.IAInputSignatureSize,
                                              &layout));
    Keep(layout);

    const Target target = BindFloatTarget(4, 1);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const char* m : {"gWorld", "gWorldInvTranspose", "gWorldViewProj", "gTexTransform"})
        effect->GetVariableByName(m)->AsMatrix()->SetMatrix(identity);
    effect->GetVariableByName("gDiffuseMap")->AsShaderResource()->SetResource(glowView);
    effect->GetVariableByName("gDiffuseMap2")->AsShaderResource()->SetResource(colorView);
    const UINT stride = 20, offset = 0;
    context->IASetInputLayout(layout);
    context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    context->IASetIndexBuffer(ib, DXGI_FORMAT_R32_UINT, 0);
    ASSERT_EQ(S_OK, pass->Apply(0, context));
    context->DrawIndexed(6, 0, 0);

    const std::vector<fxtest::Float4> pixels = ReadFloat(target.texture);
    ASSERT_EQ(4u, pixels.size());
    for (std::size_t p = 0; p < 4; ++p) {
        for (std::size_t c = 0; c < 3; ++c) {
            const float base = color[p * 4 + c] / 255.0f, added = glow[p * 4 + c] / 255.0f;
            // Glow brightens: never below the colour, never above white, and no glow changes nothing.
            EXPECT_GE(pixels[p][c] + 1e-3f, base) << "pixel " << p << " channel " << c;
            EXPECT_LE(pixels[p][c], 1.0f) << "pixel " << p;
            if (added == 0.0f) {
                EXPECT_NEAR(base, pixels[p][c], 2e-3f) << "pixel " << p << " channel " << c;
            }
            if (base == 0.0f && added > 0.0f) {
                EXPECT_GT(pixels[p][c], added) << "glow on black must show";
            }
        }
        EXPECT_NEAR(1.0f, pixels[p][3], 1e-3f);
    }
}

}  // namespace
