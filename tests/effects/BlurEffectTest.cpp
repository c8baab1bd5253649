// "Res/Blur.fx" run as the blur pass runs it: eight rounds of a horizontal dispatch into a
// scratch texture and a vertical one back, unbinding between steps, compared with the same
// filter on the CPU rounding to 8 bits after every pass as the texture does.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "effects/EffectPaths.h"
#include "effects/Effects.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"

namespace {

std::wstring BinExecutable()
{
    return std::wstring(SHOW_BIN_DIR L"/show");
}

UINT Groups(UINT n)
{
    return static_cast<UINT>(std::ceil(static_cast<float>(n) * 0.00390625f));
}

using Image = std::vector<std::uint8_t>;

Image CpuPass(const Image& in, UINT w, UINT h, const std::vector<float>& weights, bool horizontal)
{
    const int radius = static_cast<int>(weights.size() / 2);
    Image out(in.size());
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                float sum = 0.0f;
                for (int i = -radius; i <= radius; ++i) {
                    const int sx = horizontal ? std::clamp(static_cast<int>(x) + i, 0, static_cast<int>(w) - 1) : x;
                    const int sy = horizontal ? y : std::clamp(static_cast<int>(y) + i, 0, static_cast<int>(h) - 1);
                    sum += weights[i + radius] * (in[(sy * w + sx) * 4 + c] / 255.0f);
                }
                out[(y * w + x) * 4 + c] = static_cast<std::uint8_t>(std::lround(std::clamp(sum, 0.0f, 1.0f) * 255.0f));
            }
    return out;
}

class BlurEffectTest : public fxtest::DeviceTest, public ::testing::WithParamInterface<std::pair<UINT, UINT>> {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        SetExecutablePathSource(BinExecutable);
    }
    void TearDown() override
    {
        SetExecutablePathSource(nullptr);
        DeviceTest::TearDown();
    }
};

TEST_P(BlurEffectTest, MatchesTheCpuFilter)
{
    const auto [w, h] = GetParam();
    BlurEffect blur(device, L"Res/Blur.fx");
    ASSERT_NE(nullptr, blur.runtimeEffect);

    // The weights as the file defines them: one float per 16-byte register.
    std::vector<float> weights;
    for (UINT i = 0;; ++i) {
        float wgt = 0.0f;
        if (FAILED(blur.Weights->GetRawValue(&wgt, i * 16, 4)))
            break;
        weights.push_back(wgt);
    }
    ASSERT_EQ(1u, weights.size() % 2);
    ASSERT_GT(weights.size(), 1u);

    std::mt19937 random(w * 1000 + h);
    Image image(w * h * 4);
    for (auto& b : image)
        b = static_cast<std::uint8_t>(random() & 0xFF);

    ID3D11Texture2D* inputTexture = nullptr;
    ID3D11Texture2D* scratchTexture = nullptr;
    ID3D11ShaderResourceView* inputSrv = MakeTexture(w, h, image, &inputTexture, D3D11_BIND_UNORDERED_ACCESS);
    ID3D11UnorderedAccessView* inputUav = MakeUav(inputTexture);
    ID3D11ShaderResourceView* scratchSrv = MakeTexture(w, h, {}, &scratchTexture, D3D11_BIND_UNORDERED_ACCESS);
    ID3D11UnorderedAccessView* scratchUav = MakeUav(scratchTexture);

    ID3D11ShaderResourceView* const nullSrv[1] = {nullptr};
    ID3D11UnorderedAccessView* const nullUav[1] = {nullptr};
    for (int round = 0; round < 8; ++round) {
        blur.Input->SetResource(inputSrv);
        blur.Output->SetUnorderedAccessView(scratchUav);
        blur.HorzBlurTech->GetPassByIndex(0)->Apply(0, context);
        context->Dispatch(Groups(w), h, 1);
        context->CSSetShaderResources(0, 1, nullSrv);
        context->CSSetUnorderedAccessViews(0, 1, nullUav, nullptr);

        blur.Input->SetResource(scratchSrv);
        blur.Output->SetUnorderedAccessView(inputUav);
        blur.VertBlurTech->GetPassByIndex(0)->Apply(0, context);
        context->Dispatch(w, Groups(h), 1);
        context->CSSetShaderResources(0, 1, nullSrv);
        context->CSSetUnorderedAccessViews(0, 1, nullUav, nullptr);

        image = CpuPass(CpuPass(image, w, h, weights, true), w, h, weights, false);
    }
    blur.Input->SetResource(nullptr);
    blur.Output->SetUnorderedAccessView(nullptr);
    blur.HorzBlurTech->GetPassByIndex(0)->Apply(0, context);
    blur.VertBlurTech->GetPassByIndex(0)->Apply(0, context);
    context->CSSetShader(nullptr, nullptr, 0);

    const Image gpu = ReadBytes(inputTexture);
    ASSERT_EQ(image.size(), gpu.size());
    int worst = 0;
    std::size_t worstAt = 0;
    for (std::size_t i = 0; i < gpu.size(); ++i) {
        const int diff = std::abs(static_cast<int>(gpu[i]) - static_cast<int>(image[i]));
        if (diff > worst) {
            worst = diff;
            worstAt = i;
        }
    }
    EXPECT_LE(worst, 2) << "pixel " << worstAt / 4 << " channel " << worstAt % 4 << ": gpu " << int{gpu[worstAt]}
                        << ", cpu " << int{image[worstAt]};
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlurEffectTest,
                         ::testing::Values(std::make_pair(1u, 1u), std::make_pair(257u, 3u), std::make_pair(3u, 513u),
                                           std::make_pair(1280u, 720u)),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
                         });

}  // namespace
