#pragma once
// One wrapper per effect file: each compiles its file from the executable's folder, builds the
// effect, and looks up once every technique and variable the program may use. Drawing code only
// ever calls the stored handles.
//
// A file that fails to compile is reported and leaves its wrapper without an effect; every handle
// of that wrapper is then inert, so the draws that use it do nothing and the program goes on.
#include <memory>
#include <string>

#include "fxruntime/D3DX11Effect.h"
#include "platform/d3d11/ComPtr.h"

// The lit technique family, in lookup order.
// (The formatter would indent each continuation line further than the last.)
// clang-format off
#define SHOW_LIT_TECHNIQUES(X)                                                                       \
    X(Light1) X(Light2) X(Light3) X(Light0Tex) X(Light1Tex) X(Light2Tex) X(Light3Tex)                 \
    X(Light0TexAlphaClip) X(Light1TexAlphaClip) X(Light2TexAlphaClip) X(Light3TexAlphaClip)           \
    X(Light1Fog) X(Light2Fog) X(Light3Fog) X(Light0TexFog) X(Light1TexFog) X(Light2TexFog)            \
    X(Light3TexFog) X(Light0TexAlphaClipFog) X(Light1TexAlphaClipFog) X(Light2TexAlphaClipFog)        \
    X(Light3TexAlphaClipFog)
// clang-format on

#define SHOW_TECHNIQUE_MEMBER(name) ID3DX11EffectTechnique* name##Tech = nullptr;
#define SHOW_REFLECT_TECHNIQUE_MEMBER(name) ID3DX11EffectTechnique* name##ReflectTech = nullptr;

class Effect {
public:
    // fileName is relative to the executable's folder, e.g. L"Res/Basic.fx".
    Effect(ID3D11Device* device, const std::wstring& fileName);
    virtual ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Null when the file did not compile or the effect could not be built.
    ComPtr<ID3DX11Effect> runtimeEffect;
    // The effect file, as the warnings about it name it.
    const std::string& Path() const { return path; }

protected:
    // Lookups; without an effect they give the shared inert handles. A name the compiled effect
    // lacks, or holds as another kind of variable, also gives an inert handle, and one warning
    // naming the file, since what it drew or set is then silently missing.
    // Variables the program writes as raw bytes are looked up with the number it writes: a variable
    // smaller than that takes none of them (Direct3D refuses the whole write), so it is warned of too.
    // A vector set with SetFloatVector (0 bytes here) takes what it holds of the four floats.
    ID3DX11EffectTechnique* Technique(const char* name);
    ID3DX11EffectVariable* Variable(const char* name, UINT bytesWritten);
    ID3DX11EffectMatrixVariable* Matrix(const char* name);
    ID3DX11EffectVectorVariable* Vector(const char* name, UINT bytesWritten = 0);
    ID3DX11EffectScalarVariable* Scalar(const char* name);
    ID3DX11EffectShaderResourceVariable* Texture(const char* name);
    ID3DX11EffectUnorderedAccessViewVariable* WritableTexture(const char* name);

private:
    // The typed view of a variable, with the warning when the variable is of another kind.
    template <typename View>
    View* Typed(const char* name, View* (ID3DX11EffectVariable::*as)(), const char* kind);
    void Warn(const std::string& problem) const;
    ID3DX11EffectVariable* Find(const char* name);
    void CheckSize(ID3DX11EffectVariable* variable, const char* name, UINT bytesWritten) const;

    std::string path;  // the effect file, for the warnings
};

class ColorEffect : public Effect {
public:
    ColorEffect(ID3D11Device* device, const std::wstring& fileName);

    ID3DX11EffectTechnique* ColorTech;
    ID3DX11EffectMatrixVariable* WorldViewProj;
};

class BasicEffect : public Effect {
public:
    BasicEffect(ID3D11Device* device, const std::wstring& fileName);

    ID3DX11EffectTechnique* Light1Tech;
    ID3DX11EffectTechnique* Light2Tech;
    ID3DX11EffectTechnique* Light3Tech;
    ID3DX11EffectMatrixVariable* WorldViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectVectorVariable* EyePosW;
    ID3DX11EffectVariable* DirLights;
    ID3DX11EffectVariable* SpotLight;
    ID3DX11EffectVariable* Mat;
};

class BasicEffect32 : public Effect {
public:
    BasicEffect32(ID3D11Device* device, const std::wstring& fileName);

    ID3DX11EffectTechnique* Light1Tech;
    ID3DX11EffectTechnique* Light2Tech;
    ID3DX11EffectTechnique* Light3Tech;
    ID3DX11EffectTechnique* Light0TexTech;
    ID3DX11EffectTechnique* Light1TexTech;
    ID3DX11EffectTechnique* Light2TexTech;
    ID3DX11EffectTechnique* Light3TexTech;
    ID3DX11EffectMatrixVariable* WorldViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectMatrixVariable* TexTransform;
    ID3DX11EffectVectorVariable* EyePosW;
    ID3DX11EffectVariable* DirLights;
    ID3DX11EffectVariable* Mat;
    ID3DX11EffectShaderResourceVariable* DiffuseMap;
};

class BasicEffect32BF : public Effect {
public:
    BasicEffect32BF(ID3D11Device* device, const std::wstring& fileName);

    SHOW_LIT_TECHNIQUES(SHOW_TECHNIQUE_MEMBER)
    ID3DX11EffectMatrixVariable* WorldViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectMatrixVariable* TexTransform;
    ID3DX11EffectVectorVariable* EyePosW;
    ID3DX11EffectVectorVariable* FogColor;
    ID3DX11EffectScalarVariable* FogStart;
    ID3DX11EffectScalarVariable* FogRange;
    ID3DX11EffectVariable* DirLights;
    ID3DX11EffectVariable* Mat;
    ID3DX11EffectShaderResourceVariable* DiffuseMap;
};

class BlurEffect : public Effect {
public:
    BlurEffect(ID3D11Device* device, const std::wstring& fileName);

    ID3DX11EffectTechnique* HorzBlurTech;
    ID3DX11EffectTechnique* VertBlurTech;
    ID3DX11EffectScalarVariable* Weights;
    ID3DX11EffectShaderResourceVariable* Input;
    ID3DX11EffectUnorderedAccessViewVariable* Output;
};

class InstancedBasicEffect : public Effect {
public:
    InstancedBasicEffect(ID3D11Device* device, const std::wstring& fileName);

    SHOW_LIT_TECHNIQUES(SHOW_TECHNIQUE_MEMBER)
    ID3DX11EffectMatrixVariable* ViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectMatrixVariable* TexTransform;
    ID3DX11EffectVectorVariable* EyePosW;
    ID3DX11EffectVectorVariable* FogColor;
    ID3DX11EffectScalarVariable* FogStart;
    ID3DX11EffectScalarVariable* FogRange;
    ID3DX11EffectVariable* DirLights;
    ID3DX11EffectVariable* Mat;
    ID3DX11EffectShaderResourceVariable* DiffuseMap;
};

class PostEffect : public Effect {
public:
    PostEffect(ID3D11Device* device, const std::wstring& fileName);

    ID3DX11EffectTechnique* Tech1;
    ID3DX11EffectMatrixVariable* WorldViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectMatrixVariable* TexTransform;
    ID3DX11EffectShaderResourceVariable* DiffuseMap;
    ID3DX11EffectShaderResourceVariable* DiffuseMap2;
};

class SkyEffect : public Effect {
public:
    SkyEffect(ID3D11Device* device, const std::wstring& fileName);

    ID3DX11EffectTechnique* SkyTech;
    ID3DX11EffectMatrixVariable* WorldViewProj;
    ID3DX11EffectShaderResourceVariable* CubeMap;
};

class InstancedBasicMTREffect : public Effect {
public:
    InstancedBasicMTREffect(ID3D11Device* device, const std::wstring& fileName);

    // Both are looked up by the name "Tech1" and so are the same technique; the drawing uses the
    // first.
    ID3DX11EffectTechnique* Tech1;
    ID3DX11EffectTechnique* Tech1Alias;
    ID3DX11EffectMatrixVariable* ViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectVectorVariable* EyePosW;
    ID3DX11EffectVectorVariable* FogColor;
    ID3DX11EffectScalarVariable* FogStart;
    ID3DX11EffectScalarVariable* FogRange;
};

class NormalMapEffect : public Effect {
public:
    NormalMapEffect(ID3D11Device* device, const std::wstring& fileName);

    SHOW_LIT_TECHNIQUES(SHOW_TECHNIQUE_MEMBER)
    SHOW_LIT_TECHNIQUES(SHOW_REFLECT_TECHNIQUE_MEMBER)
    ID3DX11EffectMatrixVariable* WorldViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectMatrixVariable* TexTransform;
    ID3DX11EffectVectorVariable* EyePosW;
    ID3DX11EffectVectorVariable* FogColor;
    ID3DX11EffectScalarVariable* FogStart;
    ID3DX11EffectScalarVariable* FogRange;
    ID3DX11EffectVariable* DirLights;
    ID3DX11EffectVariable* SpotLight;
    ID3DX11EffectVariable* Mat;
    ID3DX11EffectShaderResourceVariable* DiffuseMap;
    ID3DX11EffectShaderResourceVariable* CubeMap;
    ID3DX11EffectShaderResourceVariable* NormalMap;
};

class DisplacementMapEffect : public Effect {
public:
    DisplacementMapEffect(ID3D11Device* device, const std::wstring& fileName);

    SHOW_LIT_TECHNIQUES(SHOW_TECHNIQUE_MEMBER)
    SHOW_LIT_TECHNIQUES(SHOW_REFLECT_TECHNIQUE_MEMBER)
    ID3DX11EffectMatrixVariable* ViewProj;
    ID3DX11EffectMatrixVariable* WorldViewProj;
    ID3DX11EffectMatrixVariable* World;
    ID3DX11EffectMatrixVariable* WorldInvTranspose;
    ID3DX11EffectMatrixVariable* TexTransform;
    ID3DX11EffectVectorVariable* EyePosW;
    ID3DX11EffectVectorVariable* FogColor;
    ID3DX11EffectScalarVariable* FogStart;
    ID3DX11EffectScalarVariable* FogRange;
    ID3DX11EffectVariable* DirLights;
    ID3DX11EffectVariable* Mat;
    ID3DX11EffectScalarVariable* HeightScale;
    ID3DX11EffectScalarVariable* MaxTessDistance;
    ID3DX11EffectScalarVariable* MinTessDistance;
    ID3DX11EffectScalarVariable* MinTessFactor;
    ID3DX11EffectScalarVariable* MaxTessFactor;
    ID3DX11EffectShaderResourceVariable* DiffuseMap;
    ID3DX11EffectShaderResourceVariable* CubeMap;
    ID3DX11EffectShaderResourceVariable* NormalMap;
};

// The process-wide effects, filled once at start-up after the device exists. All eleven effect files
// are compiled and kept although the show draws with six (Color, Basic32, Basic32BF, InstancedBasic
// and DisplacementMap are unused): they are the library the show's draws are written against.
class EffectLibrary {
public:
    static void CreateAll(ID3D11Device* device);
    // Destroys the effects, in the order they were made; a second call does nothing.
    static void ReleaseAll();

    static std::unique_ptr<ColorEffect> ColorFx;
    static std::unique_ptr<BasicEffect> BasicFx;
    static std::unique_ptr<BasicEffect32> Basic32Fx;
    static std::unique_ptr<BasicEffect32BF> Basic32BFFx;
    static std::unique_ptr<BlurEffect> BlurFx;
    static std::unique_ptr<InstancedBasicEffect> InstancedBasicFx;
    static std::unique_ptr<PostEffect> PostFx;
    static std::unique_ptr<SkyEffect> SkyFx;
    static std::unique_ptr<InstancedBasicMTREffect> InstancedBasicMTRFx;
    static std::unique_ptr<NormalMapEffect> NormalMapFx;
    static std::unique_ptr<DisplacementMapEffect> DisplacementMapFx;
};
