#pragma once
// Input for headless windows (tests, the headless capture): each call changes the window's state
// the way the system would and queues the messages a real window would get, in the same order.
// On displayed windows the same calls work too, next to the real input.
#include "platform/win32/Win32.h"

// A new client size with WM_SIZE: SIZE_RESTORED or SIZE_MAXIMIZED with the size (kept at or above
// the window's minimum), SIZE_MINIMIZED with 0 by 0. Returns false for an unknown window.
bool Win32InjectSize(HWND window, WPARAM sizeType, int clientWidth, int clientHeight);

// Activation (WM_ACTIVATE with WA_ACTIVE or WA_INACTIVE); changes the foreground window.
bool Win32InjectActivate(HWND window, bool active);

// Mouse buttons: 0 left, 1 right, 2 middle. Coordinates are client coordinates. As on Windows, a
// window only sees the pointer outside its client area while it holds the capture: such input is
// dropped otherwise. Both return false for an unknown window or dropped input.
bool Win32InjectMouseButton(HWND window, int button, bool down, int x, int y);
bool Win32InjectMouseMove(HWND window, int x, int y);

// A key going down or up: sets the state GetAsyncKeyState reports and queues WM_KEYDOWN/WM_KEYUP
// to the foreground window, if any.
void Win32InjectKey(int virtualKey, bool down);

// Forgets injected key and button state (between tests).
void Win32ResetInput();
