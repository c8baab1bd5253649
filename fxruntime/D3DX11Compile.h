#pragma once
// The compile entry of D3DX 11 for effect files, and the blob object it returns code and messages
// in, under their public names and signatures. Only the "fx_5_0" profile is supported, compiled
// synchronously, with no macros and no include handler of the caller's.
#include "platform/d3d11/D3D11.h"

inline constexpr IID IID_ID3D10Blob = {0x8ba5fb08, 0x5195, 0x40e2, {0xac, 0x58, 0x0d, 0x98, 0x9c, 0x3a, 0x01, 0x02}};

struct ID3D10Blob : IUnknown {
    virtual void* GetBufferPointer() = 0;
    virtual SIZE_T GetBufferSize() = 0;
};
using ID3DBlob = ID3D10Blob;
using LPD3D10BLOB = ID3D10Blob*;

struct D3D10_SHADER_MACRO {
    LPCSTR Name;
    LPCSTR Definition;
};
struct ID3D10Include;
using LPD3D10INCLUDE = ID3D10Include*;
struct ID3DX11ThreadPump;

// A blob holding a copy of the bytes; for tests and for the compile entry.
HRESULT D3DCreateBlob(SIZE_T Size, ID3D10Blob** ppBlob);

// Compiles the effect file at pSrcFile. On success *ppShader receives the compiled effect code.
// *ppErrorMsgs receives the compiler's messages (errors and warnings, one per line, as a
// NUL-terminated narrow text) whenever there are any, on success too; otherwise null.
// Results: S_OK; E_INVALIDARG for a null file or output, or a profile other than "fx_5_0";
// E_NOTIMPL for macros, an include handler or a thread pump; E_FAIL when compilation fails
// (including a file that cannot be read). pHResult, when given, receives the same code.
HRESULT D3DX11CompileFromFileW(LPCWSTR pSrcFile, const D3D10_SHADER_MACRO* pDefines, LPD3D10INCLUDE pInclude,
                               LPCSTR pFunctionName, LPCSTR pProfile, UINT Flags1, UINT Flags2,
                               ID3DX11ThreadPump* pPump, ID3D10Blob** ppShader, ID3D10Blob** ppErrorMsgs,
                               HRESULT* pHResult);
