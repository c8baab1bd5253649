#pragma once
// A window class whose procedure records every message and answers the way the application's
// does: a 200 by 200 minimum tracking size, capture while a button is down, quit on WM_DESTROY.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <vector>

struct Recorded {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Recorded>& Recording()
{
    static std::vector<Recorded> messages;
    return messages;
}

inline LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Recording().push_back({hwnd, message, wParam, lParam});
    switch (message) {
    case WM_GETMINMAXINFO: reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{200, 200}; return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: SetCapture(hwnd); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: ReleaseCapture(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

inline bool RegisterRecordingClass()
{
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = RecordingProc;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = L"D3DWndClassName";
    return RegisterClassW(&wc) != 0;
}

// Creates a window the way the application does, for a client area of the given size.
inline HWND CreateRecordingWindow(int clientWidth, int clientHeight, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT)
{
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExW(0, L"D3DWndClassName", L"Now Loading...", WS_OVERLAPPEDWINDOW, x, y, rect.right - rect.left,
                           rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
}

// Takes and dispatches everything queued; returns how many messages there were.
inline int DrainMessages()
{
    int count = 0;
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller to see
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++count;
    }
    return count;
}
