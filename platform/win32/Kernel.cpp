// kernel32 services over Linux: performance counter, Sleep, processor check, executable path,
// code-page conversion, last error, debug output and debugger break.
#include "platform/win32/PerformanceCounter.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include <unistd.h>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;
VirtualClock* virtualClock = nullptr;

constexpr std::int64_t kMonotonicFrequency = 1'000'000'000;

std::int64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kMonotonicFrequency + now.tv_nsec;
}

// ---- UTF-8 <-> code points ------------------------------------------------------------------
// An invalid byte b (always 0x80 or above) becomes U+DC00 + b, in U+DC80..U+DCFF, and goes back to
// the same byte, so file names that are not UTF-8 still round-trip; with the strict flag they are
// an error instead.
constexpr char32_t kEscapeBase = 0xDC00;

bool DecodeUtf8(std::string_view in, std::u32string& out, bool strict)
{
    out.clear();
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const auto lead = static_cast<unsigned char>(in[i]);
        char32_t cp = 0;
        std::size_t length = 0;
        if (lead < 0x80) {
            cp = lead;
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            cp = lead & 0x1F;
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            cp = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            cp = lead & 0x07;
            length = 4;
        }
        bool valid = length != 0 && i + length <= in.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(in[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                cp = (cp << 6) | (next & 0x3F);
            }
        }
        // Reject overlong forms, surrogates and values past U+10FFFF.
        if (valid && ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                      (cp >= 0xD800 && cp <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            if (strict) {
                return false;
            }
            out.push_back(kEscapeBase + lead);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += length;
    }
    return true;
}

// Returns false when a code point cannot be written (a surrogate that is not an escaped byte, or a
// value past U+10FFFF) and strict is set; otherwise writes U+FFFD for it and notes the replacement.
bool EncodeUtf8(std::wstring_view in, std::string& out, bool strict, bool& replaced)
{
    out.clear();
    out.reserve(in.size());
    replaced = false;
    for (const wchar_t wc : in) {
        auto cp = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(wc));
        if (cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF && !strict) {
            out.push_back(static_cast<char>(cp - kEscapeBase));
            continue;
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            if (strict) {
                return false;
            }
            replaced = true;
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return true;
}

bool IsUtf8CodePage(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == CP_UTF8;
}

// Reads the text of a null-terminated string or of an explicit length, as the conversion calls do.
template <typename Char>
std::basic_string_view<Char> SourceView(const Char* text, int count)
{
    if (count < 0) {
        return std::basic_string_view<Char>(text, std::char_traits<Char>::length(text) + 1);
    }
    return std::basic_string_view<Char>(text, static_cast<std::size_t>(count));
}

bool TracerAttached()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("TracerPid:", 0) == 0) {
            return std::strtol(line.c_str() + 10, nullptr, 10) != 0;
        }
    }
    return false;
}

void WriteDebugText(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

// ---- Performance counter and Sleep --------------------------------------------------------------

VirtualClock::VirtualClock(std::int64_t frequency_, std::int64_t start)
    : frequency(frequency_ > 0 ? frequency_ : 1),
      counter(start)
{}

void VirtualClock::Advance(std::int64_t ticks)
{
    // The counter is monotonic: going back is refused.
    if (ticks > 0) {
        counter += ticks;
    }
}

void VirtualClock::AdvanceSeconds(double seconds)
{
    Advance(static_cast<std::int64_t>(seconds * static_cast<double>(frequency)));
}

void VirtualClock::AdvanceMilliseconds(DWORD milliseconds)
{
    Advance(static_cast<std::int64_t>(milliseconds) * frequency / 1000);
}

void InstallVirtualClock(VirtualClock* clock)
{
    virtualClock = clock;
}

std::int64_t PerformanceCounterSource::Frequency()
{
    LARGE_INTEGER value{};
    QueryPerformanceFrequency(&value);
    return value.QuadPart;
}

std::int64_t PerformanceCounterSource::Counter()
{
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (count == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    count->QuadPart = virtualClock != nullptr ? virtualClock->Counter() : MonotonicNanoseconds();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (frequency == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    frequency->QuadPart = virtualClock != nullptr ? virtualClock->Frequency() : kMonotonicFrequency;
    return TRUE;
}

void Sleep(DWORD milliseconds)
{
    if (virtualClock != nullptr) {
        virtualClock->AdvanceMilliseconds(milliseconds);
        return;
    }
    timespec request{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1'000'000L};
    while (nanosleep(&request, &request) != 0 && errno == EINTR) {
    }
}

// ---- Processor check ----------------------------------------------------------------------------
// The question behind the check is whether the processor runs the vector code the math is built
// for. On x86 that is SSE and SSE2, asked of the processor. An aarch64 build uses Advanced SIMD,
// which every ARMv8-A processor has, so the answer there is yes; other targets build the math
// without vector instructions, which any processor of the target runs.

BOOL IsProcessorFeaturePresent(DWORD feature)
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    switch (feature) {
    case PF_XMMI_INSTRUCTIONS_AVAILABLE: return __builtin_cpu_supports("sse") ? TRUE : FALSE;
    case PF_XMMI64_INSTRUCTIONS_AVAILABLE: return __builtin_cpu_supports("sse2") ? TRUE : FALSE;
    case PF_SSE3_INSTRUCTIONS_AVAILABLE: return __builtin_cpu_supports("sse3") ? TRUE : FALSE;
    default: return FALSE;
    }
#else
    switch (feature) {
    case PF_XMMI_INSTRUCTIONS_AVAILABLE:
    case PF_XMMI64_INSTRUCTIONS_AVAILABLE: return TRUE;
    default: return FALSE;
    }
#endif
}

// ---- Executable path ----------------------------------------------------------------------------

namespace {
// Only the executable itself has a module handle; this is its value.
HMODULE const kExecutableModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000));
}  // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (moduleName != nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return kExecutableModule;
}

std::wstring Win32ExecutablePath()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return WideFromNarrow(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
        }
        // The link may have been cut at the buffer's end: try again with room to spare.
        buffer.resize(buffer.size() * 2);
    }
}

// Keeps the Win32 contract: a path that does not fit is cut to size - 1 characters and terminated,
// the result is the size and the last error ERROR_INSUFFICIENT_BUFFER, so a caller can tell a cut
// path from a whole one and ask again with a larger buffer. There is no other length limit.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    if (module != nullptr && module != kExecutableModule) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (fileName == nullptr && size != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring path = Win32ExecutablePath();
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        path.copy(fileName, path.size());
        fileName[path.size()] = L'\0';
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(path.size());
    }
    path.copy(fileName, size - 1);
    fileName[size - 1] = L'\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

// ---- Code pages ---------------------------------------------------------------------------------
// The narrow code page is UTF-8 whichever of CP_ACP, CP_OEMCP, CP_THREAD_ACP or CP_UTF8 is asked
// for: that is what Linux file names and terminals use. Wide strings hold one code point per
// wchar_t. Counts follow Win32: -1 means null-terminated and includes the terminator; a zero
// output size asks for the size needed; a buffer that is too small fails with
// ERROR_INSUFFICIENT_BUFFER and the result 0.

std::wstring WideFromNarrow(std::string_view text)
{
    std::u32string points;
    DecodeUtf8(text, points, false);
    return std::wstring(points.begin(), points.end());
}

std::string NarrowFromWide(std::wstring_view text)
{
    std::string out;
    bool replaced = false;
    EncodeUtf8(text, out, false, replaced);
    return out;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteCount, LPWSTR wide, int wideCount)
{
    if (!IsUtf8CodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((flags & ~MB_ERR_INVALID_CHARS) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (multiByte == nullptr || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0 ||
        (wide == nullptr && wideCount != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u32string points;
    if (!DecodeUtf8(SourceView(multiByte, multiByteCount), points, (flags & MB_ERR_INVALID_CHARS) != 0)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    const auto needed = static_cast<int>(points.size());
    if (wideCount == 0) {
        return needed;
    }
    if (needed > wideCount) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        wide[i] = static_cast<wchar_t>(points[i]);
    }
    return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount, LPSTR multiByte, int multiByteCount,
                        LPCCH defaultChar, LPBOOL usedDefaultChar)
{
    if (!IsUtf8CodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((flags & ~WC_ERR_INVALID_CHARS) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (wide == nullptr || wideCount == 0 || wideCount < -1 || multiByteCount < 0 ||
        (multiByte == nullptr && multiByteCount != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // As for Windows' UTF-8 code page: no default character; unencodable characters become U+FFFD.
    (void)defaultChar;
    std::string out;
    bool replaced = false;
    if (!EncodeUtf8(SourceView(wide, wideCount), out, (flags & WC_ERR_INVALID_CHARS) != 0, replaced)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (usedDefaultChar != nullptr) {
        *usedDefaultChar = replaced ? TRUE : FALSE;
    }
    const auto needed = static_cast<int>(out.size());
    if (multiByteCount == 0) {
        return needed;
    }
    if (needed > multiByteCount) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    out.copy(multiByte, out.size());
    return needed;
}

// ---- Last error, debug output, debugger ---------------------------------------------------------

DWORD GetLastError()
{
    return lastError;
}
void SetLastError(DWORD error)
{
    lastError = error;
}

// There is no debugger output channel on Linux: the text goes to standard error as it is.
void OutputDebugStringW(LPCWSTR text)
{
    if (text != nullptr) {
        WriteDebugText(NarrowFromWide(text));
    }
}

void OutputDebugStringA(LPCSTR text)
{
    if (text != nullptr) {
        WriteDebugText(text);
    }
}

BOOL IsDebuggerPresent()
{
    return TracerAttached() ? TRUE : FALSE;
}

// Without a debugger SIGTRAP would end the process with a core dump, so the break happens only
// when one is attached.
void DebugBreak()
{
    if (TracerAttached()) {
        std::raise(SIGTRAP);
    }
}
