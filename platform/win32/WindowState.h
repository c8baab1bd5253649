#pragma once
// What the files of the window layer share: the windows, the classes, the queue and the input
// state in one process-wide record, and the calls each file makes into the others. Only
// platform/win32 includes it.
//
// Messages that Win32 sends synchronously (creation, showing, title, capture changes) call the
// window procedure directly, in Win32's order. Everything else (translated SDL events, injected
// input, PostMessageW) goes through one FIFO queue that PeekMessageW reads; WM_QUIT is a flag that
// is returned once the queue holds nothing else.
//
// SDL has no counterpart of a border drag's start and end, so WM_ENTERSIZEMOVE and
// WM_EXITSIZEMOVE are never sent: every size change arrives as one WM_SIZE, deduplicated, so the
// application resizes once per change and its timer never stops for a drag.

#include <SDL.h>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

namespace win32window {

constexpr std::uintptr_t kFirstHandle = 0x10010;

struct Window {
    HWND handle = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    std::wstring title;
    SDL_Window* sdl = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    int minClientWidth = 0;
    int minClientHeight = 0;
    WPARAM sizeState = SIZE_RESTORED;
    bool sizeSent = false;
    bool visible = false;
    bool destroyStarted = false;
    bool destroying = false;
};

struct RegisteredClass {
    std::wstring name;
    ATOM atom = 0;
    WNDCLASSW desc{};
};

enum class Mode { Undecided, Headless, Display };

struct State {
    Mode mode = Mode::Undecided;
    bool wantHeadless = false;
    bool videoStarted = false;
    bool exitHookInstalled = false;
    std::map<std::wstring, RegisteredClass> classes;
    ATOM nextAtom = 0xC000;
    std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::uintptr_t nextHandle = kFirstHandle;
    std::deque<MSG> queue;
    bool quitPosted = false;
    int quitCode = 0;
    HWND capture = nullptr;
    HWND foreground = nullptr;
    std::array<bool, 256> injectedKeyDown{};
    std::array<bool, 256> pressedSinceQuery{};
    WPARAM mouseButtons = 0;
    SdlEventObserver observer;
};

State& Global();

// ---- Window registry (WindowRegistry.cpp) ----

// A living window, or null for an unknown handle or one being destroyed.
Window* Find(HWND handle);
Window* FindBySdlId(Uint32 id);
// Display or headless, decided at the first window call.
Mode DecideMode();
// Drops a window and the messages queued for it, without messages.
void ForgetWindow(HWND handle);
const RegisteredClass* FindClass(LPCWSTR name);

// ---- Window lifecycle (WindowLifecycle.cpp) ----

// Records a size and state and sends one WM_SIZE when either changed.
void ApplySize(Window& window, WPARAM sizeState, int width, int height, bool now);
void SetActive(HWND handle, bool active, bool now);

// ---- Message queue (MessageQueue.cpp) ----

DWORD MessageTime();
LRESULT Send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
bool Post(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
// Delivers a message now (as Win32 sends it) or through the queue.
void Deliver(bool now, HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Keyboard and mouse (Input.cpp) ----

LPARAM PackPoint(int x, int y);
// The generic modifier keys stand for either side.
int GenericVirtualKey(int vk);
void NoteKey(int vk, bool down);
void QueueKeyMessage(HWND target, int vk, int scancode, bool down, bool repeat, bool alt);
WPARAM ModifierFlags();
void QueueButton(Window& window, int button, bool down, int x, int y);

// ---- SDL event translation (SdlEvents.cpp) ----

// Whether SDL reports a key that maps to vk (either side for the generic modifiers) as down.
bool SdlKeyDown(int vk);
// Translates every pending SDL event into messages (display mode only).
void PumpSdl();

}  // namespace win32window
