#pragma once
// Failure reports through the Win32 calls: debug output, the foreground window as the box's owner,
// the message box, and the debugger break.
#include "diag/ReportPlatform.h"

class Win32ReportPlatform : public ReportPlatform {
public:
    void OutputDebugText(LPCWSTR text) override;
    HWND ForegroundWindow() override;
    int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override;
    void BreakIntoDebugger() override;
};
