// Program entry: reads the command line, checks the processor, finds the assets, builds the show,
// runs it and tears it down. The process exit code is the quit message's code after a full run,
// 1 when the show cannot start, and 2 for a command line it does not take.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string>

#include "app/CommandLine.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/media/Mci.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"
#include "program/Win32ReportPlatform.h"
#include "show/BoxApp.h"
#include "show/ProcessLimits.h"
#include "show/ResourceFolder.h"
#include "show/ShowHelp.h"

namespace {

constexpr DWORD kProcessorFeatureSse = 6;
constexpr DWORD kProcessorFeatureSse2 = 10;
constexpr int kStartFailed = 1;

// --help: the manual page is made from it.
constexpr const char* kUsageHead =
    "Usage: vexa-rhino [--help | --version]\n"
    "Plays the Vexa Rhino show (about 52 seconds) in a 1280x720 window with its soundtrack, then exits.\n"
    "Escape ends it early, dragging with the left mouse button turns the camera, Alt+Enter toggles\n"
    "fullscreen. Deactivating or minimizing the window pauses picture and music together. Without a\n"
    "display it plays headless. SIGUSR1 makes it write one line on standard error saying what it is doing.\n"
    "Ctrl+C (SIGINT) or SIGTERM closes it as Escape does; a second one, or one while a message box is\n"
    "open, ends it at once.\n"
    "Exit status: 0 after the show, 1 when it cannot start, 2 for a command line it does not take,\n"
    "130 or 143 when SIGINT or SIGTERM closed it.\n"
    "\n"
    "Options:\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n";

const std::string kUsage = std::string(kUsageHead) + kShowEnvironmentHelp + "\n" + kShowFilesHelp;

// Async-signal-safe: only sets a flag the frame loop looks at.
void OnStateRequest(int)
{
    D3DApp::RequestStateReport();
}

// The first SIGINT or SIGTERM closes the show as Escape does; a second one ends the process at
// once, for a frame that does not finish. So does the first while a message box is open: the box
// waits for its answer in a loop of its own, which would leave the request unseen. Async-signal-safe.
void OnCloseRequest(int signal)
{
    if (Win32MessageBoxShowing()) {
        static const char message[] = "vexa-rhino: interrupted while a message box was open; ending now\n";
        (void)!::write(STDERR_FILENO, message, sizeof message - 1);
        _exit(128 + signal);
    }
    if (D3DApp::CloseSignal() != 0) {
        static const char message[] = "vexa-rhino: interrupted again; ending now\n";
        (void)!::write(STDERR_FILENO, message, sizeof message - 1);
        _exit(128 + signal);
    }
    D3DApp::RequestClose(signal);
}

int RunShow(HINSTANCE instance)
{
    alignas(16) BoxApp app(instance);
    if (!app.Initialize()) {
        return kStartFailed;
    }
    return app.Run();
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (const int status = AnswerStandardOption(argv[i], "vexa-rhino", kUsage); status >= 0) {
            return status;
        }
        const std::string problem = IsOption(argv[i]) ? std::string("unknown option \"") + argv[i] + "\""
                                                      : std::string("takes no arguments (\"") + argv[i] + "\")";
        return UsageError("vexa-rhino", problem, kUsage);
    }
    if (!IsProcessorFeaturePresent(kProcessorFeatureSse) || !IsProcessorFeaturePresent(kProcessorFeatureSse2)) {
        std::cout << "xna math not supported" << std::endl;
        return kStartFailed;
    }
    if (std::string error; !FitProcessLimits(error)) {
        std::cerr << "vexa-rhino: " << error << "\n";
        return kStartFailed;
    }
    // Without its assets the show would only warn about each file and play black for a minute.
    if (std::string error; !EnterResourceFolder(error)) {
        std::cerr << "vexa-rhino: " << error << "\n";
        return kStartFailed;
    }
    std::signal(SIGUSR1, OnStateRequest);
    // Installed before the window layer starts SDL, which then keeps its own handlers out.
    std::signal(SIGINT, OnCloseRequest);
    std::signal(SIGTERM, OnCloseRequest);
    // A file size limit (ulimit -f) makes a cache entry's write fail, which costs only the next
    // start's compile; SIGXFSZ would end the show instead.
    std::signal(SIGXFSZ, SIG_IGN);

    Win32ReportPlatform reportPlatform;
    SetReportPlatform(&reportPlatform);

    int exitCode = kStartFailed;
    try {
        exitCode = RunShow(GetModuleHandleW(nullptr));
    } catch (const std::bad_alloc&) {
        // Unwinding has released what the show made; the count below still says so.
        std::cerr << "vexa-rhino: out of memory" << std::endl;
        exitCode = kStartFailed;
    }
    // A show closed by a signal says so in its status, as a shell expects.
    if (D3DApp::CloseSignal() != 0 && exitCode != kStartFailed) {
        exitCode = 128 + D3DApp::CloseSignal();
    }

    SetReportPlatform(nullptr);
    MciShutdown();
    Win32Shutdown();

    // Lets a test or a script check that nothing the show created outlived it.
    if (const char* report = std::getenv("SHOW_REPORT_LIVE_OBJECTS"); report && *report && *report != '0') {
        std::fprintf(stderr, "vexa-rhino: live device objects at exit: %ld\n", D3D11LiveObjectCount());
    }
    return exitCode;
}
