#include "diag/ReportFailure.h"

#include "diag/ReportPlatform.h"
#include "diag/ResultCodeName.h"
#include "diag/WideText.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t LineTextSize = 128;
constexpr std::size_t MessageSize = 3000;
constexpr std::size_t CodeTextSize = 256;
constexpr std::size_t FileTextSize = 260;
constexpr std::size_t CallTextLimit = 1024;

// Length of the call text, or 0 when it is null or has no terminator within the limit: an
// unterminated or runaway text is not worth reading past the limit.
std::size_t MeasureCallText(const wchar_t* callText)
{
    if (callText == nullptr)
        return 0;
    for (std::size_t i = 0; i < CallTextLimit; ++i) {
        if (callText[i] == L'\0')
            return i;
    }
    return 0;
}

}  // namespace

HRESULT ReportFailure(const char* file, unsigned line, HRESULT code, const wchar_t* callText, bool showDialog)
{
    ReportPlatform& platform = CurrentReportPlatform();

    // Printed unsigned: a signed 32-bit conversion would show line numbers past 2^31 as negative.
    FixedWideText<LineTextSize> lineText;
    lineText.AppendUnsigned(line);

    if (file != nullptr) {
        FixedWideText<MessageSize> prefix;
        prefix.AppendNarrow(file).Append(L'(').Append(lineText.Text()).Append(L"): ");
        platform.OutputDebugText(prefix.Text());
    }

    const std::size_t callLength = MeasureCallText(callText);
    if (callLength != 0) {
        platform.OutputDebugText(callText);
        platform.OutputDebugText(L" ");
    }

    FixedWideText<CodeTextSize> codeText;
    codeText.Append(ResultCodeName(code)).Append(L" (0x").AppendHex8(static_cast<std::uint32_t>(code)).Append(L')');

    FixedWideText<MessageSize> trace;
    trace.Append(L"hr=").Append(codeText.Text());
    platform.OutputDebugText(trace.Text());
    platform.OutputDebugText(L"\n");

    if (!showDialog)
        return code;

    // The box shows the file name as its 259-byte narrow copy would.
    char fileText[FileTextSize] = {};
    if (file != nullptr) {
        std::size_t i = 0;
        for (; i + 1 < FileTextSize && file[i] != '\0'; ++i)
            fileText[i] = file[i];
        fileText[i] = '\0';
    }

    FixedWideText<CallTextLimit> callingText;
    if (callLength != 0)
        callingText.Append(L"Calling: ").Append(callText).Append(L'\n');

    FixedWideText<MessageSize> message;
    message.Append(L"File: ")
        .AppendNarrow(fileText)
        .Append(L"\nLine: ")
        .Append(lineText.Text())
        .Append(L"\nError Code: ")
        .Append(codeText.Text())
        .Append(L'\n')
        .Append(callingText.Text())
        .Append(L"Do you want to debug the application?");

    const HWND owner = platform.ForegroundWindow();
    const int answer = platform.ShowMessageBox(owner, message.Text(), L"Unexpected error encountered",
                                               MB_ICONERROR | MB_YESNO);
    if (answer == IDYES)
        platform.BreakIntoDebugger();
    return code;
}
