#include "fxruntime/EffectCache.h"

#include <dlfcn.h>
#include <spirv_cross/spirv_cross_c.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <string_view>
#include <system_error>
#include <vector>

#include "assets/WholeFile.h"
#include "fxruntime/DiagnosticStream.h"
#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCompilerBuild.h"
#include "fxruntime/LargeStack.h"
#include "platform/blobs/ByteStream.h"

namespace {

constexpr std::uint32_t kEntryMagic = 0x43464853;  // "SHFC"
constexpr std::uint32_t kEntryVersion = 2;
constexpr std::uint32_t kMaxDiagnostics = 10000;
constexpr std::uint32_t kMaxText = 1u << 20;
constexpr std::uint32_t kMaxBlob = 64u << 20;

// Two FNV-1a streams with different starting points: 128 bits, ample for telling apart the
// versions of a handful of files.
class Digest {
public:
    void Bytes(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            streamA = (streamA ^ p[i]) * 0x100000001b3ull;
            streamB = (streamB ^ p[i]) * 0x100000001b3ull;
        }
    }
    void U64(std::uint64_t v) { Bytes(&v, sizeof v); }
    // Length first, so that no two lists of strings run together into the same bytes.
    void Str(const std::string& s)
    {
        U64(s.size());
        Bytes(s.data(), s.size());
    }
    std::string Hex() const
    {
        char text[33];
        std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(streamA),
                      static_cast<unsigned long long>(streamB));
        return text;
    }

private:
    std::uint64_t streamA = 0xcbf29ce484222325ull;
    std::uint64_t streamB = 0x84222325cbf29ce4ull;
};

// Size and modification time of a file: a rebuilt or updated compiler changes them, as a compiler
// cache would check.
void FileIdentity(Digest& d, const char* path)
{
    struct stat st {};
    if (path == nullptr || ::stat(path, &st) != 0) {
        d.U64(0);
        return;
    }
    d.U64(static_cast<std::uint64_t>(st.st_size));
    d.U64(static_cast<std::uint64_t>(st.st_mtim.tv_sec));
    d.U64(static_cast<std::uint64_t>(st.st_mtim.tv_nsec));
}

// The compiler is linked into this executable (shaderc and glslang statically); SPIRV-Cross is a
// shared library.
const std::string& CompilerIdentity()
{
    static const std::string identity = [] {
        Digest d;
        d.Str("effect cache");
        d.U64(kEntryVersion);
        d.U64(kEffectBlobVersion);
        FileIdentity(d, "/proc/self/exe");
        Dl_info info{};
        FileIdentity(d, dladdr(reinterpret_cast<void*>(&spvc_context_create), &info) != 0 ? info.dli_fname : nullptr);
        return d.Hex();
    }();
    return identity;
}

std::string KeyOf(const EffectSource& source)
{
    Digest d;
    d.Str(CompilerIdentity());
    d.Str(source.mainFile);
    d.U64(source.originalFiles.size());
    for (const auto& [path, text] : source.originalFiles) {
        d.Str(path);
        d.Str(text);
    }
    return d.Hex();
}

// The key of a compiled effect shipped beside its file. The build makes these files with another
// program than the one that reads them, and installs them in another folder than it builds them in,
// so the key holds the compiler's build stamp where the cache's holds the executable, and the paths
// relative to the effect file's folder.
std::string ShippedKeyOf(const EffectSource& source)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::absolute(source.mainFile, ec).parent_path();
    std::vector<std::pair<std::string, const std::string*>> files;
    for (const auto& [path, text] : source.originalFiles) {
        files.emplace_back(fs::absolute(path, ec).lexically_normal().lexically_relative(folder).string(), &text);
    }
    std::sort(files.begin(), files.end());
    Digest d;
    d.Str("shipped compiled effect");
    d.U64(kEntryVersion);
    d.U64(kEffectBlobVersion);
    d.Str(EffectCompilerBuildStamp());
    d.U64(files.size());
    for (const auto& [relative, text] : files) {
        d.Str(relative);
        d.Str(*text);
    }
    return d.Hex();
}

std::string DigestOf(const std::vector<std::uint8_t>& code)
{
    Digest d;
    d.Bytes(code.data(), code.size());
    return d.Hex();
}

}  // namespace

std::vector<std::uint8_t> EncodeEffectCacheEntry(const std::string& key, const EffectCompileResult& result)
{
    ByteWriter w;
    w.U32(kEntryMagic);
    w.U32(kEntryVersion);
    w.Str(key);
    w.U32(static_cast<std::uint32_t>(result.diagnostics.size()));
    for (const EffectDiagnostic& diag : result.diagnostics) {
        WriteDiagnostic(w, diag);
    }
    w.Data(result.code);
    w.Str(DigestOf(result.code));
    return std::move(w.out);
}

namespace {

bool Decode(const std::vector<std::uint8_t>& bytes, const std::string& key, EffectCompileResult& result)
{
    ByteReader r(bytes.data(), bytes.size());
    std::uint32_t magic = 0, version = 0, count = 0;
    std::string storedKey;
    if (!r.U32(magic) || magic != kEntryMagic || !r.U32(version) || version != kEntryVersion ||
        !r.Str(storedKey, 64, false) || storedKey != key || !r.Count(count, kMaxDiagnostics, 24)) {
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        EffectDiagnostic diag;
        if (!ReadDiagnostic(r, diag, kMaxText) || diag.error) {
            return false;  // only successful compilations are kept, so an error cannot be in one
        }
        result.diagnostics.push_back(std::move(diag));
    }
    // The digest tells a damaged entry from an intact one; whether the runtime can read the blob is
    // the caller's question.
    std::string digest;
    if (!r.Data(result.code, kMaxBlob) || !r.Str(digest, 64, false) || r.Left() != 0 ||
        digest != DigestOf(result.code)) {
        return false;
    }
    result.succeeded = true;
    return true;
}

bool ReadEntry(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes)
{
    // Read without blocking and bounded: a FIFO or a device in the cache is a miss, not a hang.
    std::string reason;
    return ReadWholeFile(file.string(), std::uint64_t(kMaxBlob) * 2, bytes, reason) && !bytes.empty();
}

// Written whole beside the entry and renamed over it, so a reader never sees half an entry, whichever
// of two processes finishes first. A cache that cannot be written only costs the next start its
// compile.
void WriteEntry(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        return;
    }
    // A FIFO, a link or a device node under an entry's name is damage inside the cache's own folder:
    // the name goes, and the entry takes it (WriteWholeFile never replaces such a name itself).
    const std::filesystem::file_status status = std::filesystem::symlink_status(file, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_directory(status)) {
        std::filesystem::remove(file, ec);
    }
    std::string error;
    WriteWholeFile(file.string(), bytes, error);
}

bool IsHex(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Entry names are the 32 hex digits of the key and ".fxc"; temporary ones add ".tmp.<pid>.<n>".
enum class CacheFile { Entry, Temporary, Other };

CacheFile KindOf(const std::string& name)
{
    if (name.size() < 36 || !IsHex(std::string_view(name).substr(0, 32)) || name.compare(32, 4, ".fxc") != 0) {
        return CacheFile::Other;
    }
    if (name.size() == 36) {
        return CacheFile::Entry;
    }
    return name.compare(36, 5, ".tmp.") == 0 ? CacheFile::Temporary : CacheFile::Other;
}

// A hit is a use: the modification time is what pruning goes by (access times are often not kept).
void MarkUsed(const std::filesystem::path& entry)
{
    std::error_code ec;
    std::filesystem::last_write_time(entry, std::filesystem::file_time_type::clock::now(), ec);
}

}  // namespace

EffectCachePruneResult PruneEffectCache(const std::filesystem::path& dir, const EffectCacheLimits& limits,
                                        std::filesystem::file_time_type now)
{
    namespace fs = std::filesystem;
    struct Entry {
        fs::path path;
        fs::file_time_type used;
        std::uintmax_t size;
    };
    EffectCachePruneResult result;
    std::vector<Entry> entries;
    std::error_code ec;
    auto remove = [&](const fs::path& path) {
        std::error_code removeError;
        if (fs::remove(path, removeError)) {
            ++result.removed;
        }
    };
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statError;
        if (!it->is_regular_file(statError)) {
            continue;
        }
        const CacheFile kind = KindOf(it->path().filename().string());
        if (kind == CacheFile::Other) {
            continue;
        }
        const fs::file_time_type used = it->last_write_time(statError);
        const std::uintmax_t size = it->file_size(statError);
        if (statError) {
            continue;
        }
        if (kind == CacheFile::Temporary) {
            // A writer renames its file within moments; one this old was left by a process that died.
            if (now - used > std::chrono::hours(1)) {
                remove(it->path());
            }
            continue;
        }
        if (now - used > limits.maxUnused) {
            remove(it->path());
            continue;
        }
        entries.push_back({it->path(), used, size});
    }
    // The most recently used first; what no longer fits goes.
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.used != b.used ? a.used > b.used : a.path < b.path; });
    for (const Entry& entry : entries) {
        if (result.keptBytes + entry.size <= limits.maxBytes) {
            result.keptBytes += entry.size;
        } else {
            remove(entry.path);
        }
    }
    return result;
}

namespace {

// The working directory the process started in, read before main: the programs then change to the
// folder that holds Res/, but a relative SHOW_EFFECT_CACHE_DIR names a folder from where the user was.
const std::filesystem::path kStartDirectory = [] {
    std::error_code ec;
    return std::filesystem::current_path(ec);
}();

bool CacheTurnedOff()
{
    const char* off = std::getenv("SHOW_EFFECT_CACHE");
    return off != nullptr && std::string(off) == "0";
}

}  // namespace

std::string EffectCacheDirectory()
{
    if (CacheTurnedOff()) {
        return {};
    }
    if (const char* dir = std::getenv("SHOW_EFFECT_CACHE_DIR"); dir != nullptr && *dir != '\0') {
        if (dir[0] == '/' || kStartDirectory.empty()) {
            return dir;
        }
        return (kStartDirectory / dir).lexically_normal().string();
    }
    // Relative values are to be ignored, as the XDG rules say.
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/vexa-rhino/effects";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return std::string(home) + "/.cache/vexa-rhino/effects";
    }
    return {};
}

namespace {

// Whether the compile's blob reads and holds the techniques the file declares, in its order: a blob
// of another file reads as well as this file's own.
bool IsACompileOf(const EffectCompileResult& compile, const EffectSource& source)
{
    EffectBlob blob;
    return ParseEffectBlob(compile.code.data(), compile.code.size(), blob) &&
           std::equal(blob.techniques.begin(), blob.techniques.end(), source.techniques.begin(),
                      source.techniques.end(), [](const EffectTechnique& built, const EffectSourceTechnique& declared) {
                          return built.name == declared.name && built.passes.size() == declared.passes.size();
                      });
}

// The compiled effect shipped beside `path`, when it is a compile of the file as it is now by this
// build of the compiler. One that is not (the file was edited, or another build made it) is passed
// over in silence: compiling the file is then the normal course.
bool ReadShippedEffect(const std::string& path, const EffectSource& source, EffectCompileResult& result)
{
    std::vector<std::uint8_t> bytes;
    const std::string file = CompiledEffectPath(path);
    if (!ReadEntry(file, bytes) || !Decode(bytes, ShippedKeyOf(source), result)) {
        return false;
    }
    if (!IsACompileOf(result, source)) {
        std::fprintf(stderr, "warning: %s: not a compile of %s this program can read; the file is compiled\n",
                     file.c_str(), path.c_str());
        result = {};
        return false;
    }
    return true;
}

}  // namespace

EffectCompileResult CompileEffectFileCached(const std::string& path, bool* fromCache)
{
    if (fromCache != nullptr) {
        *fromCache = false;
    }
    EffectSource source;
    bool read = false;
    RunOnLargeStack([&] { read = ReadEffectSource(path, source); });
    if (!read || CacheTurnedOff()) {
        return CompileEffectSource(source);
    }

    // The user's cache first: an entry there may stand for a shipped compile that could not be used.
    const std::string dir = EffectCacheDirectory();
    std::filesystem::path entry;
    std::string key;
    if (!dir.empty()) {
        static std::once_flag pruned;
        std::call_once(pruned, [&] { PruneEffectCache(dir, {}, std::filesystem::file_time_type::clock::now()); });
        key = KeyOf(source);
        entry = std::filesystem::path(dir) / (key + ".fxc");
        std::vector<std::uint8_t> bytes;
        EffectCompileResult cached;
        if (ReadEntry(entry, bytes) && Decode(bytes, key, cached)) {
            // An intact entry whose blob the runtime cannot read, or that is not this file's effect
            // (written by another build that kept the same identity, or by hand), would make the
            // effect inert at every start: it is compiled again and replaced.
            if (IsACompileOf(cached, source)) {
                MarkUsed(entry);
                if (fromCache != nullptr) {
                    *fromCache = true;
                }
                return cached;
            }
            std::fprintf(stderr,
                         "warning: %s: not a compile of %s this program can read; the file is compiled again and "
                         "the entry replaced\n",
                         entry.c_str(), path.c_str());
        }
    }
    if (EffectCompileResult shipped; ReadShippedEffect(path, source, shipped)) {
        if (fromCache != nullptr) {
            *fromCache = true;
        }
        return shipped;
    }
    EffectCompileResult result = CompileEffectSource(source);
    // A result that read files the key does not cover could not tell when it is out of date.
    if (!dir.empty() && result.succeeded && result.selfContained) {
        WriteEntry(entry, EncodeEffectCacheEntry(key, result));
    }
    return result;
}

std::string CompiledEffectPath(const std::string& effectPath)
{
    return std::filesystem::path(effectPath).replace_extension(".fxo").string();
}

std::vector<std::uint8_t> EncodeCompiledEffect(const std::string& path, const EffectCompileResult& result,
                                               std::string& error)
{
    EffectSource source;
    bool read = false;
    RunOnLargeStack([&] { read = ReadEffectSource(path, source); });
    if (!read) {
        error = path + ": the file does not read";
    } else if (!result.succeeded) {
        error = path + ": the file does not compile";
    } else if (!result.diagnostics.empty()) {
        // Its messages would name the folder it was built in, not the one it is read from.
        error = path + ": the file warns; only a file that compiles without a message is shipped compiled";
    } else if (!result.selfContained) {
        error = path + ": the compiler read a file the front end did not, so no digest covers the compile";
    } else {
        return EncodeEffectCacheEntry(ShippedKeyOf(source), result);
    }
    return {};
}

std::string ForgetEffectCacheEntry(const std::string& path)
{
    EffectSource source;
    bool read = false;
    RunOnLargeStack([&] { read = ReadEffectSource(path, source); });
    const std::string dir = EffectCacheDirectory();
    if (!read || dir.empty()) {
        return {};
    }
    const std::filesystem::path entry = std::filesystem::path(dir) / (KeyOf(source) + ".fxc");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(entry, ec)) ||
        !std::filesystem::remove(entry, ec)) {
        return {};
    }
    return entry.string();
}
