#pragma once
// The effect interface the program drives its shaders through: effects made from compiled effect
// code, with techniques, passes and typed variables, under the public Effects 11 names and method
// signatures. Only what the program and its tests use is declared.
//
// Handles are never null: a name the effect lacks, a pass index past the end, or a typed view of a
// variable of another kind gives an inert handle whose IsValid is FALSE and whose setters return
// E_FAIL without changing anything. Handles live as long as their effect; none is released alone.
#include "platform/d3d11/D3D11.h"

struct ID3DX11Effect;
struct ID3DX11EffectTechnique;
struct ID3DX11EffectPass;
struct ID3DX11EffectVariable;
struct ID3DX11EffectScalarVariable;
struct ID3DX11EffectVectorVariable;
struct ID3DX11EffectMatrixVariable;
struct ID3DX11EffectShaderResourceVariable;
struct ID3DX11EffectUnorderedAccessViewVariable;

struct D3DX11_EFFECT_DESC {
    UINT ConstantBuffers;
    UINT GlobalVariables;
    UINT InterfaceVariables;
    UINT Techniques;
    UINT Groups;
};

struct D3DX11_TECHNIQUE_DESC {
    LPCSTR Name;
    UINT Passes;
    UINT Annotations;
};

struct D3DX11_PASS_DESC {
    LPCSTR Name;
    UINT Annotations;
    BYTE* pIAInputSignature;  // the vertex shader's input signature; null when the pass has none
    SIZE_T IAInputSignatureSize;
    UINT StencilRef;
    UINT SampleMask;
    float BlendFactor[4];
};

struct ID3DX11EffectVariable {
    virtual BOOL IsValid() = 0;
    virtual ID3DX11EffectScalarVariable* AsScalar() = 0;
    virtual ID3DX11EffectVectorVariable* AsVector() = 0;
    virtual ID3DX11EffectMatrixVariable* AsMatrix() = 0;
    virtual ID3DX11EffectShaderResourceVariable* AsShaderResource() = 0;
    virtual ID3DX11EffectUnorderedAccessViewVariable* AsUnorderedAccessView() = 0;
    // Copies ByteCount bytes at ByteOffset within the variable; the range must lie inside it.
    virtual HRESULT SetRawValue(const void* pData, UINT ByteOffset, UINT ByteCount) = 0;
    virtual HRESULT GetRawValue(void* pData, UINT ByteOffset, UINT ByteCount) = 0;

protected:
    ~ID3DX11EffectVariable() = default;
};

struct ID3DX11EffectScalarVariable : ID3DX11EffectVariable {
    virtual HRESULT SetFloat(float Value) = 0;
    virtual HRESULT GetFloat(float* pValue) = 0;
    virtual HRESULT SetInt(int Value) = 0;

protected:
    ~ID3DX11EffectScalarVariable() = default;
};

struct ID3DX11EffectVectorVariable : ID3DX11EffectVariable {
    // Four floats; a narrower vector takes the leading ones.
    virtual HRESULT SetFloatVector(const float* pData) = 0;
    virtual HRESULT GetFloatVector(float* pData) = 0;

protected:
    ~ID3DX11EffectVectorVariable() = default;
};

struct ID3DX11EffectMatrixVariable : ID3DX11EffectVariable {
    // Sixteen floats, row by row; stored as the variable's majorness requires.
    virtual HRESULT SetMatrix(const float* pData) = 0;
    virtual HRESULT GetMatrix(float* pData) = 0;

protected:
    ~ID3DX11EffectMatrixVariable() = default;
};

struct ID3DX11EffectShaderResourceVariable : ID3DX11EffectVariable {
    // For an array of textures, SetResource and GetResource take element 0.
    virtual HRESULT SetResource(ID3D11ShaderResourceView* pResource) = 0;
    virtual HRESULT GetResource(ID3D11ShaderResourceView** ppResource) = 0;
    // Count elements from Offset; the range must lie inside the array (a texture that is no array
    // has one element). Got views are AddRef'ed.
    virtual HRESULT SetResourceArray(ID3D11ShaderResourceView** ppResources, UINT Offset, UINT Count) = 0;
    virtual HRESULT GetResourceArray(ID3D11ShaderResourceView** ppResources, UINT Offset, UINT Count) = 0;

protected:
    ~ID3DX11EffectShaderResourceVariable() = default;
};

struct ID3DX11EffectUnorderedAccessViewVariable : ID3DX11EffectVariable {
    virtual HRESULT SetUnorderedAccessView(ID3D11UnorderedAccessView* pResource) = 0;
    virtual HRESULT GetUnorderedAccessView(ID3D11UnorderedAccessView** ppResource) = 0;

protected:
    ~ID3DX11EffectUnorderedAccessViewVariable() = default;
};

struct ID3DX11EffectPass {
    virtual BOOL IsValid() = 0;
    virtual HRESULT GetDesc(D3DX11_PASS_DESC* pDesc) = 0;
    // Binds the pass to the context with the values set so far; later sets wait for the next Apply.
    // - Constant buffers changed since their last upload are uploaded first (UpdateSubresource).
    // - A compute pass binds its compute shader and leaves the graphics stages alone; any other pass
    //   binds its vertex and pixel shaders (null where it sets none), null for the geometry stage,
    //   and leaves the compute stage alone.
    // - Each bound shader gets the constant buffers, textures (with their samplers) and writable
    //   textures it reads, at their slots; a variable set to null unbinds its slot.
    // - A state the pass does not set is left as it is; one set to NULL binds the default.
    virtual HRESULT Apply(UINT Flags, ID3D11DeviceContext* pContext) = 0;

protected:
    ~ID3DX11EffectPass() = default;
};

struct ID3DX11EffectTechnique {
    virtual BOOL IsValid() = 0;
    virtual HRESULT GetDesc(D3DX11_TECHNIQUE_DESC* pDesc) = 0;
    virtual ID3DX11EffectPass* GetPassByIndex(UINT Index) = 0;
    virtual ID3DX11EffectPass* GetPassByName(LPCSTR Name) = 0;

protected:
    ~ID3DX11EffectTechnique() = default;
};

struct ID3DX11Effect : IUnknown {
    virtual BOOL IsValid() = 0;
    virtual HRESULT GetDevice(ID3D11Device** ppDevice) = 0;
    virtual HRESULT GetDesc(D3DX11_EFFECT_DESC* pDesc) = 0;
    virtual ID3DX11EffectVariable* GetVariableByIndex(UINT Index) = 0;
    virtual ID3DX11EffectVariable* GetVariableByName(LPCSTR Name) = 0;
    virtual ID3DX11EffectTechnique* GetTechniqueByIndex(UINT Index) = 0;
    virtual ID3DX11EffectTechnique* GetTechniqueByName(LPCSTR Name) = 0;
};

inline constexpr IID IID_ID3DX11Effect = {0xfa61ca24, 0xe4ba, 0x4262, {0x9d, 0xb8, 0xb1, 0x32, 0xe8, 0xca, 0xe3, 0x19}};

// D3DX's "invalid data" result: the compiled code is not an effect this runtime can read.
constexpr HRESULT D3DXERR_INVALIDDATA = MakeHresult(0x88760B59u);

// Builds an effect from compiled effect code (what D3DX11CompileFromFileW produces for "fx_5_0").
// The code is validated in full first; malformed code gives D3DXERR_INVALIDDATA and a null effect,
// and a shader or state the device refuses gives the device's code and a null effect. `srcName`, the
// effect's file, goes into the debug names of its shaders, so the device's messages name the effect.
HRESULT D3DX11CreateEffectFromMemory(const void* pData, SIZE_T DataLength, UINT FXFlags, ID3D11Device* pDevice,
                                     ID3DX11Effect** ppEffect, LPCSTR srcName = nullptr);

// The shared inert handles, for code that has no effect to ask (an effect that failed to build).
ID3DX11EffectTechnique* D3DX11InertTechnique();
ID3DX11EffectVariable* D3DX11InertVariable();
