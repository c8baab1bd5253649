// The eleven wrappers over the shipped effect files, the input layouts made against them, and a
// file that fails to compile: reported once, the program going on with inert handles.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "diag/ReportPlatform.h"
#include "effects/EffectPaths.h"
#include "effects/Effects.h"
#include "effects/VertexLayouts.h"
#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCache.h"
#include "platform/blobs/StageBlob.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/win32/Win32Platform.h"
#include "tests/fxruntime/runtime/EffectTestSupport.h"
#include "tests/platform/d3d11/GlDebugCheck.h"

namespace {

namespace fs = std::filesystem;

std::wstring g_fakeExecutable;
std::wstring FakeExecutable()
{
    return g_fakeExecutable;
}

// Records what a failure report writes and shows, answering No.
class FakeReportPlatform : public ReportPlatform {
public:
    void OutputDebugText(LPCWSTR text) override { debugText += text; }
    HWND ForegroundWindow() override { return nullptr; }
    int ShowMessageBox(HWND, LPCWSTR, LPCWSTR, UINT) override
    {
        ++boxes;
        return IDNO;
    }
    void BreakIntoDebugger() override { ++breaks; }

    std::wstring debugText;
    int boxes = 0;
    int breaks = 0;
};

class Effects : public fxtest::DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        UseExecutableIn(SHOW_BIN_DIR);
        SetReportPlatform(&report);
        Win32SetMessageBoxHook([this](HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
            boxes.push_back({owner, text != nullptr ? text : L"", caption, type});
            return IDOK;
        });
    }
    void TearDown() override
    {
        unsetenv("SHOW_EFFECT_CACHE_DIR");
        VertexLayouts::ReleaseAll();
        EffectLibrary::ReleaseAll();
        Win32SetMessageBoxHook(nullptr);
        SetReportPlatform(nullptr);
        SetExecutablePathSource(nullptr);
        if (!tempDir.empty())
            fs::remove_all(tempDir);
        DeviceTest::TearDown();
    }

    static void UseExecutableIn(const fs::path& directory)
    {
        g_fakeExecutable = (directory / "show").wstring();
        SetExecutablePathSource(FakeExecutable);
    }

    // The text of a shipped effect file, to change before UseEffectCopy.
    static std::string ShippedText(const std::string& name)
    {
        std::ifstream in(fs::path(SHOW_BIN_DIR) / "Res" / name);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // A copy of the shipped effect files in a folder of its own, with some replaced.
    void UseEffectCopy(const std::vector<std::pair<std::string, std::string>>& replaced)
    {
        tempDir = fs::temp_directory_path() / ("effects-test-" + std::to_string(getpid()));
        fs::remove_all(tempDir);
        fs::create_directories(tempDir / "Res");
        fs::copy(fs::path(SHOW_BIN_DIR) / "Res", tempDir / "Res", fs::copy_options::recursive);
        for (const auto& [name, text] : replaced)
            std::ofstream(tempDir / "Res" / name, std::ios::trunc) << text;
        UseExecutableIn(tempDir);
    }

    struct Box {
        HWND owner;
        std::wstring text;
        LPCWSTR caption;
        UINT type;
    };
    std::vector<Box> boxes;
    FakeReportPlatform report;
    fs::path tempDir;
};

// Collects the handles that are not valid, by name.
class Check {
public:
    template <typename Handle>
    void operator()(const std::string& name, Handle* handle)
    {
        if (handle == nullptr || !handle->IsValid())
            invalid.push_back(name);
    }
    std::vector<std::string> invalid;
};

#define SHOW_CHECK_LIT(name) check(#name, fx->name##Tech);
#define SHOW_CHECK_REFLECT(name) check(#name "Reflect", fx->name##ReflectTech);

TEST_F(Effects, EveryNameResolvesInTheShippedFiles)
{
    EffectLibrary::CreateAll(device);
    EXPECT_TRUE(boxes.empty()) << "the shipped files compile without messages";
    EXPECT_EQ(L"", report.debugText);
    Check check;
    {
        auto* fx = EffectLibrary::ColorFx.get();
        check("ColorTech", fx->ColorTech);
        check("color gWorldViewProj", fx->WorldViewProj);
    }
    {
        auto* fx = EffectLibrary::BasicFx.get();
        check("Basic Light1", fx->Light1Tech);
        check("Basic Light2", fx->Light2Tech);
        check("Basic Light3", fx->Light3Tech);
        check("Basic gWorldViewProj", fx->WorldViewProj);
        check("Basic gWorld", fx->World);
        check("Basic gWorldInvTranspose", fx->WorldInvTranspose);
        check("Basic gEyePosW", fx->EyePosW);
        check("Basic gDirLights", fx->DirLights);
        check("Basic gSpotLight", fx->SpotLight);
        check("Basic gMaterial", fx->Mat);
    }
    {
        auto* fx = EffectLibrary::Basic32Fx.get();
        for (auto* t : {fx->Light1Tech, fx->Light2Tech, fx->Light3Tech, fx->Light0TexTech, fx->Light1TexTech,
                        fx->Light2TexTech, fx->Light3TexTech})
            check("Basic32 technique", t);
        check("Basic32 gWorldViewProj", fx->WorldViewProj);
        check("Basic32 gWorld", fx->World);
        check("Basic32 gWorldInvTranspose", fx->WorldInvTranspose);
        check("Basic32 gTexTransform", fx->TexTransform);
        check("Basic32 gEyePosW", fx->EyePosW);
        check("Basic32 gDirLights", fx->DirLights);
        check("Basic32 gMaterial", fx->Mat);
        check("Basic32 gDiffuseMap", fx->DiffuseMap);
    }
    auto litVariables = [&check](const std::string& file, auto* fx) {
        check(file + " gWorld", fx->World);
        check(file + " gWorldInvTranspose", fx->WorldInvTranspose);
        check(file + " gTexTransform", fx->TexTransform);
        check(file + " gEyePosW", fx->EyePosW);
        check(file + " gFogColor", fx->FogColor);
        check(file + " gFogStart", fx->FogStart);
        check(file + " gFogRange", fx->FogRange);
        check(file + " gDirLights", fx->DirLights);
        check(file + " gMaterial", fx->Mat);
        check(file + " gDiffuseMap", fx->DiffuseMap);
    };
    {
        auto* fx = EffectLibrary::Basic32BFFx.get();
        SHOW_LIT_TECHNIQUES(SHOW_CHECK_LIT)
        check("Basic32BF gWorldViewProj", fx->WorldViewProj);
        litVariables("Basic32BF", fx);
    }
    {
        auto* fx = EffectLibrary::BlurFx.get();
        check("HorzBlur", fx->HorzBlurTech);
        check("VertBlur", fx->VertBlurTech);
        check("gWeights", fx->Weights);
        check("gInput", fx->Input);
        check("gOutput", fx->Output);
    }
    {
        auto* fx = EffectLibrary::InstancedBasicFx.get();
        SHOW_LIT_TECHNIQUES(SHOW_CHECK_LIT)
        check("InstancedBasic gViewProj", fx->ViewProj);
        litVariables("InstancedBasic", fx);
    }
    {
        auto* fx = EffectLibrary::PostFx.get();
        check("Post Tech1", fx->Tech1);
        check("Post gWorldViewProj", fx->WorldViewProj);
        check("Post gWorld", fx->World);
        check("Post gWorldInvTranspose", fx->WorldInvTranspose);
        check("Post gTexTransform", fx->TexTransform);
        check("Post gDiffuseMap", fx->DiffuseMap);
        check("Post gDiffuseMap2", fx->DiffuseMap2);
    }
    {
        auto* fx = EffectLibrary::SkyFx.get();
        check("SkyTech", fx->SkyTech);
        check("Sky gWorldViewProj", fx->WorldViewProj);
        check("Sky gCubeMap", fx->CubeMap);
    }
    {
        auto* fx = EffectLibrary::InstancedBasicMTRFx.get();
        check("MTR Tech1", fx->Tech1);
        check("MTR Tech1 again", fx->Tech1Alias);
        EXPECT_EQ(fx->Tech1, fx->Tech1Alias) << "both handles name the one technique";
        check("MTR gViewProj", fx->ViewProj);
        check("MTR gWorld", fx->World);
        check("MTR gWorldInvTranspose", fx->WorldInvTranspose);
        check("MTR gEyePosW", fx->EyePosW);
        check("MTR gFogColor", fx->FogColor);
        check("MTR gFogStart", fx->FogStart);
        check("MTR gFogRange", fx->FogRange);
    }
    {
        auto* fx = EffectLibrary::NormalMapFx.get();
        SHOW_LIT_TECHNIQUES(SHOW_CHECK_LIT)
        SHOW_LIT_TECHNIQUES(SHOW_CHECK_REFLECT)
        check("NormalMap gWorldViewProj", fx->WorldViewProj);
        litVariables("NormalMap", fx);
        check("NormalMap gSpotLight", fx->SpotLight);
        check("NormalMap gCubeMap", fx->CubeMap);
        check("NormalMap gNormalMap", fx->NormalMap);
    }
    {
        auto* fx = EffectLibrary::DisplacementMapFx.get();
        SHOW_LIT_TECHNIQUES(SHOW_CHECK_LIT)
        SHOW_LIT_TECHNIQUES(SHOW_CHECK_REFLECT)
        check("DisplacementMap gViewProj", fx->ViewProj);
        check("DisplacementMap gWorldViewProj", fx->WorldViewProj);
        litVariables("DisplacementMap", fx);
        for (auto* s :
             {fx->HeightScale, fx->MaxTessDistance, fx->MinTessDistance, fx->MinTessFactor, fx->MaxTessFactor})
            check("DisplacementMap tessellation scalar", s);
        check("DisplacementMap gCubeMap", fx->CubeMap);
        check("DisplacementMap gNormalMap", fx->NormalMap);
    }
    EXPECT_TRUE(check.invalid.empty()) << "first invalid handle: " << check.invalid.front() << " ("
                                       << check.invalid.size() << " in all)";
}

TEST_F(Effects, LayoutsAreCreatedAgainstTheirTechniques)
{
    EffectLibrary::CreateAll(device);
    VertexLayouts::CreateAll(device);
    const ID3D11InputLayout* layouts[] = {
        VertexLayouts::PosColorLayout.Get(),     VertexLayouts::PosNormalLayout.Get(),
        VertexLayouts::Basic32Layout.Get(),      VertexLayouts::InstancedBasic32Layout.Get(),
        VertexLayouts::PosTexLayout.Get(),       VertexLayouts::PosLayout.Get(),
        VertexLayouts::InstancedPosLayout.Get(), VertexLayouts::PosNormalTexTanLayout.Get()};
    for (std::size_t i = 0; i < std::size(layouts); ++i)
        EXPECT_NE(nullptr, layouts[i]) << "layout " << i;

    // A layout that lacks an input the shader reads is refused.
    D3DX11_PASS_DESC pass{};
    EffectLibrary::NormalMapFx->Light1Tech->GetPassByIndex(0)->GetDesc(&pass);
    ID3D11InputLayout* wrong = nullptr;
    EXPECT_TRUE(FAILED(device->CreateInputLayout(InputLayoutDesc::PosNormal, 2, pass.pIAInputSignature,
                                                 pass.IAInputSignatureSize, &wrong)));
    EXPECT_EQ(nullptr, wrong);

    VertexLayouts::ReleaseAll();
    for (ID3D11InputLayout* layout : {VertexLayouts::PosColorLayout.Get(), VertexLayouts::PosLayout.Get(),
                                      VertexLayouts::PosNormalTexTanLayout.Get()})
        EXPECT_EQ(nullptr, layout);
    VertexLayouts::ReleaseAll();
}

TEST_F(Effects, ReleaseAllTwiceLeavesEverythingNull)
{
    const long before = D3D11LiveObjectCount();
    EffectLibrary::CreateAll(device);
    EffectLibrary::ReleaseAll();
    EffectLibrary::ReleaseAll();
    EXPECT_EQ(nullptr, EffectLibrary::ColorFx.get());
    EXPECT_EQ(nullptr, EffectLibrary::BlurFx.get());
    EXPECT_EQ(nullptr, EffectLibrary::DisplacementMapFx.get());
    EXPECT_EQ(before, D3D11LiveObjectCount()) << "every effect and what it made is gone";
}

TEST_F(Effects, FailedCompileIsReportedOnceAndLeavesInertHandles)
{
    UseEffectCopy({{"Basic.fx", "float4 VS(float3 p : POSITION) : SV_POSITION { return undefinedThing; }\n"
                                "technique11 Light1 { pass P0 { SetVertexShader(CompileShader(vs_5_0, VS())); } }\n"}});
    // The file was edited after the build: its shipped compile is passed over and the file compiled.
    ASSERT_TRUE(fs::exists(tempDir / "Res" / "Basic.fxo"));
    EffectLibrary::CreateAll(device);
    VertexLayouts::CreateAll(device);

    ASSERT_EQ(1u, boxes.size()) << "only the broken file shows its messages";
    EXPECT_EQ(nullptr, boxes[0].owner);
    EXPECT_EQ(nullptr, boxes[0].caption);
    EXPECT_EQ(MB_OK, boxes[0].type);
    EXPECT_NE(std::wstring::npos, boxes[0].text.find(L"Basic.fx")) << NarrowFromWide(boxes[0].text);
    EXPECT_NE(std::wstring::npos, boxes[0].text.find(L"error")) << NarrowFromWide(boxes[0].text);
    EXPECT_EQ(L"Effects(30): D3DX11CompileFromFile hr=E_FAIL (0x80004005)\n", report.debugText);
    EXPECT_EQ(1, report.boxes);
    EXPECT_EQ(0, report.breaks);

    BasicEffect* basic = EffectLibrary::BasicFx.get();
    ASSERT_NE(nullptr, basic);
    EXPECT_EQ(nullptr, basic->runtimeEffect);
    EXPECT_FALSE(basic->Light1Tech->IsValid());
    D3DX11_TECHNIQUE_DESC desc{};
    desc.Passes = 5;
    basic->Light1Tech->GetDesc(&desc);
    EXPECT_EQ(0u, desc.Passes);
    EXPECT_EQ(E_FAIL, basic->Light1Tech->GetPassByIndex(0)->Apply(0, context));
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(E_FAIL, basic->World->SetMatrix(identity));
    EXPECT_EQ(E_FAIL, basic->DirLights->SetRawValue(identity, 0, 64));
    EXPECT_EQ(nullptr, VertexLayouts::PosNormalLayout.Get()) << "no layout against a missing effect";

    // The rest loaded as usual.
    EXPECT_NE(nullptr, EffectLibrary::SkyFx->runtimeEffect);
    EXPECT_NE(nullptr, VertexLayouts::PosLayout.Get());
}

// A variable smaller than what the program writes into it takes none of the bytes: warned of once at
// lookup, naming the file, as a missing one is. One of the right size, or larger, is not.
TEST_F(Effects, VariablesSmallerThanWhatTheProgramSetsAreNamed)
{
    std::string text = ShippedText("Basic.fx");
    const std::size_t eye = text.find("float3 gEyePosW");
    ASSERT_NE(std::string::npos, eye);
    text.replace(eye, 6, "float2");
    const std::size_t use = text.find("gEyePosW - pin.PosW");
    ASSERT_NE(std::string::npos, use);
    text.replace(use, 8, "float3(gEyePosW, 0.0f)");
    UseEffectCopy({{"Basic.fx", text}});

    testing::internal::CaptureStderr();
    BasicEffect basic(device, L"Res/Basic.fx");
    const std::string warnings = testing::internal::GetCapturedStderr();
    ASSERT_NE(nullptr, basic.runtimeEffect);
    EXPECT_NE(std::string::npos,
              warnings.find("Res/Basic.fx: the variable \"gEyePosW\" holds fewer than the 12 bytes the program "
                            "sets; setting it does nothing\n"))
        << warnings;
    EXPECT_EQ(std::string::npos, warnings.find("gDirLights")) << warnings;
    EXPECT_EQ(std::string::npos, warnings.find("gMaterial")) << warnings;
    const float eyePosition[3] = {1, 2, 3};
    EXPECT_EQ(E_INVALIDARG, basic.EyePosW->SetRawValue(eyePosition, 0, sizeof eyePosition));
}

TEST_F(Effects, WarningsShowOnceAndTheEffectStillLoads)
{
    std::ifstream in(std::string(FX_TEST_INPUTS) + "/warning_only.fx");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    UseEffectCopy({{"color.fx", text}});
    ColorEffect color(device, L"Res/color.fx");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::wstring::npos, boxes[0].text.find(L"warning")) << NarrowFromWide(boxes[0].text);
    EXPECT_EQ(L"", report.debugText) << "a warning is no failure";
    EXPECT_NE(nullptr, color.runtimeEffect);
}

TEST_F(Effects, MissingFileIsReportedAndTheProgramGoesOn)
{
    UseExecutableIn(fs::temp_directory_path() / "no-such-show-folder");
    SkyEffect sky(device, L"Res/Sky.fx");
    EXPECT_EQ(nullptr, sky.runtimeEffect);
    EXPECT_FALSE(sky.SkyTech->IsValid());
    EXPECT_EQ(1, report.boxes);
    EXPECT_EQ(0u, report.debugText.rfind(L"Effects(30): D3DX11CompileFromFile hr=", 0));
}

}  // namespace

// A vertex layout that does not fit an effect's vertex shader is named with the effect and the
// technique, which the device cannot know; a draw that goes on without it names the shaders it
// would have run by their effect, technique and pass.
TEST_F(Effects, LayoutsThatDoNotFitAndTheDrawsWithoutThemNameTheEffect)
{
    std::string text = ShippedText("NormalMap.fx");
    const std::size_t tangent = text.find(": TANGENT;");
    ASSERT_NE(std::string::npos, tangent);
    text.replace(tangent, 10, ": TANGENTX;");
    UseEffectCopy({{"NormalMap.fx", text}});

    testing::internal::CaptureStderr();
    EffectLibrary::CreateAll(device);
    VertexLayouts::CreateAll(device);
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(nullptr, VertexLayouts::PosNormalTexTanLayout.Get());
    EXPECT_NE(std::string::npos, warnings.find("(TANGENTX0)")) << warnings;
    EXPECT_NE(std::string::npos, warnings.find("Res/NormalMap.fx: the show's vertex layout does not fit the vertex "
                                               "shader of technique \"Light1\""))
        << warnings;
    EXPECT_NE(nullptr, VertexLayouts::Basic32Layout.Get()) << "the other layouts are made as usual";

    testing::internal::CaptureStderr();
    ASSERT_EQ(S_OK, EffectLibrary::NormalMapFx->Light1Tech->GetPassByIndex(0)->Apply(0, context));
    context->Draw(3, 0);
    const std::string dropped = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, dropped.find("draw dropped (running ")) << dropped;
    EXPECT_NE(std::string::npos, dropped.find("Res/NormalMap.fx: VS() (first run by technique \"Light1\", pass "
                                              "\"P0\") and "))
        << dropped;
}

// Every shipped effect file has its compile beside it, taken without compiling, and the same as
// compiling the file now: the frames do not depend on which one a start used.
TEST_F(Effects, EveryShippedEffectFileShipsCompiledAsItCompilesNow)
{
    UseEffectCopy({});
    setenv("SHOW_EFFECT_CACHE_DIR", (tempDir / "cache").c_str(), 1);
    int shipped = 0;
    for (const auto& file : fs::directory_iterator(tempDir / "Res")) {
        if (file.path().extension() != ".fx") {
            continue;
        }
        ++shipped;
        bool taken = false;
        const EffectCompileResult result = CompileEffectFileCached(file.path().string(), &taken);
        EXPECT_TRUE(taken) << file.path();
        EXPECT_EQ(result.code, CompileEffectFile(file.path().string()).code) << file.path();
    }
    unsetenv("SHOW_EFFECT_CACHE_DIR");
    EXPECT_EQ(11, shipped);
    EXPECT_FALSE(fs::exists(tempDir / "cache")) << "nothing was compiled into the cache";
}

// The cache entry of Res/Sky.fx (in a cache of the test's own) forged to hold GLSL the driver
// refuses, as a damaged entry whose digest was made again would.
struct ForgedSkyEntry {
    std::string path;       // the effect file
    fs::path entry;         // its cache entry
    std::string goodEntry;  // the entry as the cache wrote it
};

ForgedSkyEntry ForgeSkyEntryWithBadGlsl(const fs::path& cacheDir)
{
    setenv("SHOW_EFFECT_CACHE_DIR", cacheDir.c_str(), 1);
    ForgedSkyEntry forged{FindEffectFile(ExecutableDirectory(), "Res/Sky.fx"), {}, {}};
    fs::remove(CompiledEffectPath(forged.path));  // so that the file is compiled, into the cache
    const EffectCompileResult good = CompileEffectFileCached(forged.path);
    EffectBlob blob;
    if (!good.succeeded || !ParseEffectBlob(good.code.data(), good.code.size(), blob) || blob.shaders.empty()) {
        ADD_FAILURE() << "Res/Sky.fx does not compile: " << good.Messages();
        return forged;
    }
    forged.entry = fs::directory_iterator(cacheDir)->path();
    std::ifstream in(forged.entry, std::ios::binary);
    forged.goodEntry.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    StageBlob stage = blob.shaders[0].parsed;
    stage.glsl += "\nthis is not GLSL\n";
    blob.shaders[0].code = WriteStageBlob(stage);
    EffectCompileResult bad = good;
    bad.code = WriteEffectBlob(blob);
    const std::vector<std::uint8_t> bytes = EncodeEffectCacheEntry(forged.entry.stem().string(), bad);
    std::ofstream(forged.entry, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return forged;
}

// A cache entry that reads as a compiled effect but that the runtime cannot build (GLSL the driver
// refuses, here found at creation since the device reads link results then) is dropped with one
// warning naming it and the effect; the file is compiled again, the effect built, the entry replaced.
TEST_F(Effects, ACacheEntryTheEffectCannotBeBuiltFromIsCompiledAgainAndReplaced)
{
    UseEffectCopy({});
    const ForgedSkyEntry forged = ForgeSkyEntryWithBadGlsl(tempDir / "cache");
    ASSERT_FALSE(forged.entry.empty());

    AllowGlDebugErrorsInThisTest();  // the driver refuses the forged GLSL
    D3D11DeviceOptions serial;
    serial.serialShaderCompile = true;
    D3D11SetDeviceOptions(serial);
    ID3D11Device* serialDevice = nullptr;
    ASSERT_EQ(S_OK, D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                      &serialDevice, nullptr, nullptr));
    D3D11SetDeviceOptions({});
    testing::internal::CaptureStderr();
    auto sky = std::make_unique<SkyEffect>(serialDevice, L"Res/Sky.fx");
    const std::string warnings = testing::internal::GetCapturedStderr();
    unsetenv("SHOW_EFFECT_CACHE_DIR");
    EXPECT_NE(nullptr, sky->runtimeEffect) << warnings;
    EXPECT_NE(std::string::npos, warnings.find("warning: " + forged.entry.string() +
                                               ": the effect could not be built from this compile of " + forged.path +
                                               " (E_INVALIDARG); the file is compiled again and the entry replaced\n"))
        << warnings;
    std::ifstream again(forged.entry, std::ios::binary);
    EXPECT_EQ(forged.goodEntry, std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()));
    sky.reset();
    serialDevice->Release();
}

// Where the driver compiles in parallel, the same entry builds an effect, and the refusal shows at
// the first draw with the shader; the next Apply of a pass that runs it drops the entry, once, so
// the next start compiles the file again.
TEST_F(Effects, ACacheEntryWhoseShaderTheDriverRefusesLaterIsDropped)
{
    UseEffectCopy({});
    const ForgedSkyEntry forged = ForgeSkyEntryWithBadGlsl(tempDir / "cache");
    ASSERT_FALSE(forged.entry.empty());
    AllowGlDebugErrorsInThisTest();
    SkyEffect sky(device, L"Res/Sky.fx");
    ASSERT_NE(nullptr, sky.runtimeEffect) << "the device reads link results at creation; nothing to try";
    ID3DX11EffectPass* pass = sky.SkyTech->GetPassByIndex(0);

    testing::internal::CaptureStderr();
    ASSERT_EQ(S_OK, pass->Apply(0, context));
    context->Draw(3, 0);  // the program's link result is read here, and the draw dropped
    ASSERT_EQ(S_OK, pass->Apply(0, context));
    context->Draw(3, 0);
    ASSERT_EQ(S_OK, pass->Apply(0, context));
    const std::string warnings = testing::internal::GetCapturedStderr();
    unsetenv("SHOW_EFFECT_CACHE_DIR");
    const std::string dropped = "warning: " + forged.entry.string() + ": the graphics driver refused a shader of " +
                                forged.path +
                                " compiled in this entry; the entry is removed, so the next start compiles the file "
                                "again\n";
    const std::size_t at = warnings.find(dropped);
    EXPECT_NE(std::string::npos, at) << warnings;
    EXPECT_EQ(std::string::npos, warnings.find(dropped, at + 1)) << "said once: " << warnings;
    EXPECT_FALSE(fs::exists(forged.entry));
}

// A pass that sets no vertex shader draws nothing, and the device, which then has no shader to name,
// cannot say whose draw it dropped: the pass is named, once, by its effect and technique.
TEST_F(Effects, APassWithoutShadersIsNamedWhenApplied)
{
    std::string text = ShippedText("Post.fx");
    for (const char* shader : {"        SetVertexShader( CompileShader( vs_5_0, VS() ) );\n",
                               "        SetPixelShader( CompileShader( ps_5_0, PS(1.6f) ) );\n"}) {
        const std::size_t at = text.find(shader);
        ASSERT_NE(std::string::npos, at) << shader;
        text.erase(at, std::strlen(shader));
    }
    UseEffectCopy({{"Post.fx", text}});
    PostEffect post(device, L"Res/Post.fx");
    ASSERT_NE(nullptr, post.runtimeEffect);

    testing::internal::CaptureStderr();
    EXPECT_EQ(S_OK, post.Tech1->GetPassByIndex(0)->Apply(0, context));
    EXPECT_EQ(S_OK, post.Tech1->GetPassByIndex(0)->Apply(0, context));
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ("warning: " + post.Path() +
                  ": technique \"Tech1\", pass \"P0\" sets no vertex or compute shader; what is drawn with it is "
                  "dropped\n",
              warnings);
}
