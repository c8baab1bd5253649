// The effect compiler's conformance cases: one small effect file per rule of HLSL's meaning under
// tests/fxruntime/semantics/<group>/, each with the values it must produce written beside it (see
// README.md in that folder). Each file is one test; the whole set runs on llvmpipe and on zink.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fxruntime/CompileIsolation.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"

namespace {

namespace fs = std::filesystem;

enum class Kind { Float, Int, Uint };

struct Setting {
    std::string name;
    Kind kind = Kind::Float;
    std::vector<std::string> values;
};

struct TextureInput {
    std::string name;
    std::string format;  // r32f, rgba32f, d32f (a depth texture cleared to its one value)
    UINT width = 1, height = 1;
    std::vector<float> values;
};

// What a case file says about itself, in its `// word ...` lines.
struct Case {
    std::string path;
    std::string error;  // the first directive that could not be read
    std::vector<Setting> settings;
    std::vector<TextureInput> textures;
    std::vector<std::vector<std::string>> expected;  // per texel or pixel, four components
    Kind output = Kind::Float;
    double tolerance = 1e-5;
    UINT width = 0, height = 1;  // a draw's target; 0: one pixel per expected value
    std::string refused;         // a compile error that must contain this
    std::string warns;           // a compile warning that must contain this
    std::string open;            // a known fault not yet mended: the case is skipped with this reason
    bool needsIsolation = false;
    bool compute = false;
};

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

bool ReadKind(const std::string& word, Kind* kind)
{
    if (word == "float")
        *kind = Kind::Float;
    else if (word == "int")
        *kind = Kind::Int;
    else if (word == "uint")
        *kind = Kind::Uint;
    else
        return false;
    return true;
}

Case ReadCase(const fs::path& path)
{
    Case c;
    c.path = path.string();
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    c.compute = text.find("SetComputeShader") != std::string::npos;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("// ", 0) != 0)
            continue;
        const std::string body = line.substr(3);
        const size_t space = body.find(' ');
        const std::string word = body.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : body.substr(space + 1);
        std::vector<std::string> args = Words(rest);
        if (word == "expect") {
            if (args.size() != 4 && c.error.empty())
                c.error = "an expect line needs four values: " + line;
            c.expected.push_back(args);
        } else if (word == "set") {
            // set NAME = [float|int|uint] v...
            Setting s;
            if (args.size() < 3 || args[1] != "=") {
                c.error = "a set line reads: // set NAME = [float|int|uint] values: " + line;
                continue;
            }
            s.name = args[0];
            size_t first = 2;
            if (ReadKind(args[2], &s.kind))
                first = 3;
            s.values.assign(args.begin() + static_cast<long>(first), args.end());
            c.settings.push_back(s);
        } else if (word == "texture") {
            // texture NAME r32f|rgba32f|d32f WIDTH HEIGHT = v...
            TextureInput t;
            if (args.size() < 6 || args[4] != "=" || (args[1] != "r32f" && args[1] != "rgba32f" && args[1] != "d32f")) {
                c.error = "a texture line reads: // texture NAME r32f|rgba32f|d32f WIDTH HEIGHT = values: " + line;
                continue;
            }
            t.name = args[0];
            t.format = args[1];
            t.width = static_cast<UINT>(std::stoul(args[2]));
            t.height = static_cast<UINT>(std::stoul(args[3]));
            for (size_t i = 5; i < args.size(); ++i)
                t.values.push_back(std::stof(args[i]));
            const size_t want = t.format == "d32f" ? 1 : size_t{t.width} * t.height * (t.format == "r32f" ? 1 : 4);
            if (t.values.size() != want)
                c.error = "texture " + t.name + " needs " + std::to_string(want) + " values";
            c.textures.push_back(t);
        } else if (word == "output") {
            if (args.size() != 1 || !ReadKind(args[0], &c.output))
                c.error = "an output line names float, int or uint: " + line;
        } else if (word == "tolerance") {
            c.tolerance = std::stod(rest);
        } else if (word == "target") {
            if (args.size() != 2)
                c.error = "a target line gives a width and a height: " + line;
            else {
                c.width = static_cast<UINT>(std::stoul(args[0]));
                c.height = static_cast<UINT>(std::stoul(args[1]));
            }
        } else if (word == "refused") {
            c.refused = rest;
        } else if (word == "warns") {
            c.warns = rest;
        } else if (word == "open") {
            c.open = rest;
        } else if (word == "isolated") {
            c.needsIsolation = true;
        }
    }
    if (c.error.empty() && c.refused.empty() && c.expected.empty())
        c.error = "the case says neither what it must produce (expect) nor that it is refused";
    return c;
}

std::vector<std::string> CaseFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(FX_SEMANTICS_DIR))
        if (entry.is_regular_file() && entry.path().extension() == ".fx")
            files.push_back(fs::relative(entry.path(), FX_SEMANTICS_DIR).string());
    std::sort(files.begin(), files.end());
    return files;
}

// 32 bits of a value as the case writes it: a float, or an integer in decimal or 0x hexadecimal.
std::uint32_t Bits(const std::string& word, Kind kind)
{
    if (kind == Kind::Float) {
        const float f = std::strtof(word.c_str(), nullptr);
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return bits;
    }
    return static_cast<std::uint32_t>(std::strtoll(word.c_str(), nullptr, 0));
}

std::string Show(std::uint32_t bits, Kind kind)
{
    if (kind == Kind::Uint)
        return std::to_string(bits);
    if (kind == Kind::Int)
        return std::to_string(static_cast<std::int32_t>(bits));
    float f;
    std::memcpy(&f, &bits, 4);
    std::ostringstream s;
    s.precision(9);
    s << f;
    return s.str();
}

bool Matches(std::uint32_t actual, const std::string& expected, Kind kind, double tolerance)
{
    if (kind != Kind::Float)
        return actual == Bits(expected, kind);
    float a;
    std::memcpy(&a, &actual, 4);
    const float e = std::strtof(expected.c_str(), nullptr);
    if (std::isnan(e))
        return std::isnan(a);
    if (std::isinf(e))
        return a == e;
    return std::fabs(double{a} - e) <= tolerance * std::max(1.0, std::fabs(double{e}));
}

DXGI_FORMAT OutputFormat(Kind kind)
{
    switch (kind) {
    case Kind::Int: return DXGI_FORMAT_R32G32B32A32_SINT;
    case Kind::Uint: return DXGI_FORMAT_R32G32B32A32_UINT;
    case Kind::Float: break;
    }
    return DXGI_FORMAT_R32G32B32A32_FLOAT;
}

class Semantics : public fxtest::DeviceTest, public ::testing::WithParamInterface<std::string> {
protected:
    ID3D11ShaderResourceView* MakeInput(const TextureInput& t)
    {
        ID3D11Texture2D* texture = nullptr;
        if (t.format == "d32f") {
            // A depth texture cannot be given data; it is cleared to its one value.
            texture = MakeTexture2D(t.width, t.height, DXGI_FORMAT_D32_FLOAT,
                                    D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_DEPTH_STENCIL);
            ID3D11DepthStencilView* dsv = nullptr;
            EXPECT_EQ(S_OK, device->CreateDepthStencilView(texture, nullptr, &dsv));
            Keep(dsv);
            context->ClearDepthStencilView(dsv, D3D11_CLEAR_DEPTH, t.values[0], 0);
        } else {
            const bool scalar = t.format == "r32f";
            texture = MakeTexture2D(t.width, t.height, scalar ? DXGI_FORMAT_R32_FLOAT : DXGI_FORMAT_R32G32B32A32_FLOAT,
                                    D3D11_BIND_SHADER_RESOURCE, t.values.data(), t.width * (scalar ? 4 : 16));
        }
        ID3D11ShaderResourceView* view = nullptr;
        EXPECT_EQ(S_OK, device->CreateShaderResourceView(texture, nullptr, &view));
        return Keep(view);
    }
    // Binds the case's inputs and runs its first pass; the result as 32-bit words, four per texel.
    std::vector<std::uint32_t> Run(const Case& c, ID3DX11Effect* effect, UINT width, UINT height)
    {
        for (const Setting& s : c.settings) {
            std::vector<std::uint32_t> words;
            for (const std::string& v : s.values)
                words.push_back(Bits(v, s.kind));
            ID3DX11EffectVariable* variable = effect->GetVariableByName(s.name.c_str());
            EXPECT_EQ(S_OK, variable->SetRawValue(words.data(), 0, static_cast<UINT>(words.size() * 4))) << s.name;
        }
        for (const TextureInput& t : c.textures)
            EXPECT_EQ(S_OK, effect->GetVariableByName(t.name.c_str())->AsShaderResource()->SetResource(MakeInput(t)))
                << t.name;
        ID3DX11EffectPass* pass = effect->GetTechniqueByIndex(0)->GetPassByIndex(0);
        const DXGI_FORMAT format = OutputFormat(c.output);
        ID3D11Texture2D* texture = nullptr;
        if (c.compute) {
            texture = MakeTexture2D(width, height, format, D3D11_BIND_UNORDERED_ACCESS);
            ID3DX11EffectUnorderedAccessViewVariable* out = effect->GetVariableByName("gOut")->AsUnorderedAccessView();
            EXPECT_EQ(S_OK, out->SetUnorderedAccessView(MakeUav(texture)));
            EXPECT_EQ(S_OK, pass->Apply(0, context));
            context->Dispatch(1, 1, 1);
            out->SetUnorderedAccessView(nullptr);
            pass->Apply(0, context);
        } else {
            texture = MakeTexture2D(width, height, format, D3D11_BIND_RENDER_TARGET);
            ID3D11RenderTargetView* rtv = nullptr;
            EXPECT_EQ(S_OK, device->CreateRenderTargetView(texture, nullptr, &rtv));
            Keep(rtv);
            context->OMSetRenderTargets(1, &rtv, nullptr);
            context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
            const D3D11_VIEWPORT viewport{0, 0, static_cast<float>(width), static_cast<float>(height), 0, 1};
            context->RSSetViewports(1, &viewport);
            EXPECT_EQ(S_OK, pass->Apply(0, context));
            context->Draw(3, 0);
        }
        const std::vector<std::uint8_t> bytes = ReadBytes(texture);
        std::vector<std::uint32_t> words(bytes.size() / 4);
        if (!words.empty())
            std::memcpy(words.data(), bytes.data(), words.size() * 4);
        return words;
    }
};

TEST_P(Semantics, GivesItsDocumentedValues)
{
    const Case c = ReadCase(fs::path(FX_SEMANTICS_DIR) / GetParam());
    ASSERT_TRUE(c.error.empty()) << c.path << ": " << c.error;
    if (!c.open.empty())
        GTEST_SKIP() << c.path << ": a known fault: " << c.open;
    if (c.needsIsolation && !CompilesInChildProcesses())
        GTEST_SKIP() << "the HLSL compiler fails on this case, and this build compiles in the test's own process";

    std::string messages;
    const std::vector<std::uint8_t> code = fxtest::CompileFile(c.path, &messages);
    if (!c.refused.empty()) {
        EXPECT_TRUE(code.empty()) << c.path << " compiled; it must be refused with \"" << c.refused << "\"";
        EXPECT_NE(std::string::npos, messages.find(c.refused)) << c.path << ": " << messages;
        return;
    }
    ASSERT_FALSE(code.empty()) << messages;
    if (!c.warns.empty()) {
        EXPECT_NE(std::string::npos, messages.find(c.warns)) << c.path << ": " << messages;
    }
    ID3DX11Effect* effect = nullptr;
    ASSERT_EQ(S_OK, D3DX11CreateEffectFromMemory(code.data(), code.size(), 0, device, &effect));
    Keep(effect);

    const UINT width = c.width != 0 ? c.width : static_cast<UINT>(c.expected.size());
    const UINT height = c.width != 0 ? c.height : 1;
    ASSERT_EQ(size_t{width} * height, c.expected.size()) << c.path << ": one expect line per texel of the target";
    const std::vector<std::uint32_t> words = Run(c, effect, width, height);
    ASSERT_EQ(c.expected.size() * 4, words.size());
    for (size_t texel = 0; texel < c.expected.size(); ++texel) {
        bool same = true;
        std::string actual;
        for (size_t i = 0; i < 4; ++i) {
            same = same && Matches(words[texel * 4 + i], c.expected[texel][i], c.output, c.tolerance);
            actual += (i == 0 ? "" : " ") + Show(words[texel * 4 + i], c.output);
        }
        std::string expected;
        for (size_t i = 0; i < 4; ++i)
            expected += (i == 0 ? "" : " ") + c.expected[texel][i];
        EXPECT_TRUE(same) << c.path << ": texel " << texel << " is (" << actual << "), not (" << expected << ")";
    }
}

std::string CaseName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = fs::path(info.param).replace_extension().string();
    std::replace_if(
        name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Semantics, ::testing::ValuesIn(CaseFiles()), CaseName);

}  // namespace
