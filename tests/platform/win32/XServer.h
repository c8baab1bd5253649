#pragma once
// A private Xvfb for the real-window tests: started once per test process on a free display
// (Xvfb reports the number it took through -displayfd), stopped at the end.
#include <chrono>
#include <functional>
#include <string>

#include <sys/types.h>

class XServer {
public:
    // Starts the server and points DISPLAY at it; returns false with a reason when it cannot.
    bool Start(std::string& error);
    void Stop();

private:
    pid_t pid = -1;
};

// How long a window test waits for what it synthesised on the X server to arrive as messages.
// Generous, because a loaded machine may take seconds to schedule Xvfb, xdotool and the test in
// turn; a test that gets what it waits for waits no longer.
inline constexpr std::chrono::seconds kXEventDeadline{20};

// Takes and dispatches the queued window messages, as a frame loop would, until the condition
// holds; false when the deadline passes first. A WM_QUIT is left in the queue for the caller.
bool PumpUntil(const std::function<bool()>& done, std::chrono::steady_clock::duration deadline = kXEventDeadline);

// Runs a shell command (bounded by a timeout) and returns what it printed.
std::string RunCommand(const std::string& command);

struct SDL_Window;

// The X window behind an SDL window (0 when it has none).
unsigned long X11WindowOf(SDL_Window* window);

// The size of an X window as the X server has it (0 by 0 when there is no such window).
void XWindowSize(unsigned long xwindow, int& width, int& height);

// Asks the window to close the way a window manager does (WM_DELETE_WINDOW).
bool SendCloseRequest(unsigned long xwindow);
