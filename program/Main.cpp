// Program entry: checks the processor, builds the show, runs it and tears it down. The process
// exit code is the quit message's code after a full run, and 1 when the show cannot start.
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/d3d11/Diagnostics.h"
#include "platform/media/Mci.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"
#include "program/Win32ReportPlatform.h"
#include "show/BoxApp.h"

namespace {

constexpr DWORD kProcessorFeatureSse = 6;
constexpr DWORD kProcessorFeatureSse2 = 10;
constexpr int kStartFailed = 1;

int RunShow(HINSTANCE instance)
{
    alignas(16) BoxApp app(instance);
    if (!app.Initialize()) {
        return kStartFailed;
    }
    return app.Run();
}

}  // namespace

int main()
{
    if (!IsProcessorFeaturePresent(kProcessorFeatureSse) || !IsProcessorFeaturePresent(kProcessorFeatureSse2)) {
        std::cout << "xna math not supported" << std::endl;
        return kStartFailed;
    }

    Win32ReportPlatform reportPlatform;
    SetReportPlatform(&reportPlatform);

    const int exitCode = RunShow(GetModuleHandleW(nullptr));

    SetReportPlatform(nullptr);
    MciShutdown();
    Win32Shutdown();

    // Lets a test or a script check that nothing the show created outlived it.
    if (const char* report = std::getenv("SHOW_REPORT_LIVE_OBJECTS"); report && *report && *report != '0') {
        std::fprintf(stderr, "vexa-rhino: live device objects at exit: %ld\n", D3D11LiveObjectCount());
    }
    return exitCode;
}
