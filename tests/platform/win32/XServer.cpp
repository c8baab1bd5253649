#include "tests/platform/win32/XServer.h"
#include "tests/platform/win32/RecordingWindow.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace {

constexpr int kAttempts = 3;
constexpr int kStartTimeoutMs = 10000;

}  // namespace

bool XServer::Start(std::string& error)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int fds[2];
        if (pipe(fds) != 0) {
            error = "pipe failed";
            return false;
        }
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0) {
                dup2(devnull, STDOUT_FILENO);
                dup2(devnull, STDERR_FILENO);
            }
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            error = "fork failed";
            return false;
        }
        std::string number;
        pollfd readable{fds[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && poll(&readable, 1, kStartTimeoutMs) > 0) {
            char buffer[16];
            const ssize_t count = read(fds[0], buffer, sizeof buffer);
            if (count <= 0) {
                break;
            }
            number.append(buffer, static_cast<std::size_t>(count));
        }
        close(fds[0]);
        if (number.find('\n') != std::string::npos) {
            number.erase(number.find('\n'));
            setenv("DISPLAY", (":" + number).c_str(), 1);
            unsetenv("WAYLAND_DISPLAY");
            setenv("SDL_VIDEODRIVER", "x11", 1);
            return true;
        }
        Stop();
        error = "Xvfb did not report a display";
    }
    return false;
}

void XServer::Stop()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
    }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::steady_clock::duration deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        DrainMessages();
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(("timeout 10 " + command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    return output;
}

// Kept apart from the tests: the X headers define macros (None, Bool, Status) that clash with
// other code.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

unsigned long X11WindowOf(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    return info.info.x11.window;
}

void XWindowSize(unsigned long xwindow, int& width, int& height)
{
    width = 0;
    height = 0;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, xwindow, &attributes) != 0) {
        width = attributes.width;
        height = attributes.height;
    }
    XCloseDisplay(display);
}

bool SendCloseRequest(unsigned long xwindow)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xwindow;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, xwindow, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent != 0;
}
