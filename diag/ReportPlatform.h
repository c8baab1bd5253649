#pragma once
#include "platform/win32/WinTypes.h"

// The four platform services a failure report needs. The platform layer installs the real
// one at start-up; until then (and in tests that install none) a default writes the debug
// text to standard error and answers every box with IDNO without showing anything.
class ReportPlatform {
public:
    virtual ~ReportPlatform() = default;
    virtual void OutputDebugText(LPCWSTR text) = 0;                                        // OutputDebugStringW
    virtual HWND ForegroundWindow() = 0;                                                   // GetForegroundWindow
    virtual int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) = 0;  // MessageBoxW
    virtual void BreakIntoDebugger() = 0;                                                  // DebugBreak
};

// Installs the platform used by ReportFailure (null restores the default). Not owned.
void SetReportPlatform(ReportPlatform* platform);
ReportPlatform& CurrentReportPlatform();
