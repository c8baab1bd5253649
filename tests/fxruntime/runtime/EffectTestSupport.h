#pragma once
// Shared by the effect runtime and effect wrapper tests: effects compiled from text and float render
// targets read back, on the graphics layer's test fixture.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fxruntime/D3DX11Compile.h"
#include "fxruntime/D3DX11Effect.h"
#include "platform/d3d11/D3D11.h"
#include "tests/platform/d3d11/GpuTestSupport.h"

namespace fxtest {

using Float4 = std::array<float, 4>;

// Compiled effect code for the text (written to a temporary file); empty on failure, with the
// compiler's messages in `messages`.
std::vector<std::uint8_t> CompileText(const std::string& text, std::string* messages = nullptr);
std::vector<std::uint8_t> CompileFile(const std::string& path, std::string* messages = nullptr);

// The graphics layer's test fixture (a headless device per test, Keep, the live-object checks),
// with effects and float targets.
class DeviceTest : public gputest::GpuTest {
protected:
    // An effect from text; fails the test when it does not compile or build.
    ID3DX11Effect* MakeEffect(const std::string& text);

    // A 32-bit float RGBA target of width x height, cleared to -1.
    Target MakeFloatTarget(UINT width, UINT height);
    // The same, bound alone with a matching viewport and a triangle-list topology.
    Target BindFloatTarget(UINT width, UINT height);
    ID3D11ShaderResourceView* MakeTexture(UINT width, UINT height, const std::vector<std::uint8_t>& rgba,
                                          ID3D11Texture2D** texture = nullptr, UINT extraBind = 0);
    ID3D11UnorderedAccessView* MakeUav(ID3D11Texture2D* texture);
    std::vector<Float4> ReadFloat(ID3D11Texture2D* texture);
    std::vector<std::uint8_t> ReadBytes(ID3D11Texture2D* texture);
};

::testing::AssertionResult NearFloat4(const Float4& actual, const Float4& expected, float tolerance = 1e-5f);

}  // namespace fxtest
