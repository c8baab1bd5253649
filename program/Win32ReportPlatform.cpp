#include "program/Win32ReportPlatform.h"

#include "platform/win32/Win32.h"

void Win32ReportPlatform::OutputDebugText(LPCWSTR text)
{
    OutputDebugStringW(text);
}

HWND Win32ReportPlatform::ForegroundWindow()
{
    return GetForegroundWindow();
}

int Win32ReportPlatform::ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    return MessageBoxW(owner, text, caption, type);
}

void Win32ReportPlatform::BreakIntoDebugger()
{
    DebugBreak();
}
