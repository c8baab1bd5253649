#include "platform/d3dx11/D3DX11Texture.h"

#include <stb_image.h>
#include <tiffio.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "assets/WholeFile.h"
#include "platform/d3d11/ComObject.h"
#include "platform/d3d11/ComPtr.h"
#include "platform/d3dx11/DdsReader.h"

namespace {

// Wide names are UTF-32 here; U+DC80..U+DCFF carry bytes that were not UTF-8, as the window
// layer's conversions do, so any file name survives.
std::string Utf8(LPCWSTR wide)
{
    std::string s;
    for (; *wide != 0; ++wide) {
        const auto c = static_cast<std::uint32_t>(*wide);
        if (c >= 0xDC80 && c <= 0xDCFF) {
            s += static_cast<char>(c - 0xDC00);
        } else if (c < 0x80) {
            s += static_cast<char>(c);
        } else if (c < 0x800) {
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            s += static_cast<char>(0xE0 | (c >> 12));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s += static_cast<char>(0xF0 | (c >> 18));
            s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return s;
}

// Pixel memory comes from malloc (stb's own, or ours without zero-filling it first): these are
// megabytes that are written in full right away.
std::atomic<std::uint64_t> g_decodedBytes{0};
std::atomic<std::uint64_t> g_decodedBudget{kDecodedTextureBudgetBytes};

std::string SizeText(std::uint64_t bytes)
{
    if (bytes < (1u << 20))
        return std::to_string((bytes + 1023) >> 10) + " KiB";
    return std::to_string((bytes + (1u << 19)) >> 20) + " MiB";
}

// A share of the decoded-texture budget, returned when it is destroyed.
class BudgetShare {
public:
    BudgetShare() = default;
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;
    BudgetShare(BudgetShare&& other) noexcept : bytes(std::exchange(other.bytes, 0)), refused(other.refused) {}
    ~BudgetShare() { g_decodedBytes -= bytes; }

    // Takes `wanted` bytes for a w x h texture; false, with the figures in `error`, past the budget.
    bool Take(std::uint64_t wanted, std::uint32_t w, std::uint32_t h, std::string& error)
    {
        std::uint64_t held = g_decodedBytes.load();
        const std::uint64_t budget = g_decodedBudget.load();
        do {
            if (wanted > budget || held > budget - wanted) {
                error = std::to_string(w) + "x" + std::to_string(h) + " (" + SizeText(wanted) +
                        " with its mip levels) would take the textures read from files past their " + SizeText(budget) +
                        " budget (" + SizeText(held) + " are in use)";
                refused = true;
                return false;
            }
        } while (!g_decodedBytes.compare_exchange_weak(held, held + wanted));
        bytes += wanted;
        return true;
    }

    bool Refused() const { return refused; }
    std::uint64_t Bytes() const { return bytes; }

private:
    std::uint64_t bytes = 0;
    bool refused = false;
};

// Holds a texture's share for as long as the texture lives (as its private data).
class BudgetToken final : public ComObject<IUnknown> {
public:
    explicit BudgetToken(BudgetShare share) : share(std::move(share)) {}

private:
    BudgetShare share;
};

// The private-data key of the token.
constexpr GUID kBudgetTokenKey = {0x6a1d3c52, 0x0f7e, 0x4b91, {0x9c, 0x2e, 0x51, 0x3a, 0x7d, 0x08, 0xe4, 0x6b}};

// An RGBA8 image with its full mip chain.
std::uint64_t ChainBytes(std::uint32_t w, std::uint32_t h)
{
    std::uint64_t bytes = 0;
    for (;;) {
        bytes += std::uint64_t{w} * h * 4;
        if (w == 1 && h == 1)
            return bytes;
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
}

struct Rgba8Image {
    std::uint32_t width = 0, height = 0;
    std::unique_ptr<std::uint8_t, void (*)(void*)> pixels{nullptr, std::free};  // rows top-first

    bool Allocate(std::uint32_t w, std::uint32_t h)
    {
        width = w;
        height = h;
        pixels = {static_cast<std::uint8_t*>(std::malloc(std::size_t(w) * h * 4)), std::free};
        return pixels != nullptr;
    }
};

bool DecodeWithStb(const std::vector<std::uint8_t>& file, Rgba8Image& image, BudgetShare& share, std::string& error)
{
    int w = 0, h = 0, channels = 0;
    if (file.size() > 0x7FFFFFFF)
        return error = "file too large", false;
    if (!stbi_info_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels) || w <= 0 || h <= 0) {
        error = std::string("not a decodable PNG or JPEG image (") +
                (stbi_failure_reason() ? stbi_failure_reason() : "?") + ")";
        return false;
    }
    if (w > int(kDdsMaxDimension) || h > int(kDdsMaxDimension)) {
        error = std::to_string(w) + "x" + std::to_string(h) + " is larger than the " +
                std::to_string(kDdsMaxDimension) + "x" + std::to_string(kDdsMaxDimension) + " a texture can be";
        return false;
    }
    // Every 8x8 block of a JPEG costs at least a few bits, so a file far smaller than its header's
    // size is cut short: stb would fill the rest with garbage (and gigabytes of it).
    const bool jpeg = file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8;
    if (jpeg && file.size() < std::uint64_t(w) * std::uint64_t(h) / 256) {
        error = "the file is far too small for the " + std::to_string(w) + "x" + std::to_string(h) +
                " its header gives (cut short?)";
        return false;
    }
    const auto width = static_cast<std::uint32_t>(w);
    const auto height = static_cast<std::uint32_t>(h);
    if (!share.Take(ChainBytes(width, height), width, height, error))
        return false;
    image.pixels = {stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels, 4),
                    stbi_image_free};
    if (!image.pixels) {
        error = std::string("corrupt image data (") + (stbi_failure_reason() ? stbi_failure_reason() : "?") + ")";
        return false;
    }
    image.width = static_cast<std::uint32_t>(w);
    image.height = static_cast<std::uint32_t>(h);
    return true;
}

// libtiff's first error about one file, kept for the reason the texture is refused with.
int KeepFirstTiffError(TIFF*, void* firstError, const char*, const char* format, va_list args)
{
    auto* kept = static_cast<std::string*>(firstError);
    if (kept->empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        *kept = text;
    }
    return 1;  // handled: nothing goes to the global handler
}

bool DecodeTiff(const std::string& path, Rgba8Image& image, BudgetShare& share, std::string& error)
{
    // Errors go to a handler of this file's own (files are decoded on several threads), which keeps
    // the first for the reason below; warnings are dropped.
    static std::once_flag silenced;
    std::call_once(silenced, [] { TIFFSetWarningHandler(nullptr); });
    std::string libtiffError;
    const std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                               TIFFOpenOptionsFree);
    if (!options)
        return error = "out of memory", false;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepFirstTiffError, &libtiffError);
    const auto because = [&] { return libtiffError.empty() ? std::string() : " (" + libtiffError + ")"; };
    std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpenExt(path.c_str(), "r", options.get()), TIFFClose);
    if (!tif)
        return error = "unreadable TIFF" + because(), false;
    std::uint32_t w = 0, h = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    if (w == 0 || h == 0)
        return error = "a TIFF without a size", false;
    if (w > kDdsMaxDimension || h > kDdsMaxDimension)
        return error = std::to_string(w) + "x" + std::to_string(h) + " is larger than the " +
                       std::to_string(kDdsMaxDimension) + "x" + std::to_string(kDdsMaxDimension) + " a texture can be",
               false;
    if (!share.Take(ChainBytes(w, h), w, h, error))
        return false;
    if (!image.Allocate(w, h))
        return error = "out of memory", false;
    // libtiff packs each pixel as a native 32-bit word with red in the low byte. The read stops at the
    // first error (a compression it lacks, a cut strip): otherwise it says it succeeded over a picture
    // with holes.
    auto* raster = reinterpret_cast<std::uint32_t*>(image.pixels.get());
    if (!TIFFReadRGBAImageOriented(tif.get(), w, h, raster, ORIENTATION_TOPLEFT, 1) || !libtiffError.empty())
        return error = "undecodable TIFF" + because(), false;
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
            const std::uint32_t p = raster[i];
            std::uint8_t* out = image.pixels.get() + i * 4;
            out[0] = static_cast<std::uint8_t>(TIFFGetR(p));
            out[1] = static_cast<std::uint8_t>(TIFFGetG(p));
            out[2] = static_cast<std::uint8_t>(TIFFGetB(p));
            out[3] = static_cast<std::uint8_t>(TIFFGetA(p));
        }
    }
    return true;
}

// One box-filtered level from the one above (odd sizes fold their last row/column into the one
// before). Even sizes, which every power-of-two texture has down to 1x1, take the direct path.
bool HalveLevel(const Rgba8Image& src, Rgba8Image& dst)
{
    if (!dst.Allocate(src.width > 1 ? src.width / 2 : 1, src.height > 1 ? src.height / 2 : 1))
        return false;
    const std::uint8_t* in = src.pixels.get();
    std::uint8_t* out = dst.pixels.get();
    const std::size_t pitch = std::size_t(src.width) * 4;
    const bool evenX = src.width % 2 == 0, evenY = src.height % 2 == 0;
    if (evenX && evenY) {
        for (std::uint32_t y = 0; y < dst.height; ++y) {
            const std::uint8_t* r0 = in + std::size_t(y) * 2 * pitch;
            const std::uint8_t* r1 = r0 + pitch;
            std::uint8_t* o = out + std::size_t(y) * dst.width * 4;
            for (std::uint32_t x = 0; x < dst.width * 4; x += 4)
                for (int c = 0; c < 4; ++c)
                    o[x + c] = static_cast<std::uint8_t>(
                        (r0[2 * x + c] + r0[2 * x + 4 + c] + r1[2 * x + c] + r1[2 * x + 4 + c] + 2) >> 2);
        }
        return true;
    }
    for (std::uint32_t y = 0; y < dst.height; ++y)
        for (std::uint32_t x = 0; x < dst.width; ++x)
            for (int c = 0; c < 4; ++c) {
                unsigned sum = 0, n = 0;
                const std::uint32_t y1 = y == dst.height - 1 ? src.height : std::min(src.height, y * 2 + 2);
                const std::uint32_t x1 = x == dst.width - 1 ? src.width : std::min(src.width, x * 2 + 2);
                for (std::uint32_t sy = y * 2; sy < y1; ++sy)
                    for (std::uint32_t sx = x * 2; sx < x1; ++sx, ++n)
                        sum += in[std::size_t(sy) * pitch + sx * 4 + c];
                out[(std::size_t(y) * dst.width + x) * 4 + c] = static_cast<std::uint8_t>((sum + n / 2) / n);
            }
    return true;
}

// A file decoded into what CreateTexture2D takes; built on any thread, used on the device's.
struct DecodedTexture {
    HRESULT hr = S_OK;
    std::string error;
    D3D11_TEXTURE2D_DESC desc{};
    DdsImage dds;
    std::vector<Rgba8Image> chain;  // a 2D image's levels, largest first
    std::vector<D3D11_SUBRESOURCE_DATA> init;
    BudgetShare share;  // handed on to the texture made from it
};

// More than any texture file the device could take: the largest, a raw 16384-square RGBA8 DDS with
// its mip chain, is 1.34 GiB (the show's are a few megabytes); a sparse or runaway file is refused
// unread.
constexpr std::uint64_t kMaxTextureFileBytes = 1536ull << 20;

std::unique_ptr<DecodedTexture> Decode(const std::string& path)
{
    auto t = std::make_unique<DecodedTexture>();
    // A directory opens as a stream on Linux and its first read fails, so only regular files are read.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        t->error = std::filesystem::exists(path, ec) ? "not a regular file" : "file not found or unreadable";
        t->hr = D3D11_ERROR_FILE_NOT_FOUND;
        return t;
    }
    std::vector<std::uint8_t> file;
    if (std::string reason; !ReadWholeFile(path, kMaxTextureFileBytes, file, reason)) {
        t->error = reason;
        t->hr = E_FAIL;
        return t;
    }
    D3D11_TEXTURE2D_DESC& desc = t->desc;
    desc.ArraySize = 1;
    desc.SampleDesc = {1, 0};
    desc.Usage = D3D11_USAGE_IMMUTABLE;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;

    if (file.size() >= 4 && file[0] == 'D' && file[1] == 'D' && file[2] == 'S' && file[3] == ' ') {
        DdsImage& dds = t->dds;
        if (!ReadDds(file.data(), file.size(), dds, t->error)) {
            t->hr = E_FAIL;
            return t;
        }
        if (!t->share.Take(dds.data.size(), dds.width, dds.height, t->error)) {
            t->hr = E_OUTOFMEMORY;
            return t;
        }
        desc.Width = dds.width;
        desc.Height = dds.height;
        desc.MipLevels = dds.mipLevels;
        desc.ArraySize = dds.faces;
        desc.Format = dds.format;
        desc.MiscFlags = dds.faces == 6 ? UINT(D3D11_RESOURCE_MISC_TEXTURECUBE) : 0u;
        for (const DdsSubresource& s : dds.subresources)
            t->init.push_back({dds.data.data() + s.offset, s.rowPitch, 0});
        return t;
    }

    Rgba8Image image;
    const bool tiff = file.size() >= 4 && ((file[0] == 'I' && file[1] == 'I' && file[2] == 42 && file[3] == 0) ||
                                           (file[0] == 'M' && file[1] == 'M' && file[2] == 0 && file[3] == 42));
    if (!(tiff ? DecodeTiff(path, image, t->share, t->error) : DecodeWithStb(file, image, t->share, t->error))) {
        t->hr = t->share.Refused() ? E_OUTOFMEMORY : E_FAIL;
        return t;
    }
    file = {};
    t->chain.push_back(std::move(image));
    while (t->chain.back().width > 1 || t->chain.back().height > 1) {
        Rgba8Image level;
        if (!HalveLevel(t->chain.back(), level)) {
            t->error = "out of memory";
            t->hr = E_OUTOFMEMORY;
            return t;
        }
        t->chain.push_back(std::move(level));
    }
    desc.Width = t->chain[0].width;
    desc.Height = t->chain[0].height;
    desc.MipLevels = static_cast<UINT>(t->chain.size());
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    for (const Rgba8Image& level : t->chain)
        t->init.push_back({level.pixels.get(), level.width * 4, 0});
    return t;
}

// The texture is named after its file, for GPU tools.
HRESULT CreateView(ID3D11Device* device, DecodedTexture& t, const std::string& path, ID3D11ShaderResourceView** out,
                   std::string& error)
{
    if (FAILED(t.hr)) {
        error = t.error;
        return t.hr;
    }
    ComPtr<ID3D11Texture2D> texture;  // the view holds it once made
    HRESULT hr = device->CreateTexture2D(&t.desc, t.init.data(), texture.Put());
    if (SUCCEEDED(hr)) {
        texture->SetPrivateData(WKPDID_D3DDebugObjectName, static_cast<UINT>(path.size()), path.data());
        const auto token = ComPtr<BudgetToken>::Adopt(new BudgetToken(std::move(t.share)));
        texture->SetPrivateDataInterface(kBudgetTokenKey, token.Get());
        hr = device->CreateShaderResourceView(texture.Get(), nullptr, out);
    }
    if (FAILED(hr)) {
        error = hr == E_OUTOFMEMORY ? "the device refused the texture: out of memory"
                                    : "the device refused the texture";
    }
    return hr;
}

// Which version of a file was decoded: a file replaced after the prefetch is read again.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path)
{
    std::error_code ec;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(path, ec);
    if (ec)
        stamp.size = ~std::uintmax_t(0);
    stamp.time = std::filesystem::last_write_time(path, ec);
    return stamp;
}

struct PrefetchEntry {
    std::string path;
    FileStamp stamp;
    std::unique_ptr<DecodedTexture> texture;
    bool done = false, taken = false;
};

}  // namespace

// The workers take files in order; the device thread takes finished pictures (or waits for one
// being decoded, or decodes a file nobody has started itself). The workers keep at most
// kAheadBytes of pictures decoded and not yet taken, so that the whole set is never in memory at
// once beside the copies the driver makes of them.
struct D3DX11ImagePrefetch::State {
    static constexpr std::uint64_t kAheadBytes = std::uint64_t{24} << 20;

    std::mutex mutex;
    std::condition_variable finished;
    std::condition_variable room;  // a picture was taken, or the prefetch ends
    std::vector<PrefetchEntry> entries;
    std::size_t next = 0;
    std::uint64_t aheadBytes = 0;  // decoded and not taken
    bool stop = false;

    void Work()
    {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock<std::mutex> lock(mutex);
                room.wait(lock, [&] { return stop || aheadBytes < kAheadBytes; });
                while (next < entries.size() && entries[next].taken)
                    ++next;
                if (stop || next >= entries.size())
                    return;
                i = next++;
            }
            const std::string& path = entries[i].path;  // fixed once the workers run
            FileStamp stamp = StampOf(path);
            std::unique_ptr<DecodedTexture> texture = Decode(path);
            {
                std::lock_guard<std::mutex> lock(mutex);
                entries[i].stamp = stamp;
                aheadBytes += texture->share.Bytes();
                entries[i].texture = std::move(texture);
                entries[i].done = true;
            }
            finished.notify_all();
        }
    }

    // The decoded file; null when it is not in the list, was taken already, changed since, or no
    // worker has started on it (decoding it on the caller's thread is then quicker than waiting).
    std::unique_ptr<DecodedTexture> Take(const std::string& path)
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            PrefetchEntry& e = entries[i];
            if (e.path != path || e.taken)
                continue;
            e.taken = true;
            if (i >= next)
                return nullptr;
            finished.wait(lock, [&] { return e.done; });
            std::unique_ptr<DecodedTexture> texture = std::move(e.texture);
            aheadBytes -= texture->share.Bytes();
            room.notify_all();
            if (!(e.stamp == StampOf(path)))
                return nullptr;
            return texture;
        }
        return nullptr;
    }
};

namespace {
std::mutex g_activeMutex;
D3DX11ImagePrefetch::State* g_active = nullptr;
}  // namespace

D3DX11ImagePrefetch::D3DX11ImagePrefetch(const std::vector<std::wstring>& files, unsigned workers)
    : state_(std::make_unique<State>())
{
    for (const std::wstring& f : files)
        state_->entries.push_back({Utf8(f.c_str()), {}, nullptr, false, false});
    {
        std::lock_guard<std::mutex> lock(g_activeMutex);
        if (g_active == nullptr)
            g_active = state_.get();
    }
    // One core stays with the caller, which meanwhile makes the device and the effects.
    if (workers == 0)
        workers = std::clamp(std::thread::hardware_concurrency(), 2u, 5u) - 1;
    workers = std::min<unsigned>(workers, static_cast<unsigned>(files.size()));
    for (unsigned i = 0; i < workers; ++i)
        threads_.emplace_back([s = state_.get()] { s->Work(); });
}

D3DX11ImagePrefetch::~D3DX11ImagePrefetch()
{
    {
        std::lock_guard<std::mutex> lock(g_activeMutex);
        if (g_active == state_.get())
            g_active = nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stop = true;
    }
    state_->room.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

namespace {

HRESULT Load(ID3D11Device* device, const std::string& path, ID3D11ShaderResourceView** out, std::string& error)
{
    std::unique_ptr<DecodedTexture> texture;
    {
        std::lock_guard<std::mutex> lock(g_activeMutex);
        if (g_active != nullptr)
            texture = g_active->Take(path);
    }
    if (!texture)
        texture = Decode(path);
    return CreateView(device, *texture, path, out, error);
}

}  // namespace

std::uint64_t D3DX11DecodedTextureBytes()
{
    return g_decodedBytes.load();
}

std::uint64_t D3DX11SetDecodedTextureBudget(std::uint64_t bytes)
{
    return g_decodedBudget.exchange(bytes);
}

HRESULT D3DX11CreateShaderResourceViewFromFileW(ID3D11Device* pDevice, LPCWSTR pSrcFile,
                                                D3DX11_IMAGE_LOAD_INFO* pLoadInfo, ID3DX11ThreadPump* pPump,
                                                ID3D11ShaderResourceView** ppShaderResourceView, HRESULT* pHResult)
{
    if (ppShaderResourceView != nullptr)
        *ppShaderResourceView = nullptr;
    HRESULT hr = S_OK;
    std::string error, path;
    if (pDevice == nullptr || pSrcFile == nullptr || ppShaderResourceView == nullptr) {
        hr = E_INVALIDARG;
        error = "null device, file name or result";
    } else if (pLoadInfo != nullptr || pPump != nullptr) {
        hr = E_NOTIMPL;
        error = "load options and thread pumps are not supported";
    } else {
        path = Utf8(pSrcFile);
        hr = Load(pDevice, path, ppShaderResourceView, error);
    }
    if (FAILED(hr))
        std::fprintf(stderr, "D3DX11CreateShaderResourceViewFromFileW: %s: %s\n",
                     path.empty() ? "(no file)" : path.c_str(), error.c_str());
    if (pHResult != nullptr)
        *pHResult = hr;
    return hr;
}
