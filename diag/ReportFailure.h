#pragma once
#include "platform/win32/WinTypes.h"

// Reports a failed call: a one-line trace to the debug output ("file(line): call hr=NAME
// (0x........)") and, when showDialog is set, a Yes/No error box whose Yes breaks into the
// debugger. Returns code unchanged; it never ends the program. file may be null (no location
// is shown), callText may be null or empty (no call is named). Texts are built in fixed
// buffers and cut, not overrun, when an argument is too long.
HRESULT ReportFailure(const char* file, unsigned line, HRESULT code, const wchar_t* callText, bool showDialog);

// The call-site test: a failure code is reported with the box; the caller carries on either way.
inline HRESULT CheckResultAt(const char* file, unsigned line, HRESULT code, const wchar_t* callText)
{
    if (FAILED(code))
        ReportFailure(file, line, code, callText, true);
    return code;
}

#define SHOW_DIAG_WIDE_(text) L##text
#define SHOW_DIAG_WIDE(text) SHOW_DIAG_WIDE_(text)

// CheckResult(SomeCall(...)) evaluates the call once and reports a failure with this source
// location and the call's own text.
#define CheckResult(expr) CheckResultAt(__FILE__, static_cast<unsigned>(__LINE__), (expr), SHOW_DIAG_WIDE(#expr))
