#include "effects/Effects.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "diag/ReportFailure.h"
#include "diag/ResultCodeName.h"
#include "diag/StallWatch.h"
#include "effects/EffectPaths.h"
#include "fxruntime/CompileIsolation.h"
#include "fxruntime/D3DX11Compile.h"
#include "fxruntime/EffectCache.h"
#include "math/LightingRecords.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#define SHOW_LOOKUP_TECHNIQUE(name) name##Tech = Technique(#name);
#define SHOW_LOOKUP_REFLECT_TECHNIQUE(name) name##ReflectTech = Technique(#name "Reflect");

Effect::Effect(ID3D11Device* device, const std::wstring& fileName)
    : path(FindEffectFile(ExecutableDirectory(), NarrowFromWide(fileName)))
{
    ComPtr<ID3D10Blob> compiledShader;
    ComPtr<ID3D10Blob> compilationMsgs;
    const HRESULT hr = D3DX11CompileFromFileW(WideFromNarrow(path).c_str(), nullptr, nullptr, nullptr, "fx_5_0", 0, 0,
                                              nullptr, compiledShader.Put(), compilationMsgs.Put(), nullptr);

    // Warnings are shown too, and the effect still loads after them.
    if (compilationMsgs) {
        const auto* text = static_cast<const char*>(compilationMsgs->GetBufferPointer());
        const std::string message = text != nullptr ? std::string(text, compilationMsgs->GetBufferSize()).c_str() : "";
        MessageBoxW(nullptr, WideFromNarrow(message).c_str(), nullptr, MB_OK);
    }

    // The report names the place the original program's check stood ("Effects(30)"), the text its
    // users and the fault cases know, rather than this file's own line.
    if (FAILED(hr))
        CheckResultAt("Effects", 30, hr, L"D3DX11CompileFromFile");

    // Without compiled code there is nothing to build: the wrapper keeps no effect and its handles
    // stay inert, so a broken file costs its draws, not the program.
    if (compiledShader) {
        // The driver builds the programs here, beyond the compile's own deadline; past the same
        // limit, the program ends naming the file rather than never starting.
        const StallWatch watch(path + ": building the effect's shader programs",
                               std::chrono::seconds(kCompileSecondsLimit));
        const auto build = [&] {
            return D3DX11CreateEffectFromMemory(compiledShader->GetBufferPointer(), compiledShader->GetBufferSize(), 0,
                                                device, runtimeEffect.Put(), path.c_str());
        };
        // A compiled effect the runtime cannot build may be a cache entry gone bad: then it is
        // dropped, and the file compiled again, so the next start does not fail the same way.
        if (const HRESULT built = build(); FAILED(built)) {
            if (const std::string entry = ForgetEffectCacheEntry(path); !entry.empty()) {
                std::fprintf(stderr,
                             "warning: %s: the effect could not be built from this compile of %s (%s); the file is "
                             "compiled again and the entry replaced\n",
                             entry.c_str(), path.c_str(), NarrowFromWide(ResultCodeName(built)).c_str());
                compiledShader.Reset();
                if (SUCCEEDED(D3DX11CompileFromFileW(WideFromNarrow(path).c_str(), nullptr, nullptr, nullptr, "fx_5_0",
                                                     0, 0, nullptr, compiledShader.Put(), nullptr, nullptr))) {
                    build();
                }
            }
        }
    }
}

Effect::~Effect() = default;

void Effect::Warn(const std::string& problem) const
{
    std::fprintf(stderr, "warning: %s: %s\n", path.c_str(), problem.c_str());
}

ID3DX11EffectTechnique* Effect::Technique(const char* name)
{
    // Without an effect the compiler's message has already named the file.
    if (!runtimeEffect) {
        return D3DX11InertTechnique();
    }
    ID3DX11EffectTechnique* technique = runtimeEffect->GetTechniqueByName(name);
    D3DX11_TECHNIQUE_DESC desc{};
    if (!technique->IsValid()) {
        Warn(std::string("no technique named \"") + name + "\"; what it draws is left out");
    } else if (SUCCEEDED(technique->GetDesc(&desc)) && desc.Passes == 0) {
        Warn(std::string("the technique \"") + name + "\" has no passes; what it draws is left out");
    }
    return technique;
}

ID3DX11EffectVariable* Effect::Find(const char* name)
{
    if (!runtimeEffect) {
        return D3DX11InertVariable();
    }
    ID3DX11EffectVariable* variable = runtimeEffect->GetVariableByName(name);
    if (!variable->IsValid()) {
        Warn(std::string("no variable named \"") + name + "\"; setting it does nothing");
    }
    return variable;
}

void Effect::CheckSize(ID3DX11EffectVariable* variable, const char* name, UINT bytesWritten) const
{
    // Reading as many bytes as the program writes fails just where the write would.
    std::vector<std::uint8_t> probe(bytesWritten);
    if (variable->IsValid() && variable->GetRawValue(probe.data(), 0, bytesWritten) == E_INVALIDARG) {
        Warn(std::string("the variable \"") + name + "\" holds fewer than the " + std::to_string(bytesWritten) +
             " bytes the program sets; setting it does nothing");
    }
}

ID3DX11EffectVariable* Effect::Variable(const char* name, UINT bytesWritten)
{
    ID3DX11EffectVariable* variable = Find(name);
    CheckSize(variable, name, bytesWritten);
    return variable;
}

template <typename View>
View* Effect::Typed(const char* name, View* (ID3DX11EffectVariable::*as)(), const char* kind)
{
    ID3DX11EffectVariable* variable = Find(name);
    View* view = (variable->*as)();
    if (variable->IsValid() && !view->IsValid()) {
        Warn(std::string("the variable \"") + name + "\" is not " + kind + "; setting it does nothing");
    }
    return view;
}

ID3DX11EffectMatrixVariable* Effect::Matrix(const char* name)
{
    return Typed(name, &ID3DX11EffectVariable::AsMatrix, "a matrix");
}

ID3DX11EffectVectorVariable* Effect::Vector(const char* name, UINT bytesWritten)
{
    ID3DX11EffectVectorVariable* vector = Typed(name, &ID3DX11EffectVariable::AsVector, "a vector");
    if (vector->IsValid() && bytesWritten != 0) {
        CheckSize(vector, name, bytesWritten);
    }
    return vector;
}

ID3DX11EffectScalarVariable* Effect::Scalar(const char* name)
{
    return Typed(name, &ID3DX11EffectVariable::AsScalar, "a scalar");
}

ID3DX11EffectShaderResourceVariable* Effect::Texture(const char* name)
{
    return Typed(name, &ID3DX11EffectVariable::AsShaderResource, "a shader resource");
}

ID3DX11EffectUnorderedAccessViewVariable* Effect::WritableTexture(const char* name)
{
    return Typed(name, &ID3DX11EffectVariable::AsUnorderedAccessView, "an unordered-access view");
}

ColorEffect::ColorEffect(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    ColorTech = Technique("ColorTech");
    WorldViewProj = Matrix("gWorldViewProj");
}

BasicEffect::BasicEffect(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    Light1Tech = Technique("Light1");
    Light2Tech = Technique("Light2");
    Light3Tech = Technique("Light3");
    WorldViewProj = Matrix("gWorldViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    EyePosW = Vector("gEyePosW", sizeof(Float3));
    DirLights = Variable("gDirLights", sizeof(DirectionalLights));
    SpotLight = Variable("gSpotLight", sizeof(::SpotLight));
    Mat = Variable("gMaterial", sizeof(Material));
}

BasicEffect32::BasicEffect32(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    Light1Tech = Technique("Light1");
    Light2Tech = Technique("Light2");
    Light3Tech = Technique("Light3");
    Light0TexTech = Technique("Light0Tex");
    Light1TexTech = Technique("Light1Tex");
    Light2TexTech = Technique("Light2Tex");
    Light3TexTech = Technique("Light3Tex");
    WorldViewProj = Matrix("gWorldViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    TexTransform = Matrix("gTexTransform");
    EyePosW = Vector("gEyePosW", sizeof(Float3));
    DirLights = Variable("gDirLights", sizeof(DirectionalLights));
    Mat = Variable("gMaterial", sizeof(Material));
    DiffuseMap = Texture("gDiffuseMap");
}

BasicEffect32BF::BasicEffect32BF(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    SHOW_LIT_TECHNIQUES(SHOW_LOOKUP_TECHNIQUE)
    WorldViewProj = Matrix("gWorldViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    TexTransform = Matrix("gTexTransform");
    EyePosW = Vector("gEyePosW", sizeof(Float3));
    FogColor = Vector("gFogColor");
    FogStart = Scalar("gFogStart");
    FogRange = Scalar("gFogRange");
    DirLights = Variable("gDirLights", sizeof(DirectionalLights));
    Mat = Variable("gMaterial", sizeof(Material));
    DiffuseMap = Texture("gDiffuseMap");
}

BlurEffect::BlurEffect(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    HorzBlurTech = Technique("HorzBlur");
    VertBlurTech = Technique("VertBlur");
    Weights = Scalar("gWeights");
    Input = Texture("gInput");
    Output = WritableTexture("gOutput");
}

InstancedBasicEffect::InstancedBasicEffect(ID3D11Device* device, const std::wstring& fileName)
    : Effect(device, fileName)
{
    SHOW_LIT_TECHNIQUES(SHOW_LOOKUP_TECHNIQUE)
    ViewProj = Matrix("gViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    TexTransform = Matrix("gTexTransform");
    EyePosW = Vector("gEyePosW", sizeof(Float3));
    FogColor = Vector("gFogColor");
    FogStart = Scalar("gFogStart");
    FogRange = Scalar("gFogRange");
    DirLights = Variable("gDirLights", sizeof(DirectionalLights));
    Mat = Variable("gMaterial", sizeof(Material));
    DiffuseMap = Texture("gDiffuseMap");
}

PostEffect::PostEffect(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    Tech1 = Technique("Tech1");
    WorldViewProj = Matrix("gWorldViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    TexTransform = Matrix("gTexTransform");
    DiffuseMap = Texture("gDiffuseMap");
    DiffuseMap2 = Texture("gDiffuseMap2");
}

SkyEffect::SkyEffect(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    SkyTech = Technique("SkyTech");
    WorldViewProj = Matrix("gWorldViewProj");
    CubeMap = Texture("gCubeMap");
}

InstancedBasicMTREffect::InstancedBasicMTREffect(ID3D11Device* device, const std::wstring& fileName)
    : Effect(device, fileName)
{
    Tech1 = Technique("Tech1");
    Tech1Alias = Technique("Tech1");
    ViewProj = Matrix("gViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    EyePosW = Vector("gEyePosW", sizeof(Float3));
    FogColor = Vector("gFogColor");
    FogStart = Scalar("gFogStart");
    FogRange = Scalar("gFogRange");
}

NormalMapEffect::NormalMapEffect(ID3D11Device* device, const std::wstring& fileName) : Effect(device, fileName)
{
    SHOW_LIT_TECHNIQUES(SHOW_LOOKUP_TECHNIQUE)
    SHOW_LIT_TECHNIQUES(SHOW_LOOKUP_REFLECT_TECHNIQUE)
    WorldViewProj = Matrix("gWorldViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    TexTransform = Matrix("gTexTransform");
    EyePosW = Vector("gEyePosW", sizeof(Float3));
    FogColor = Vector("gFogColor");
    FogStart = Scalar("gFogStart");
    FogRange = Scalar("gFogRange");
    DirLights = Variable("gDirLights", sizeof(DirectionalLights));
    SpotLight = Variable("gSpotLight", sizeof(::SpotLight));
    Mat = Variable("gMaterial", sizeof(Material));
    DiffuseMap = Texture("gDiffuseMap");
    CubeMap = Texture("gCubeMap");
    NormalMap = Texture("gNormalMap");
}

DisplacementMapEffect::DisplacementMapEffect(ID3D11Device* device, const std::wstring& fileName)
    : Effect(device, fileName)
{
    SHOW_LIT_TECHNIQUES(SHOW_LOOKUP_TECHNIQUE)
    SHOW_LIT_TECHNIQUES(SHOW_LOOKUP_REFLECT_TECHNIQUE)
    ViewProj = Matrix("gViewProj");
    WorldViewProj = Matrix("gWorldViewProj");
    World = Matrix("gWorld");
    WorldInvTranspose = Matrix("gWorldInvTranspose");
    TexTransform = Matrix("gTexTransform");
    EyePosW = Vector("gEyePosW", sizeof(Float3));
    FogColor = Vector("gFogColor");
    FogStart = Scalar("gFogStart");
    FogRange = Scalar("gFogRange");
    DirLights = Variable("gDirLights", sizeof(DirectionalLights));
    Mat = Variable("gMaterial", sizeof(Material));
    HeightScale = Scalar("gHeightScale");
    MaxTessDistance = Scalar("gMaxTessDistance");
    MinTessDistance = Scalar("gMinTessDistance");
    MinTessFactor = Scalar("gMinTessFactor");
    MaxTessFactor = Scalar("gMaxTessFactor");
    DiffuseMap = Texture("gDiffuseMap");
    CubeMap = Texture("gCubeMap");
    NormalMap = Texture("gNormalMap");
}

std::unique_ptr<ColorEffect> EffectLibrary::ColorFx;
std::unique_ptr<BasicEffect> EffectLibrary::BasicFx;
std::unique_ptr<BasicEffect32> EffectLibrary::Basic32Fx;
std::unique_ptr<BasicEffect32BF> EffectLibrary::Basic32BFFx;
std::unique_ptr<BlurEffect> EffectLibrary::BlurFx;
std::unique_ptr<InstancedBasicEffect> EffectLibrary::InstancedBasicFx;
std::unique_ptr<PostEffect> EffectLibrary::PostFx;
std::unique_ptr<SkyEffect> EffectLibrary::SkyFx;
std::unique_ptr<InstancedBasicMTREffect> EffectLibrary::InstancedBasicMTRFx;
std::unique_ptr<NormalMapEffect> EffectLibrary::NormalMapFx;
std::unique_ptr<DisplacementMapEffect> EffectLibrary::DisplacementMapFx;

void EffectLibrary::CreateAll(ID3D11Device* device)
{
    ColorFx = std::make_unique<ColorEffect>(device, L"Res/color.fx");
    BasicFx = std::make_unique<BasicEffect>(device, L"Res/Basic.fx");
    Basic32Fx = std::make_unique<BasicEffect32>(device, L"Res/Basic32.fx");
    Basic32BFFx = std::make_unique<BasicEffect32BF>(device, L"Res/Basic32BF.fx");
    BlurFx = std::make_unique<BlurEffect>(device, L"Res/Blur.fx");
    InstancedBasicFx = std::make_unique<InstancedBasicEffect>(device, L"Res/InstancedBasic32BF.fx");
    PostFx = std::make_unique<PostEffect>(device, L"Res/Post.fx");
    SkyFx = std::make_unique<SkyEffect>(device, L"Res/Sky.fx");
    InstancedBasicMTRFx = std::make_unique<InstancedBasicMTREffect>(device, L"Res/InstancedBasicMTR.fx");
    NormalMapFx = std::make_unique<NormalMapEffect>(device, L"Res/NormalMap.fx");
    DisplacementMapFx = std::make_unique<DisplacementMapEffect>(device, L"Res/DisplacementMap.fx");
    // The show compiles nothing after this; where a file had to be compiled, the server's memory goes back.
    EndCompileServer();
}

void EffectLibrary::ReleaseAll()
{
    ColorFx.reset();
    BasicFx.reset();
    Basic32Fx.reset();
    Basic32BFFx.reset();
    BlurFx.reset();
    InstancedBasicFx.reset();
    PostFx.reset();
    SkyFx.reset();
    InstancedBasicMTRFx.reset();
    NormalMapFx.reset();
    DisplacementMapFx.reset();
}
