#include "tests/fxruntime/runtime/EffectTestSupport.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/d3d11/Diagnostics.h"

namespace fxtest {

std::vector<std::uint8_t> CompileFile(const std::string& path, std::string* messages)
{
    ID3D10Blob* code = nullptr;
    ID3D10Blob* errors = nullptr;
    const std::wstring wide(path.begin(), path.end());
    D3DX11CompileFromFileW(wide.c_str(), nullptr, nullptr, nullptr, "fx_5_0", 0, 0, nullptr, &code, &errors, nullptr);
    if (messages != nullptr)
        messages->clear();
    if (errors != nullptr) {
        if (messages != nullptr)
            *messages = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
    std::vector<std::uint8_t> bytes;
    if (code != nullptr) {
        const auto* p = static_cast<const std::uint8_t*>(code->GetBufferPointer());
        bytes.assign(p, p + code->GetBufferSize());
        code->Release();
    }
    return bytes;
}

std::vector<std::uint8_t> CompileText(const std::string& text, std::string* messages)
{
    static int counter = 0;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("fxtest-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / ("effect" + std::to_string(counter++) + ".fx");
    std::ofstream(file) << text;
    auto bytes = CompileFile(file.string(), messages);
    std::filesystem::remove(file);
    return bytes;
}

ID3DX11Effect* DeviceTest::MakeEffect(const std::string& text)
{
    std::string messages;
    const std::vector<std::uint8_t> code = CompileText(text, &messages);
    EXPECT_FALSE(code.empty()) << messages;
    ID3DX11Effect* effect = nullptr;
    EXPECT_EQ(S_OK, D3DX11CreateEffectFromMemory(code.data(), code.size(), 0, device, &effect));
    return Keep(effect);
}

DeviceTest::Target DeviceTest::MakeFloatTarget(UINT width, UINT height)
{
    const Target t = MakeTarget(width, height, DXGI_FORMAT_R32G32B32A32_FLOAT);
    const float clear[4] = {-1, -1, -1, -1};
    context->ClearRenderTargetView(t.rtv, clear);
    return t;
}

DeviceTest::Target DeviceTest::BindFloatTarget(UINT width, UINT height)
{
    const Target t = MakeFloatTarget(width, height);
    context->OMSetRenderTargets(1, &t.rtv, nullptr);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    const D3D11_VIEWPORT viewport{0, 0, static_cast<float>(width), static_cast<float>(height), 0, 1};
    context->RSSetViewports(1, &viewport);
    return t;
}

ID3D11ShaderResourceView* DeviceTest::MakeTexture(UINT width, UINT height, const std::vector<std::uint8_t>& rgba,
                                                  ID3D11Texture2D** texture, UINT extraBind)
{
    ID3D11Texture2D* tex = MakeTexture2D(width, height, DXGI_FORMAT_R8G8B8A8_UNORM,
                                         D3D11_BIND_SHADER_RESOURCE | extraBind, rgba.empty() ? nullptr : rgba.data(),
                                         width * 4);
    if (texture != nullptr)
        *texture = tex;
    ID3D11ShaderResourceView* view = nullptr;
    EXPECT_EQ(S_OK, device->CreateShaderResourceView(tex, nullptr, &view));
    return Keep(view);
}

ID3D11UnorderedAccessView* DeviceTest::MakeUav(ID3D11Texture2D* texture)
{
    ID3D11UnorderedAccessView* view = nullptr;
    EXPECT_EQ(S_OK, device->CreateUnorderedAccessView(texture, nullptr, &view));
    return Keep(view);
}

std::vector<Float4> DeviceTest::ReadFloat(ID3D11Texture2D* texture)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(D3D11ReadTexture(texture, 0, 0, bytes));
    std::vector<Float4> out(bytes.size() / 16);
    if (!out.empty())
        std::memcpy(out.data(), bytes.data(), out.size() * 16);
    return out;
}

std::vector<std::uint8_t> DeviceTest::ReadBytes(ID3D11Texture2D* texture)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(D3D11ReadTexture(texture, 0, 0, bytes));
    return bytes;
}

::testing::AssertionResult NearFloat4(const Float4& actual, const Float4& expected, float tolerance)
{
    for (int i = 0; i < 4; ++i)
        if (!(std::fabs(actual[i] - expected[i]) <= tolerance)) {
            std::ostringstream s;
            s << "(" << actual[0] << ", " << actual[1] << ", " << actual[2] << ", " << actual[3] << ") != ("
              << expected[0] << ", " << expected[1] << ", " << expected[2] << ", " << expected[3] << ")";
            return ::testing::AssertionFailure() << s.str();
        }
    return ::testing::AssertionSuccess();
}

}  // namespace fxtest
