// The window registry: the process-wide state, window handles and their lookup, window classes,
// the choice between a display and headless mode, and the shutdown that empties it all.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowState.h"

namespace win32window {

namespace {

void ExitHook()
{
    Win32Shutdown();
}

}  // namespace

State& Global()
{
    static State state;
    return state;
}

Window* Find(HWND handle)
{
    auto& windows = Global().windows;
    const auto it = windows.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == windows.end() || it->second->destroying) {
        return nullptr;
    }
    return it->second.get();
}

Window* FindBySdlId(Uint32 id)
{
    for (auto& [key, window] : Global().windows) {
        if (window->sdl != nullptr && SDL_GetWindowID(window->sdl) == id && !window->destroying) {
            return window.get();
        }
    }
    return nullptr;
}

Mode DecideMode()
{
    State& state = Global();
    if (state.mode != Mode::Undecided) {
        return state.mode;
    }
    if (!state.exitHookInstalled) {
        std::atexit(ExitHook);
        state.exitHookInstalled = true;
    }
    if (state.wantHeadless) {
        state.mode = Mode::Headless;
        return state.mode;
    }
    // SDL's own signal handlers would turn Ctrl+C into a quit event that nothing reads here.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Capture is what SetCapture says, as on Windows, not an automatic grab on every press.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // Windows delivers the press that activates a window; SDL on X11 drops a press that comes
    // within 10 ms of the focus, which after a slow frame is the first press of a drag.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Win32: no display (%s); windows are headless\n", SDL_GetError());
        state.mode = Mode::Headless;
        return state.mode;
    }
    // Where no window system opens (DISPLAY names a server that is not there, say), SDL falls back
    // to a driver whose windows nobody sees; the show would play unseen and say nothing. Unless that
    // driver was asked for by name, it is no display.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        (asked == nullptr || std::strcmp(asked, driver) != 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        const char* x11 = SDL_getenv("DISPLAY");
        const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
        std::fprintf(stderr,
                     "Win32: no display (no window system could be opened: DISPLAY=%s, WAYLAND_DISPLAY=%s); "
                     "windows are headless\n",
                     x11 != nullptr ? x11 : "(unset)", wayland != nullptr ? wayland : "(unset)");
        state.mode = Mode::Headless;
        return state.mode;
    }
    state.videoStarted = true;
    state.mode = Mode::Display;
    return state.mode;
}

void ForgetWindow(HWND handle)
{
    State& state = Global();
    auto& queue = state.queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(), [handle](const MSG& m) { return m.hwnd == handle; }),
                queue.end());
    if (state.foreground == handle) {
        state.foreground = nullptr;
    }
    state.windows.erase(reinterpret_cast<std::uintptr_t>(handle));
}

const RegisteredClass* FindClass(LPCWSTR name)
{
    auto& classes = Global().classes;
    if (name == nullptr) {
        return nullptr;
    }
    if (reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
        const auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
        for (const auto& [key, registered] : classes) {
            if (registered.atom == atom) {
                return &registered;
            }
        }
        return nullptr;
    }
    const auto it = classes.find(name);
    return it == classes.end() ? nullptr : &it->second;
}

}  // namespace win32window

using namespace win32window;

// ---- Platform hooks -----------------------------------------------------------------------------

SDL_Window* Win32GetSdlWindow(HWND window)
{
    const Window* found = Find(window);
    return found != nullptr ? found->sdl : nullptr;
}

bool Win32HasDisplay()
{
    return DecideMode() == Mode::Display;
}

bool Win32SetHeadless(bool headless)
{
    State& state = Global();
    if (state.mode == Mode::Undecided) {
        state.wantHeadless = headless;
        return true;
    }
    return (state.mode == Mode::Headless) == headless;
}

void Win32Shutdown()
{
    State& state = Global();
    // No messages here: at exit the window procedures' objects may already be gone.
    if (state.capture != nullptr && state.mode == Mode::Display) {
        SDL_CaptureMouse(SDL_FALSE);
    }
    for (auto& [key, window] : state.windows) {
        if (window->sdl != nullptr) {
            SDL_DestroyWindow(window->sdl);
        }
    }
    state.windows.clear();
    state.classes.clear();
    state.queue.clear();
    state.quitPosted = false;
    state.quitCode = 0;
    state.capture = nullptr;
    state.foreground = nullptr;
    state.injectedKeyDown.fill(false);
    state.pressedSinceQuery.fill(false);
    state.mouseButtons = 0;
    state.observer = nullptr;
    if (state.videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        state.videoStarted = false;
        // The last user of SDL also frees what SDL keeps process-wide (its D-Bus connection).
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
            SDL_Quit();
        }
    }
    state.mode = Mode::Undecided;
}

// ---- Window classes -----------------------------------------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* windowClass)
{
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
        reinterpret_cast<std::uintptr_t>(windowClass->lpszClassName) < 0x10000 ||
        windowClass->lpszClassName[0] == L'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    State& state = Global();
    const std::wstring name = windowClass->lpszClassName;
    if (state.classes.count(name) != 0) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    RegisteredClass registered;
    registered.name = name;
    registered.atom = state.nextAtom++;
    registered.desc = *windowClass;
    registered.desc.lpszClassName = nullptr;  // the caller's text need not outlive the call
    registered.desc.lpszMenuName = nullptr;
    state.classes.emplace(name, registered);
    return registered.atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    const RegisteredClass* registered = FindClass(className);
    if (registered == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    Global().classes.erase(registered->name);
    return TRUE;
}

BOOL IsWindow(HWND handle)
{
    return Find(handle) != nullptr ? TRUE : FALSE;
}

// The stock icon, cursor and brushes are only names here: nothing draws with them.
HICON LoadIconW(HINSTANCE, LPCWSTR name)
{
    return name != nullptr ? reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0x10003)) : nullptr;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name)
{
    return name != nullptr ? reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(0x10005)) : nullptr;
}

HGDIOBJ GetStockObject(int object)
{
    if (object < 0 || object > 19) {
        return nullptr;
    }
    return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x20000 + object));
}
