// A window's life: creation (with Win32's synchronous messages, in Win32's order), showing,
// size and activation changes, its title and client area, and destruction.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowState.h"

namespace win32window {

namespace {

constexpr std::uintptr_t kHandleStep = 0x10;
constexpr int kDefaultClientWidth = 800;
constexpr int kDefaultClientHeight = 600;

// Frame sizes of a 96-dpi desktop: a sizing border of 8 pixels and a caption of 23.
struct Frame {
    int left, top, right, bottom;
};

Frame FrameOf(DWORD style, bool menu)
{
    int border = 0;
    if ((style & WS_THICKFRAME) != 0) {
        border = 8;
    } else if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME) != 0) {
        border = 3;
    } else if ((style & WS_BORDER) != 0) {
        border = 1;
    }
    const int caption = (style & WS_CAPTION) == WS_CAPTION ? 23 : 0;
    return Frame{border, border + caption + (menu ? 20 : 0), border, border};
}

}  // namespace

void ApplySize(Window& window, WPARAM sizeState, int width, int height, bool now)
{
    if (sizeState == SIZE_MINIMIZED) {
        width = 0;
        height = 0;
    } else {
        width = std::max(width, window.minClientWidth);
        height = std::max(height, window.minClientHeight);
    }
    if (window.sizeSent && window.sizeState == sizeState && window.clientWidth == width &&
        window.clientHeight == height) {
        return;
    }
    window.sizeState = sizeState;
    window.clientWidth = width;
    window.clientHeight = height;
    window.sizeSent = true;
    Deliver(now, window.handle, WM_SIZE, sizeState, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
}

void SetActive(HWND handle, bool active, bool now)
{
    State& state = Global();
    if (active) {
        if (state.foreground == handle) {
            return;
        }
        const HWND previous = state.foreground;
        state.foreground = handle;
        if (previous != nullptr) {
            Deliver(now, previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(handle));
        }
        Deliver(now, handle, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(previous));
    } else {
        if (state.foreground != handle) {
            return;
        }
        state.foreground = nullptr;
        const Window* window = Find(handle);
        const WORD minimized = window != nullptr && window->sizeState == SIZE_MINIMIZED ? 1 : 0;
        Deliver(now, handle, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, minimized), 0);
    }
}

}  // namespace win32window

using namespace win32window;

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Frame frame = FrameOf(style, menu != FALSE);
    rect->left -= frame.left;
    rect->top -= frame.top;
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    const RegisteredClass* registered = FindClass(className);
    if (registered == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const Mode mode = DecideMode();
    State& state = Global();

    // The size asked for is the outer size; what SDL sizes is the client area.
    const Frame frame = FrameOf(style, menu != nullptr);
    const int frameWidth = frame.left + frame.right;
    const int frameHeight = frame.top + frame.bottom;
    int clientWidth = width == CW_USEDEFAULT ? kDefaultClientWidth : std::max(width - frameWidth, 0);
    int clientHeight = width == CW_USEDEFAULT ? kDefaultClientHeight : std::max(height - frameHeight, 0);

    auto owned = std::make_unique<Window>();
    Window* window = owned.get();
    const HWND handle = reinterpret_cast<HWND>(state.nextHandle);
    state.nextHandle += kHandleStep;
    window->handle = handle;
    window->proc = registered->desc.lpfnWndProc;
    window->style = style;
    window->title = windowName != nullptr ? windowName : L"";
    state.windows.emplace(reinterpret_cast<std::uintptr_t>(handle), std::move(owned));

    // The minimum tracking size is the outer size; the window keeps its client part as minimum.
    MINMAXINFO limits{};
    limits.ptMinTrackSize = POINT{136, 39};
    limits.ptMaxTrackSize = POINT{32767, 32767};
    limits.ptMaxSize = POINT{32767, 32767};
    Send(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    if ((window = Find(handle)) == nullptr) {
        return nullptr;
    }
    window->minClientWidth = std::max(static_cast<int>(limits.ptMinTrackSize.x) - frameWidth, 0);
    window->minClientHeight = std::max(static_cast<int>(limits.ptMinTrackSize.y) - frameHeight, 0);
    clientWidth = std::max(clientWidth, window->minClientWidth);
    clientHeight = std::max(clientHeight, window->minClientHeight);

    if (mode == Mode::Display) {
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        if ((style & WS_THICKFRAME) != 0) {
            flags |= SDL_WINDOW_RESIZABLE;
        }
        const int sdlX = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x + frame.left;
        const int sdlY = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y + frame.top;
        window->sdl = SDL_CreateWindow(NarrowFromWide(window->title).c_str(), sdlX, sdlY, std::max(clientWidth, 1),
                                       std::max(clientHeight, 1), flags);
        if (window->sdl == nullptr) {
            std::fprintf(stderr, "CreateWindowExW: SDL_CreateWindow failed: %s\n", SDL_GetError());
            ForgetWindow(handle);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        SDL_SetWindowMinimumSize(window->sdl, std::max(window->minClientWidth, 1),
                                 std::max(window->minClientHeight, 1));
        // The system may have made it smaller than asked (a small screen): report what it is.
        SDL_GetWindowSize(window->sdl, &clientWidth, &clientHeight);
    }
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;

    CREATESTRUCTW create{param,
                         instance,
                         menu,
                         parent,
                         height,
                         width,
                         y,
                         x,
                         static_cast<LONG>(style),
                         window->title.c_str(),
                         registered->name.c_str(),
                         exStyle};
    if (Send(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE) {
        if (Find(handle) != nullptr) {
            Send(handle, WM_NCDESTROY, 0, 0);
            if ((window = Find(handle)) != nullptr && window->sdl != nullptr) {
                SDL_DestroyWindow(window->sdl);
            }
            ForgetWindow(handle);
        }
        return nullptr;
    }
    if (Send(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if ((window = Find(handle)) == nullptr) {
        return nullptr;
    }
    ApplySize(*window, SIZE_RESTORED, window->clientWidth, window->clientHeight, true);
    if ((style & WS_VISIBLE) != 0 && Find(handle) != nullptr) {
        ShowWindow(handle, SW_SHOW);
    }
    return Find(handle) != nullptr ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle)
{
    Window* window = Find(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->destroyStarted) {
        return TRUE;  // asked again from inside its own WM_DESTROY
    }
    window->destroyStarted = true;
    State& state = Global();
    if (state.capture == handle) {
        ReleaseCapture();
    }
    if (state.foreground == handle) {
        state.foreground = nullptr;
    }
    Send(handle, WM_DESTROY, 0, 0);
    Send(handle, WM_NCDESTROY, 0, 0);
    if ((window = Find(handle)) != nullptr) {
        window->destroying = true;
        if (window->sdl != nullptr) {
            SDL_DestroyWindow(window->sdl);
            window->sdl = nullptr;
        }
    }
    ForgetWindow(handle);
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command)
{
    Window* window = Find(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const bool wasVisible = window->visible;
    if (command == SW_HIDE) {
        if (wasVisible) {
            Send(handle, WM_SHOWWINDOW, FALSE, 0);
            if ((window = Find(handle)) != nullptr) {
                window->visible = false;
                if (window->sdl != nullptr) {
                    SDL_HideWindow(window->sdl);
                }
                SetActive(handle, false, true);
            }
        }
        return wasVisible ? TRUE : FALSE;
    }
    if (!wasVisible) {
        Send(handle, WM_SHOWWINDOW, TRUE, 0);
        if ((window = Find(handle)) == nullptr) {
            return FALSE;
        }
        window->visible = true;
        if (window->sdl != nullptr) {
            SDL_ShowWindow(window->sdl);
        }
    }
    const bool minimize = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED;
    if (!minimize) {
        if (window->sdl != nullptr) {
            SDL_RaiseWindow(window->sdl);
        }
        SetActive(handle, true, true);
    }
    if ((window = Find(handle)) == nullptr) {
        return wasVisible ? TRUE : FALSE;
    }
    WPARAM sizeState = window->sizeState;
    if (command == SW_MAXIMIZE) {
        sizeState = SIZE_MAXIMIZED;
    } else if (minimize) {
        sizeState = SIZE_MINIMIZED;
    } else if (command == SW_RESTORE || command == SW_SHOWNORMAL) {
        sizeState = SIZE_RESTORED;
    }
    if (sizeState != window->sizeState) {
        if (window->sdl != nullptr) {
            // The window system answers with events; their WM_SIZE comes through the queue.
            if (sizeState == SIZE_MAXIMIZED) {
                SDL_MaximizeWindow(window->sdl);
            } else if (sizeState == SIZE_MINIMIZED) {
                SDL_MinimizeWindow(window->sdl);
            } else {
                SDL_RestoreWindow(window->sdl);
            }
        } else if (sizeState == SIZE_MINIMIZED) {
            ApplySize(*window, SIZE_MINIMIZED, 0, 0, true);
        } else {
            ApplySize(*window, sizeState, window->clientWidth, window->clientHeight, true);
        }
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND handle)
{
    // Nothing is painted through messages here: drawing goes through the graphics layer.
    return Find(handle) != nullptr ? TRUE : FALSE;
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text)
{
    if (Find(handle) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Send(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextW(HWND handle, LPWSTR buffer, int maxCount)
{
    const Window* window = Find(handle);
    if (window == nullptr || buffer == nullptr || maxCount <= 0) {
        SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t count = std::min(window->title.size(), static_cast<std::size_t>(maxCount - 1));
    window->title.copy(buffer, count);
    buffer[count] = L'\0';
    return static_cast<int>(count);
}

BOOL GetClientRect(HWND handle, LPRECT rect)
{
    const Window* window = Find(handle);
    if (window == nullptr || rect == nullptr) {
        SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *rect = RECT{0, 0, window->clientWidth, window->clientHeight};
    return TRUE;
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: DestroyWindow(handle); return 0;
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT: {
        Window* window = Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        window->title = text != nullptr ? text : L"";
        if (window->sdl != nullptr) {
            SDL_SetWindowTitle(window->sdl, NarrowFromWide(window->title).c_str());
        }
        return TRUE;
    }
    default: return 0;
    }
}

HWND GetForegroundWindow()
{
    return Global().foreground;
}
