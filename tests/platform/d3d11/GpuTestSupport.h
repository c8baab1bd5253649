#pragma once
// Shared helpers of the graphics-layer tests: a headless device per test, stage blobs from
// hand-written GLSL, read-back and PNG output, and the live-object check at the end.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/D3D11.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/d3d11/Validation.h"

namespace gputest {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// Writes tightly packed RGBA8 rows (top first) as a PNG under output/<folder>/.
void WritePng(const std::string& folder, const std::string& name, UINT width, UINT height,
              const std::vector<std::uint8_t>& rgba);

std::vector<std::uint8_t> VertexBlob(const std::string& glsl, std::vector<StageInput> inputs,
                                     std::vector<StageConstantBuffer> cbs = {},
                                     std::vector<StageTexture> textures = {});
std::vector<std::uint8_t> PixelBlob(const std::string& glsl, std::vector<StageConstantBuffer> cbs = {},
                                    std::vector<StageTexture> textures = {});
std::vector<std::uint8_t> ComputeBlob(const std::string& glsl, std::vector<StageImage> images,
                                      std::vector<StageTexture> textures = {});

// Vertex shader drawing one triangle that covers the viewport, without vertex buffers, with a
// Direct3D-style texture coordinate (0,0 at the top left) at location 0.
extern const char* const kFullScreenVs;

class GpuTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Releases everything handed to Keep, in reverse order.
    template <typename T>
    T* Keep(T* object)
    {
        if (object != nullptr)
            kept_.push_back(object);
        return object;
    }
    struct Target {
        ID3D11Texture2D* texture = nullptr;
        ID3D11RenderTargetView* rtv = nullptr;
    };
    // A default-usage 2D texture of one level and one slice, with the first level's rows when given
    // (`pitch` bytes apart); kept.
    ID3D11Texture2D* MakeTexture2D(UINT width, UINT height, DXGI_FORMAT format, UINT bind, const void* data = nullptr,
                                   UINT pitch = 0);
    Target MakeTarget(UINT width, UINT height, DXGI_FORMAT format = DXGI_FORMAT_R8G8B8A8_UNORM, UINT extraBind = 0);
    ID3D11DepthStencilView* MakeDepth(UINT width, UINT height);
    ID3D11Buffer* MakeBuffer(UINT bind, const void* data, UINT size, D3D11_USAGE usage = D3D11_USAGE_IMMUTABLE);
    ID3D11VertexShader* MakeVs(const std::vector<std::uint8_t>& blob);
    ID3D11PixelShader* MakePs(const std::vector<std::uint8_t>& blob);
    void SetViewport(UINT width, UINT height);
    // Reads the texture and writes it as <test name>.png; returns the pixels.
    std::vector<std::uint8_t> Capture(ID3D11Texture2D* texture, const std::string& suffix = "");
    static Rgba Pixel(const std::vector<std::uint8_t>& rgba, UINT width, UINT x, UINT y);

    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_9_1;

private:
    std::vector<IUnknown*> kept_;
};

// "-<what><n>" for image names (built by appending: GCC 12 misfires on operator+ here).
inline std::string Suffix(const char* what, int n = -1)
{
    std::string s = "-";
    s += what;
    if (n >= 0)
        s += std::to_string(n);
    return s;
}

// Runs `call` (a creation or other call that returns an HRESULT) and checks that it failed with
// `code` because of `rule`, and of no other rule.
template <typename Call>
::testing::AssertionResult RefusedBy(D3D11Rule rule, Call&& call, HRESULT code = E_INVALIDARG)
{
    std::array<std::uint64_t, static_cast<size_t>(D3D11Rule::Count)> before{};
    for (size_t i = 0; i < before.size(); ++i)
        before[i] = D3D11RuleCount(D3D11Rule(i));
    const HRESULT hr = call();
    if (hr != code)
        return ::testing::AssertionFailure() << "returned 0x" << std::hex << hr;
    for (size_t i = 0; i < before.size(); ++i) {
        const std::uint64_t fired = D3D11RuleCount(D3D11Rule(i)) - before[i];
        if ((D3D11Rule(i) == rule) != (fired == 1))
            return ::testing::AssertionFailure() << "rule \"" << D3D11RuleMessage(D3D11Rule(i)) << "\" fired " << fired
                                                 << " times, expected \"" << D3D11RuleMessage(rule) << "\"";
    }
    return ::testing::AssertionSuccess();
}

// Compares with a tolerance of a couple of steps, which llvmpipe's filtering and rounding need.
::testing::AssertionResult Near(Rgba actual, Rgba expected, int tolerance = 2);

}  // namespace gputest
