// Kernel services: the counter and Sleep, the processor check, the executable path and its
// buffer contract, code-page conversion, debug output and the debugger break.
#include "platform/win32/PerformanceCounter.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

namespace {

std::int64_t ReadCounter()
{
    LARGE_INTEGER value{};
    EXPECT_TRUE(QueryPerformanceCounter(&value));
    return value.QuadPart;
}

std::int64_t ReadFrequency()
{
    LARGE_INTEGER value{};
    EXPECT_TRUE(QueryPerformanceFrequency(&value));
    return value.QuadPart;
}

TEST(PerformanceCounter, VirtualClockDrivesCounterAndSleep)
{
    VirtualClock clock(1000, 5000);
    InstallVirtualClock(&clock);
    PerformanceCounterSource source;
    EXPECT_EQ(source.Frequency(), 1000);
    EXPECT_EQ(source.Counter(), 5000);
    clock.AdvanceSeconds(0.25);
    EXPECT_EQ(ReadCounter(), 5250);
    Sleep(100);  // passes virtual time only
    EXPECT_EQ(ReadCounter(), 5350);
    clock.Advance(-100);
    EXPECT_EQ(ReadCounter(), 5350) << "the counter never goes back";
    InstallVirtualClock(nullptr);

    EXPECT_EQ(ReadFrequency(), 1'000'000'000);
    const std::int64_t before = ReadCounter();
    Sleep(20);
    const std::int64_t after = ReadCounter();
    EXPECT_GE(after - before, 20'000'000);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}

TEST(Processor, VectorInstructionsOfTheMathArePresent)
{
    EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
    EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE));
    EXPECT_FALSE(IsProcessorFeaturePresent(9999));
}

std::string ReadLink(const char* path)
{
    std::vector<char> buffer(65536);
    const ssize_t length = readlink(path, buffer.data(), buffer.size());
    return length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : std::string();
}

TEST(ExecutablePath, ModuleFileNameKeepsTheBufferContract)
{
    const std::wstring expected = WideFromNarrow(ReadLink("/proc/self/exe"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Win32ExecutablePath(), expected);
    const auto length = static_cast<DWORD>(expected.size());

    // {buffer size, result, last error, characters kept}
    const std::tuple<DWORD, DWORD, DWORD, std::size_t> cases[] = {
        {length + 10, length, ERROR_SUCCESS, expected.size()},
        {length + 1, length, ERROR_SUCCESS, expected.size()},
        {length, length, ERROR_INSUFFICIENT_BUFFER, expected.size() - 1},
        {5, 5, ERROR_INSUFFICIENT_BUFFER, 4},
        {1, 1, ERROR_INSUFFICIENT_BUFFER, 0},
    };
    for (const auto& [size, result, error, kept] : cases) {
        std::vector<wchar_t> buffer(size + 4, L'#');
        SetLastError(12345);
        EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), size), result) << size;
        EXPECT_EQ(GetLastError(), error) << size;
        EXPECT_EQ(std::wstring(buffer.data()), expected.substr(0, kept)) << "always terminated";
        EXPECT_EQ(buffer[size], L'#') << "nothing written past the buffer";
    }
    wchar_t one[4];
    EXPECT_EQ(GetModuleFileNameW(nullptr, one, 0), 0u);
    EXPECT_EQ(GetModuleFileNameW(nullptr, nullptr, 10), 0u);
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), one, 4), 4u);
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(0x1234), one, 4), 0u);
}

// Run by the next test from a copy of this executable in a deep folder.
TEST(ExecutablePath, DISABLED_PrintOwnPath)
{
    std::printf("PATH-LENGTH %zu %s\n", Win32ExecutablePath().size(), NarrowFromWide(Win32ExecutablePath()).c_str());
}

TEST(ExecutablePath, PathsLongerThan260CharactersAreWhole)
{
    namespace fs = std::filesystem;
    const fs::path self = ReadLink("/proc/self/exe");
    fs::path deep = fs::temp_directory_path() / ("win32-path-" + std::to_string(getpid()));
    const fs::path root = deep;
    for (int i = 0; i < 6; ++i) {
        deep /= std::string(60, static_cast<char>('a' + i));
    }
    fs::create_directories(deep);
    const fs::path copy = deep / "copy";
    std::error_code error;
    fs::create_hard_link(self, copy, error);
    if (error) {
        fs::copy_file(self, copy, error);
    }
    ASSERT_FALSE(error) << error.message();
    const std::string command = copy.string() + " --gtest_also_run_disabled_tests" +
                                " --gtest_filter=ExecutablePath.DISABLED_PrintOwnPath 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        pclose(pipe);
    }
    fs::remove_all(root);
    const std::string expected = "PATH-LENGTH " + std::to_string(copy.string().size()) + " " + copy.string();
    EXPECT_GT(copy.string().size(), 260u);
    EXPECT_NE(output.find(expected), std::string::npos) << output;
}

TEST(CodePages, ConversionsAreUtf8ForEveryNarrowCodePage)
{
    const std::tuple<std::string, std::wstring> cases[] = {
        {"Res/Basic.fx", L"Res/Basic.fx"},
        {"caf\xC3\xA9 \xE2\x82\xAC", L"caf\u00E9 \u20AC"},
        {"\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600))},
        {"", L""},
    };
    for (const UINT codePage : {CP_ACP, CP_UTF8, CP_OEMCP}) {
        for (const auto& [narrow, wide] : cases) {
            const int count = narrow.empty() ? -1 : static_cast<int>(narrow.size());
            const int needed = MultiByteToWideChar(codePage, 0, narrow.c_str(), count, nullptr, 0);
            std::vector<wchar_t> wbuf(static_cast<std::size_t>(needed) + 1, L'\0');
            ASSERT_EQ(MultiByteToWideChar(codePage, 0, narrow.c_str(), count, wbuf.data(), needed), needed);
            EXPECT_EQ(std::wstring(wbuf.data()), wide);

            const int bytes = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
            EXPECT_EQ(bytes, static_cast<int>(narrow.size()) + 1) << "-1 counts the terminator";
            std::vector<char> nbuf(static_cast<std::size_t>(bytes));
            ASSERT_EQ(WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nbuf.data(), bytes, nullptr, nullptr), bytes);
            EXPECT_EQ(std::string(nbuf.data()), narrow);
        }
    }
}

TEST(CodePages, InvalidInputAndSmallBuffersFail)
{
    wchar_t wide[4];
    char narrow[4];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcdef", 6, wide, 4), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u20AC\u20AC", 2, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0x1000, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, wide, 4), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC0\xAF", 2, wide, 4), 0) << "overlong";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xED\xA0\x80", 3, wide, 4), 0) << "surrogate";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xE2\x82", 2, wide, 4), 0) << "cut short";

    const wchar_t lone[] = {static_cast<wchar_t>(0xD800), L'x', 0};
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, -1, narrow, 4, nullptr, &usedDefault), 0)
        << "needs 5 bytes: U+FFFD, x and the terminator";
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    usedDefault = FALSE;
    char big[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, -1, big, 8, nullptr, &usedDefault), 5);
    EXPECT_EQ(std::string(big), "\xEF\xBF\xBDx");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, -1, big, 8, nullptr, nullptr), 0);
}

TEST(CodePages, FileNamesThatAreNotUtf8SurviveARoundTrip)
{
    const std::string names[] = {"Res/\xFF\xFE.obj", "a\xC3", "\x80\x80 \xE2\x82\xAC", "\xED\xA0\x80"};
    for (const std::string& name : names) {
        const std::wstring wide = WideFromNarrow(name);
        EXPECT_EQ(NarrowFromWide(wide), name);
    }
    EXPECT_EQ(WideFromNarrow("\xFF"), std::wstring(1, static_cast<wchar_t>(0xDCFF)));
}

TEST(DebugOutput, GoesToStandardErrorAndBreakNeedsADebugger)
{
    ::testing::internal::CaptureStderr();
    OutputDebugStringW(L"Effects(30): D3DX11CompileFromFile hr=E_FAIL (0x80004005)\n");
    OutputDebugStringW(nullptr);
    OutputDebugStringA("narrow\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Effects(30): D3DX11CompileFromFile hr=E_FAIL (0x80004005)\nnarrow\n");
    if (!IsDebuggerPresent()) {
        DebugBreak();  // would end the process with SIGTRAP if it raised one
    }
    SUCCEED();
}

}  // namespace
