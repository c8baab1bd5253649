// Every effect file the project has, compiled and created on a device whose driver compiles each
// shader itself: the GLSL we emit draws no message from the driver's shader compiler. A warning there
// ("'_636' used uninitialized", a row_major qualifier "older compilers" may reject) is GLSL that reads
// what no path wrote or that another driver may refuse. The driver says so only when it really
// compiles, so this program runs with Mesa's shader cache off (MESA_SHADER_CACHE_DISABLE): a cache
// that some earlier run warmed would hide it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fxruntime/CompileIsolation.h"
#include "platform/d3d11/Diagnostics.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"

namespace {

namespace fs = std::filesystem;

struct EffectFolder {
    const char* name;
    const char* path;  // below the project's root
};

std::ostream& operator<<(std::ostream& out, const EffectFolder& folder)
{
    return out << folder.path;
}

const EffectFolder kFolders[] = {
    {"Shipped", "effect-files"},
    {"Semantics", "tests/fxruntime/semantics"},
    {"Dialect", "tests/fxruntime/dialect"},
    {"Inputs", "tests/fxruntime/inputs"},
    {"FuzzSeeds", "fuzz/corpus/effect_source"},
};

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The effect files below a folder, in a fixed order; those the compiler must refuse are left out (they
// reach no driver), and so are those it dies on where it compiles in this process.
std::vector<fs::path> EffectFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder)) {
        if (!e.is_regular_file() || e.path().extension() != ".fx") {
            continue;
        }
        const std::string text = ReadText(e.path());
        if (text.find("\n// refused") != std::string::npos || text.rfind("// refused", 0) == 0) {
            continue;
        }
        if (text.find("// isolated") != std::string::npos && !CompilesInChildProcesses()) {
            continue;
        }
        files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

class EmittedGlsl : public fxtest::DeviceTest, public ::testing::WithParamInterface<EffectFolder> {
protected:
    void SetUp() override
    {
        // Every program's link result is read at creation, so each message arrives while its effect
        // is the one being made.
        D3D11DeviceOptions options;
        options.serialShaderCompile = true;
        D3D11SetDeviceOptions(options);
        fxtest::DeviceTest::SetUp();
    }
    void TearDown() override
    {
        fxtest::DeviceTest::TearDown();
        D3D11SetDeviceOptions(D3D11DeviceOptions());
    }
};

TEST_P(EmittedGlsl, DrawsNoMessageFromTheDriversShaderCompiler)
{
    const fs::path root = PROJECT_SOURCE_DIR;
    const std::vector<fs::path> files = EffectFiles(root / GetParam().path);
    ASSERT_FALSE(files.empty()) << "no effect file under " << GetParam().path;
    int created = 0;
    for (const fs::path& file : files) {
        std::string messages;
        const std::vector<std::uint8_t> code = fxtest::CompileFile(file.string(), &messages);
        if (code.empty()) {
            continue;  // a fuzz seed or an open case the compiler refuses: nothing reaches the driver
        }
        const std::uint64_t before = D3D11GLShaderCompilerMessageCount();
        ID3DX11Effect* effect = nullptr;
        if (D3DX11CreateEffectFromMemory(code.data(), code.size(), 0, device, &effect) == S_OK) {
            ++created;
            effect->Release();
        }
        EXPECT_EQ(D3D11GLShaderCompilerMessageCount() - before, 0u)
            << fs::relative(file, root).string()
            << ": the driver's shader compiler reported on our GLSL (\"GL debug\" lines on stderr, above)";
    }
    EXPECT_GT(created, 0) << "no effect under " << GetParam().path << " reached the driver";
}

INSTANTIATE_TEST_SUITE_P(EffectFiles, EmittedGlsl, ::testing::ValuesIn(kFolders),
                         [](const ::testing::TestParamInfo<EffectFolder>& info) { return info.param.name; });

}  // namespace
