#pragma once
// Texture files to shader-resource views: PNG, JPEG, TIFF and DDS (2D and cube maps).
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/d3d11/D3D11.h"

struct D3DX11_IMAGE_LOAD_INFO;  // load options are not supported; pass null
struct ID3DX11ThreadPump;       // loading is always synchronous; pass null

// Decodes the file (its kind is told by its content, not its name) into an immutable texture with
// rows top-first, as Direct3D addresses them, and a full mip chain for 2D images (DDS files keep
// their own chain). A missing file gives D3D11_ERROR_FILE_NOT_FOUND, an undecodable one E_FAIL,
// load options E_NOTIMPL; the view is then null and the reason goes to standard error.
HRESULT D3DX11CreateShaderResourceViewFromFileW(ID3D11Device* pDevice, LPCWSTR pSrcFile,
                                                D3DX11_IMAGE_LOAD_INFO* pLoadInfo, ID3DX11ThreadPump* pPump,
                                                ID3D11ShaderResourceView** ppShaderResourceView, HRESULT* pHResult);

// Every texture made from a file holds its decoded size (all its mip levels) against one budget for
// the process, from before its pixels are decoded until the texture is destroyed: a file that would
// take the total past it is refused from its header (E_OUTOFMEMORY, both figures named) instead of
// decoding gigabytes. The show's 27 textures take about 150 MiB; four 16384-square images would
// take 5.3 GiB.
inline constexpr std::uint64_t kDecodedTextureBudgetBytes = std::uint64_t{2048} << 20;
// The bytes held against the budget now.
std::uint64_t D3DX11DecodedTextureBytes();
// Replaces the budget (tests use a small one); returns the one it replaces.
std::uint64_t D3DX11SetDecodedTextureBudget(std::uint64_t bytes);

// Decodes image files on worker threads ahead of time: while it lives, the function above takes a
// listed file's decoded picture from here instead of reading the file again (a file changed since
// is read again), so decoding overlaps whatever the caller does meanwhile. Only the first of
// several living prefetches is used. `workers` 0 picks a count from the processor count.
class D3DX11ImagePrefetch {
public:
    explicit D3DX11ImagePrefetch(const std::vector<std::wstring>& files, unsigned workers = 0);
    ~D3DX11ImagePrefetch();  // stops the workers; pictures never asked for are dropped
    D3DX11ImagePrefetch(const D3DX11ImagePrefetch&) = delete;
    D3DX11ImagePrefetch& operator=(const D3DX11ImagePrefetch&) = delete;

    struct State;

private:
    std::unique_ptr<State> state_;
    std::vector<std::thread> threads_;
};
