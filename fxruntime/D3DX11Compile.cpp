// The effect-file compile entry: runs the effect compiler and hands back its code and messages
// as blobs.
#include "fxruntime/D3DX11Compile.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "fxruntime/EffectCache.h"
#include "platform/d3d11/ComObject.h"
#include "platform/win32/Win32Platform.h"

namespace {

class Blob final : public ComObject<ID3D10Blob> {
public:
    explicit Blob(std::size_t size) : bytes(size) {}

    IUnknown* Cast(REFIID riid) override { return riid == IID_ID3D10Blob ? this : nullptr; }
    void* GetBufferPointer() override { return bytes.empty() ? nullptr : bytes.data(); }
    SIZE_T GetBufferSize() override { return bytes.size(); }

private:
    std::vector<std::uint8_t> bytes;
};

ID3D10Blob* MakeBlob(const void* data, std::size_t size)
{
    ID3D10Blob* blob = nullptr;
    if (FAILED(D3DCreateBlob(size, &blob))) {
        return nullptr;
    }
    if (size != 0) {
        std::memcpy(blob->GetBufferPointer(), data, size);
    }
    return blob;
}

HRESULT Finish(HRESULT hr, HRESULT* pHResult)
{
    if (pHResult != nullptr) {
        *pHResult = hr;
    }
    return hr;
}

}  // namespace

HRESULT D3DCreateBlob(SIZE_T Size, ID3D10Blob** ppBlob)
{
    if (ppBlob == nullptr) {
        return E_INVALIDARG;
    }
    *ppBlob = new (std::nothrow) Blob(Size);
    return *ppBlob != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT D3DX11CompileFromFileW(LPCWSTR pSrcFile, const D3D10_SHADER_MACRO* pDefines, LPD3D10INCLUDE pInclude,
                               LPCSTR /*pFunctionName*/, LPCSTR pProfile, UINT /*Flags1*/, UINT /*Flags2*/,
                               ID3DX11ThreadPump* pPump, ID3D10Blob** ppShader, ID3D10Blob** ppErrorMsgs,
                               HRESULT* pHResult)
{
    if (ppShader != nullptr) {
        *ppShader = nullptr;
    }
    if (ppErrorMsgs != nullptr) {
        *ppErrorMsgs = nullptr;
    }
    if (pSrcFile == nullptr || ppShader == nullptr || pProfile == nullptr || std::strcmp(pProfile, "fx_5_0") != 0) {
        return Finish(E_INVALIDARG, pHResult);
    }
    // A macro list holding only its terminator defines nothing.
    const bool macros = pDefines != nullptr && pDefines[0].Name != nullptr;
    if (macros || pInclude != nullptr || pPump != nullptr) {
        return Finish(E_NOTIMPL, pHResult);
    }

    const std::string path = NarrowFromWide(pSrcFile);
    EffectCompileResult result;
    try {
        result = CompileEffectFileCached(path);
    } catch (const std::bad_alloc&) {
        // The compilers allocate in proportion to the file; failing that is this file's failure,
        // reported like any other, not the end of the program.
        const std::string message = path + "(1,1): error X3000: out of memory while compiling the effect\n";
        if (ppErrorMsgs != nullptr) {
            *ppErrorMsgs = MakeBlob(message.c_str(), message.size() + 1);
        }
        return Finish(E_OUTOFMEMORY, pHResult);
    }
    const std::string messages = result.Messages();
    if (!messages.empty() && ppErrorMsgs != nullptr) {
        // The text keeps its terminator, as compiler message blobs do, so it can be used as a C string.
        *ppErrorMsgs = MakeBlob(messages.c_str(), messages.size() + 1);
    }
    if (!result.succeeded) {
        return Finish(E_FAIL, pHResult);
    }
    *ppShader = MakeBlob(result.code.data(), result.code.size());
    if (*ppShader == nullptr) {
        return Finish(E_OUTOFMEMORY, pHResult);
    }
    return Finish(S_OK, pHResult);
}
