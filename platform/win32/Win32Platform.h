#pragma once
// The Linux side of the Win32 stand-in: what the graphics layer, the entry and the tools need
// beyond the Win32 names themselves.
#include "platform/win32/Win32.h"

#include <functional>
#include <string>
#include <string_view>

struct SDL_Window;
union SDL_Event;

// The SDL window behind a displayed window; null for headless windows and unknown handles.
// Every displayed window is created with SDL_WINDOW_OPENGL so a GL context can be made current on it.
SDL_Window* Win32GetSdlWindow(HWND window);

// True when windows are real SDL windows on a display. Decided once, at the first window call:
// false after Win32SetHeadless(true) or when SDL's video subsystem cannot start (no display).
bool Win32HasDisplay();

// Chooses headless windows (they exist without a display; their messages come only from
// PostMessageW and the injection calls of Win32Inject.h). Takes effect only before the first
// window call decides the mode; returns false when the mode is already fixed otherwise.
bool Win32SetHeadless(bool headless);

// Sees every SDL event before it is translated into window messages (for example the graphics
// layer's Alt+Enter). Null removes it. The observer runs inside PeekMessageW.
using SdlEventObserver = std::function<void(const SDL_Event&)>;
void Win32SetSdlEventObserver(SdlEventObserver observer);

// Replaces the message box (tests script the answer). The text still goes to standard error.
// Null restores the real one.
using MessageBoxHook = std::function<int(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)>;
void Win32SetMessageBoxHook(MessageBoxHook hook);

// True while a real message box is on the display. A box runs its own event loop, which no flag of
// the program's reaches, so a signal handler asks this to decide whether closing can wait.
// Async-signal-safe.
bool Win32MessageBoxShowing() noexcept;

// Destroys every remaining window, empties the queue and stops SDL's video subsystem. Safe to call
// more than once; also runs at exit.
void Win32Shutdown();

// The full path of the running executable, however long.
std::wstring Win32ExecutablePath();

// Conversions between the narrow code page (UTF-8) and wide strings. Bytes that are not valid
// UTF-8 map to U+DC80..U+DCFF and back, so any file name survives a round trip unchanged.
std::wstring WideFromNarrow(std::string_view text);
std::string NarrowFromWide(std::wstring_view text);
