#pragma once
// A private Xvfb for the real-window tests: started once per test process on a free display
// (Xvfb reports the number it took through -displayfd), stopped at the end.
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

// Runs a shell command (bounded by a timeout) and returns what it printed.
std::string RunCommand(const std::string& command);

struct SDL_Window;

// The X window behind an SDL window (0 when it has none).
unsigned long X11WindowOf(SDL_Window* window);

// Asks the window to close the way a window manager does (WM_DELETE_WINDOW).
bool SendCloseRequest(unsigned long xwindow);
