// The message queue: messages sent (the window procedure called at once) and posted (one FIFO
// queue that PeekMessageW reads after translating SDL's events), and the quit flag.
#include <SDL.h>

#include <algorithm>
#include <cstddef>

#include "platform/win32/Win32.h"
#include "platform/win32/WindowState.h"

namespace win32window {

namespace {

constexpr std::size_t kQueueLimit = 10000;  // Win32's default per-thread posted-message quota

}  // namespace

DWORD MessageTime()
{
    return static_cast<DWORD>(SDL_GetTicks64());
}

LRESULT Send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = Find(handle);
    if (window == nullptr) {
        return 0;
    }
    const WNDPROC proc = window->proc;  // the window may be gone when the call returns
    return proc(handle, message, wParam, lParam);
}

bool Post(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    State& state = Global();
    if (state.queue.size() >= kQueueLimit) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return false;
    }
    state.queue.push_back(MSG{handle, message, wParam, lParam, MessageTime(), POINT{0, 0}});
    return true;
}

void Deliver(bool now, HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (now) {
        Send(handle, message, wParam, lParam);
    } else {
        Post(handle, message, wParam, lParam);
    }
}

}  // namespace win32window

using namespace win32window;

LRESULT SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Find(handle) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(handle, message, wParam, lParam);
}

BOOL PeekMessageW(LPMSG msg, HWND handle, UINT filterMin, UINT filterMax, UINT removeMessage)
{
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    State& state = Global();
    PumpSdl();
    const bool anyMessage = filterMin == 0 && filterMax == 0;
    auto matches = [&](const MSG& m) {
        return (handle == nullptr || m.hwnd == handle) &&
               (anyMessage || (m.message >= filterMin && m.message <= filterMax));
    };
    const auto it = std::find_if(state.queue.begin(), state.queue.end(), matches);
    if (it != state.queue.end()) {
        *msg = *it;
        if ((removeMessage & PM_REMOVE) != 0) {
            state.queue.erase(it);
        }
        return TRUE;
    }
    if (state.quitPosted && (anyMessage || (WM_QUIT >= filterMin && WM_QUIT <= filterMax))) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0, MessageTime(), POINT{0, 0}};
        if ((removeMessage & PM_REMOVE) != 0) {
            state.quitPosted = false;
        }
        return TRUE;
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    // Character messages are not produced: nothing here reads them.
    if (msg == nullptr) {
        return FALSE;
    }
    const UINT m = msg->message;
    return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr) {
        return 0;
    }
    if (Find(msg->hwnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (handle != nullptr && Find(handle) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Post(handle, message, wParam, lParam) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode)
{
    State& state = Global();
    state.quitPosted = true;
    state.quitCode = exitCode;
}
