#include "diag/ReportFailure.h"
#include "diag/ReportPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records everything the report asks of the platform and answers the box as scripted.
class FakeReportPlatform final : public ReportPlatform {
public:
    struct Box {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT type;
    };

    void OutputDebugText(LPCWSTR text) override { debugWrites.emplace_back(text); }
    HWND ForegroundWindow() override { return foreground; }
    int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override
    {
        boxes.push_back({owner, text, caption, type});
        return answer;
    }
    void BreakIntoDebugger() override { ++breaks; }

    std::wstring DebugText() const
    {
        std::wstring all;
        for (const auto& write : debugWrites)
            all += write;
        return all;
    }

    std::vector<std::wstring> debugWrites;
    std::vector<Box> boxes;
    HWND foreground = reinterpret_cast<HWND>(0x1234);
    int answer = IDNO;
    int breaks = 0;
};

class ReportFailureTest : public ::testing::Test {
protected:
    void SetUp() override { SetReportPlatform(&fake); }
    void TearDown() override { SetReportPlatform(nullptr); }

    // The box text for the one real call site, with the parts a test varies.
    static std::wstring BoxText(const std::wstring& file, const std::wstring& calling,
                                const std::wstring& code = L"E_FAIL (0x80004005)")
    {
        return L"File: " + file + L"\nLine: 30\nError Code: " + code + L"\n" + calling +
               L"Do you want to debug the application?";
    }

    FakeReportPlatform fake;
};

TEST_F(ReportFailureTest, EffectCompileFailureWritesTraceAndAsks)
{
    EXPECT_EQ(ReportFailure("Effects", 30, E_FAIL, L"D3DX11CompileFromFile", true), E_FAIL);

    const std::vector<std::wstring> writes = {L"Effects(30): ", L"D3DX11CompileFromFile", L" ",
                                              L"hr=E_FAIL (0x80004005)", L"\n"};
    EXPECT_EQ(fake.debugWrites, writes);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, BoxText(L"Effects", L"Calling: D3DX11CompileFromFile\n"));
    EXPECT_EQ(fake.boxes[0].caption, L"Unexpected error encountered");
    EXPECT_EQ(fake.boxes[0].type, 0x14u);
    EXPECT_EQ(fake.boxes[0].owner, fake.foreground);
}

TEST_F(ReportFailureTest, OnlyYesBreaksAndTheCodeComesBackEitherWay)
{
    struct Case {
        int answer;
        int breaks;
    };
    for (const Case& c : {Case{IDYES, 1}, Case{IDNO, 0}, Case{IDCANCEL, 0}, Case{0, 0}}) {
        fake.breaks = 0;
        fake.answer = c.answer;
        const HRESULT code = MakeHresult(0x887A0005u);
        EXPECT_EQ(ReportFailure("Effects", 30, code, L"Present", true), code) << c.answer;
        EXPECT_EQ(fake.breaks, c.breaks) << c.answer;
    }
}

TEST_F(ReportFailureTest, WithoutDialogOnlyTheTraceIsWritten)
{
    fake.answer = IDYES;
    EXPECT_EQ(ReportFailure("Effects", 30, E_INVALIDARG, L"CreateBuffer", false), E_INVALIDARG);
    EXPECT_EQ(fake.DebugText(), L"Effects(30): CreateBuffer hr=E_INVALIDARG (0x80070057)\n");
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(fake.breaks, 0);
}

TEST_F(ReportFailureTest, NullFileLeavesOutTheLocation)
{
    ReportFailure(nullptr, 30, E_FAIL, L"D3DX11CompileFromFile", true);
    EXPECT_EQ(fake.DebugText(), L"D3DX11CompileFromFile hr=E_FAIL (0x80004005)\n");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, BoxText(L"", L"Calling: D3DX11CompileFromFile\n"));
}

TEST_F(ReportFailureTest, MissingCallTextNamesNoCall)
{
    std::vector<wchar_t> unterminated(1024, L'x');
    const std::wstring tooLong(1024, L'z');
    struct Case {
        const char* what;
        const wchar_t* callText;
    };
    const Case cases[] = {
        {"null", nullptr},
        {"empty", L""},
        {"1024 characters", tooLong.c_str()},
        {"no terminator within 1024", unterminated.data()},
    };
    for (const Case& c : cases) {
        fake.debugWrites.clear();
        fake.boxes.clear();
        ReportFailure("Effects", 30, E_FAIL, c.callText, true);
        const std::vector<std::wstring> writes = {L"Effects(30): ", L"hr=E_FAIL (0x80004005)", L"\n"};
        EXPECT_EQ(fake.debugWrites, writes) << c.what;
        ASSERT_EQ(fake.boxes.size(), 1u) << c.what;
        EXPECT_EQ(fake.boxes[0].text, BoxText(L"Effects", L"")) << c.what;
    }
}

TEST_F(ReportFailureTest, LongestCallTextIsTracedWholeAndCutInTheBox)
{
    const std::wstring callText(1023, L'c');
    ReportFailure("Effects", 30, E_FAIL, callText.c_str(), true);

    EXPECT_EQ(fake.DebugText(), L"Effects(30): " + callText + L" hr=E_FAIL (0x80004005)\n");
    // "Calling: " and the text exceed the 1,024-character line, which keeps 1,023 of them.
    const std::wstring calling = (L"Calling: " + callText).substr(0, 1023);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, BoxText(L"Effects", calling));
}

TEST_F(ReportFailureTest, LongFileNamesAreCutNotOverrun)
{
    const std::string file300(300, 'f');
    ReportFailure(file300.c_str(), 30, E_FAIL, nullptr, true);
    EXPECT_EQ(fake.debugWrites.front(), std::wstring(300, L'f') + L"(30): ");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, BoxText(std::wstring(259, L'f'), L""));

    // Past the 3,000-character buffer the location prefix itself is cut.
    fake.debugWrites.clear();
    const std::string file5000(5000, 'g');
    ReportFailure(file5000.c_str(), 30, E_FAIL, nullptr, false);
    EXPECT_EQ(fake.debugWrites.front(), std::wstring(2999, L'g'));
}

TEST_F(ReportFailureTest, NonAsciiFileNamesAreShownNotMangledIntoACrash)
{
    ReportFailure("Eff\xC3\xA9"
                  "cts",
                  30, E_FAIL, nullptr, true);
    EXPECT_EQ(fake.debugWrites.front(), L"Eff\u00E9cts(30): ");
    EXPECT_EQ(fake.boxes.at(0).text, BoxText(L"Eff\u00E9cts", L""));

    // Bytes that are not UTF-8, and a character cut by the 259-byte copy, show as U+FFFD.
    fake.debugWrites.clear();
    fake.boxes.clear();
    ReportFailure("a\xFF\xC3", 30, E_FAIL, nullptr, false);
    EXPECT_EQ(fake.debugWrites.front(), L"a\uFFFD\uFFFD(30): ");

    fake.boxes.clear();
    const std::string cutInside = std::string(258, 'h') + "\xC3\xA9";
    ReportFailure(cutInside.c_str(), 30, E_FAIL, nullptr, true);
    EXPECT_EQ(fake.boxes.at(0).text, BoxText(std::wstring(258, L'h') + L"\uFFFD", L""));
}

TEST_F(ReportFailureTest, CodeTextNamesTheCodeWithEightHexDigits)
{
    struct Case {
        std::uint32_t code;
        const wchar_t* trace;
    };
    const Case cases[] = {
        {0x12345678u, L"hr=Unknown (0x12345678)"},
        {0xDEADBEEFu, L"hr=Unknown (0xdeadbeef)"},
        {0x887A0005u, L"hr=DXGI_ERROR_DEVICE_REMOVED (0x887a0005)"},
        {0x087A0001u, L"hr=DXGI_STATUS_OCCLUDED (0x087a0001)"},
        {0x00000001u, L"hr=S_FALSE (0x00000001)"},
    };
    for (const Case& c : cases) {
        fake.debugWrites.clear();
        EXPECT_EQ(ReportFailure(nullptr, 1, MakeHresult(c.code), nullptr, false), MakeHresult(c.code));
        ASSERT_EQ(fake.debugWrites.size(), 2u);
        EXPECT_EQ(fake.debugWrites[0], c.trace);
    }
}

TEST_F(ReportFailureTest, LineNumbersPrintUnsigned)
{
    ReportFailure("Effects", 4000000000u, E_FAIL, nullptr, true);
    EXPECT_EQ(fake.debugWrites.front(), L"Effects(4000000000): ");
    EXPECT_NE(fake.boxes.at(0).text.find(L"\nLine: 4000000000\n"), std::wstring::npos);

    fake.debugWrites.clear();
    ReportFailure("Effects", 0, E_FAIL, nullptr, false);
    EXPECT_EQ(fake.debugWrites.front(), L"Effects(0): ");
}

int callsMade = 0;
HRESULT Returning(HRESULT code)
{
    ++callsMade;
    return code;
}

TEST_F(ReportFailureTest, CheckResultReportsFailuresOnlyAndEvaluatesOnce)
{
    callsMade = 0;
    EXPECT_EQ(CheckResult(Returning(S_OK)), S_OK);
    EXPECT_EQ(CheckResult(Returning(S_FALSE)), S_FALSE);
    EXPECT_EQ(callsMade, 2);
    EXPECT_TRUE(fake.debugWrites.empty());
    EXPECT_TRUE(fake.boxes.empty());

    const unsigned line = __LINE__ + 1;
    EXPECT_EQ(CheckResult(Returning(E_POINTER)), E_POINTER);
    EXPECT_EQ(callsMade, 3);
    const std::wstring trace = fake.DebugText();
    const std::wstring location = L"ReportFailureTest.cpp(" + std::to_wstring(line) + L"): ";
    EXPECT_NE(trace.find(location + L"Returning(E_POINTER) hr=E_POINTER (0x80004003)\n"), std::wstring::npos)
        << std::string(trace.begin(), trace.end());
    EXPECT_EQ(fake.boxes.size(), 1u);
}

TEST_F(ReportFailureTest, CheckResultAtTakesTheSiteExplicitly)
{
    fake.answer = IDYES;
    EXPECT_EQ(CheckResultAt("Effects", 30, E_FAIL, L"D3DX11CompileFromFile"), E_FAIL);
    EXPECT_EQ(fake.DebugText(), L"Effects(30): D3DX11CompileFromFile hr=E_FAIL (0x80004005)\n");
    EXPECT_EQ(fake.breaks, 1);

    fake.debugWrites.clear();
    EXPECT_EQ(CheckResultAt("Effects", 30, S_OK, L"D3DX11CompileFromFile"), S_OK);
    EXPECT_TRUE(fake.debugWrites.empty());
}

TEST(DefaultReportPlatform, WritesToStandardErrorAndNeverBlocks)
{
    SetReportPlatform(nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ReportFailure("Effects", 30, E_FAIL, L"D3DX11CompileFromFile", true), E_FAIL);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Effects(30): D3DX11CompileFromFile hr=E_FAIL (0x80004005)\n", 0), 0u) << err;
    EXPECT_NE(err.find("Unexpected error encountered"), std::string::npos);
    EXPECT_EQ(CurrentReportPlatform().ShowMessageBox(nullptr, L"t", L"c", MB_YESNO), IDNO);
    EXPECT_EQ(CurrentReportPlatform().ForegroundWindow(), nullptr);
}

}  // namespace
