#include "diag/ReportPlatform.h"

#include "diag/WideText.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// True when a debugger is tracing this process; a trap without one would end the program.
bool DebuggerAttached()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("TracerPid:", 0) == 0)
            return std::strtol(line.c_str() + 10, nullptr, 10) != 0;
    }
    return false;
}

// Used until the platform layer installs the real services: there is no display, so the report
// goes to standard error and every question is answered No at once rather than blocking.
class StandardErrorReportPlatform final : public ReportPlatform {
public:
    void OutputDebugText(LPCWSTR text) override
    {
        const std::string bytes = NarrowToUtf8(text);
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        std::fflush(stderr);
    }

    HWND ForegroundWindow() override { return nullptr; }

    int ShowMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) override
    {
        // The box cannot be shown; keep its text where the user can still read it.
        const std::string bytes = NarrowToUtf8(caption) + ":\n" + NarrowToUtf8(text) + "\n";
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        std::fflush(stderr);
        return IDNO;
    }

    void BreakIntoDebugger() override
    {
        if (DebuggerAttached())
            std::raise(SIGTRAP);
    }
};

StandardErrorReportPlatform defaultPlatform;
ReportPlatform* installedPlatform = nullptr;

}  // namespace

void SetReportPlatform(ReportPlatform* platform)
{
    installedPlatform = platform;
}

ReportPlatform& CurrentReportPlatform()
{
    return installedPlatform != nullptr ? *installedPlatform : defaultPlatform;
}
