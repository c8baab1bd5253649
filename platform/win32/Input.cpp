// Keyboard and mouse: key and button messages with their flags, the key state GetAsyncKeyState
// reports, the mouse capture, and the input injected into headless windows.
#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/win32/Win32.h"
#include "platform/win32/Win32Inject.h"
#include "platform/win32/WindowState.h"

namespace win32window {

namespace {

WPARAM ButtonFlag(int button)
{
    switch (button) {
    case 0: return MK_LBUTTON;
    case 1: return MK_RBUTTON;
    case 2: return MK_MBUTTON;
    default: return 0;
    }
}

UINT ButtonMessage(int button, bool down)
{
    static constexpr UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    return down ? kDown[button] : kUp[button];
}

bool InsideClient(const Window& window, int x, int y)
{
    return x >= 0 && y >= 0 && x < window.clientWidth && y < window.clientHeight;
}

// A window sees the pointer outside its client area only while it holds the capture.
bool MouseInputReaches(const Window& window, int x, int y)
{
    return Global().capture == window.handle || InsideClient(window, x, y);
}

}  // namespace

LPARAM PackPoint(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<std::uint32_t>(x) & 0xFFFFu),
                      static_cast<WORD>(static_cast<std::uint32_t>(y) & 0xFFFFu));
}

int GenericVirtualKey(int vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return 0;
    }
}

void NoteKey(int vk, bool down)
{
    State& state = Global();
    if (down) {
        state.pressedSinceQuery[static_cast<std::size_t>(vk)] = true;
        if (const int generic = GenericVirtualKey(vk); generic != 0) {
            state.pressedSinceQuery[static_cast<std::size_t>(generic)] = true;
        }
    }
}

void QueueKeyMessage(HWND target, int vk, int scancode, bool down, bool repeat, bool alt)
{
    if (target == nullptr) {
        return;
    }
    const bool system = alt || vk == VK_F1 + 9;  // Alt combinations and F10 are system keys
    const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    std::uint32_t bits = 1u | ((static_cast<std::uint32_t>(scancode) & 0xFFu) << 16);
    if (alt) {
        bits |= 1u << 29;
    }
    if (repeat || !down) {
        bits |= 1u << 30;
    }
    if (!down) {
        bits |= 1u << 31;
    }
    Post(target, message, static_cast<WPARAM>(vk), static_cast<LPARAM>(bits));
}

WPARAM ModifierFlags()
{
    State& state = Global();
    WPARAM flags = 0;
    if (state.mode == Mode::Display) {
        const SDL_Keymod mods = SDL_GetModState();
        if ((mods & KMOD_SHIFT) != 0) {
            flags |= MK_SHIFT;
        }
        if ((mods & KMOD_CTRL) != 0) {
            flags |= MK_CONTROL;
        }
    }
    if (state.injectedKeyDown[VK_SHIFT] || state.injectedKeyDown[VK_LSHIFT] || state.injectedKeyDown[VK_RSHIFT]) {
        flags |= MK_SHIFT;
    }
    if (state.injectedKeyDown[VK_CONTROL] || state.injectedKeyDown[VK_LCONTROL] || state.injectedKeyDown[VK_RCONTROL]) {
        flags |= MK_CONTROL;
    }
    return flags;
}

void QueueButton(Window& window, int button, bool down, int x, int y)
{
    State& state = Global();
    const WPARAM flag = ButtonFlag(button);
    if (down) {
        state.mouseButtons |= flag;
        state.pressedSinceQuery[static_cast<std::size_t>(button == 0   ? VK_LBUTTON
                                                         : button == 1 ? VK_RBUTTON
                                                                       : VK_MBUTTON)] = true;
    } else {
        state.mouseButtons &= ~flag;
    }
    Post(window.handle, ButtonMessage(button, down), state.mouseButtons | ModifierFlags(), PackPoint(x, y));
}

}  // namespace win32window

using namespace win32window;

// ---- Injection ----------------------------------------------------------------------------------

bool Win32InjectSize(HWND handle, WPARAM sizeType, int clientWidth, int clientHeight)
{
    Window* window = Find(handle);
    if (window == nullptr || sizeType > SIZE_MAXIMIZED) {
        return false;
    }
    ApplySize(*window, sizeType, std::max(clientWidth, 0), std::max(clientHeight, 0), false);
    return true;
}

bool Win32InjectActivate(HWND handle, bool active)
{
    if (Find(handle) == nullptr) {
        return false;
    }
    SetActive(handle, active, false);
    return true;
}

bool Win32InjectMouseButton(HWND handle, int button, bool down, int x, int y)
{
    Window* window = Find(handle);
    if (window == nullptr || ButtonFlag(button) == 0 || !MouseInputReaches(*window, x, y)) {
        return false;
    }
    QueueButton(*window, button, down, x, y);
    return true;
}

bool Win32InjectMouseMove(HWND handle, int x, int y)
{
    Window* window = Find(handle);
    if (window == nullptr || !MouseInputReaches(*window, x, y)) {
        return false;
    }
    return Post(handle, WM_MOUSEMOVE, Global().mouseButtons | ModifierFlags(), PackPoint(x, y));
}

void Win32InjectKey(int virtualKey, bool down)
{
    if (virtualKey <= 0 || virtualKey > 0xFF) {
        return;
    }
    State& state = Global();
    const bool wasDown = state.injectedKeyDown[static_cast<std::size_t>(virtualKey)];
    state.injectedKeyDown[static_cast<std::size_t>(virtualKey)] = down;
    NoteKey(virtualKey, down);
    const bool alt = state.injectedKeyDown[VK_MENU] || state.injectedKeyDown[VK_LMENU] ||
                     state.injectedKeyDown[VK_RMENU];
    // Messages name the generic modifier key, as Windows' do.
    const int messageVk = GenericVirtualKey(virtualKey) != 0 ? GenericVirtualKey(virtualKey) : virtualKey;
    QueueKeyMessage(state.foreground, messageVk, 0, down, down && wasDown, alt);
}

void Win32ResetInput()
{
    State& state = Global();
    state.injectedKeyDown.fill(false);
    state.pressedSinceQuery.fill(false);
    state.mouseButtons = 0;
}

// ---- Input state --------------------------------------------------------------------------------

SHORT GetAsyncKeyState(int virtualKey)
{
    if (virtualKey <= 0 || virtualKey > 0xFF) {
        return 0;
    }
    State& state = Global();
    const auto index = static_cast<std::size_t>(virtualKey);
    bool down = state.injectedKeyDown[index];
    if (virtualKey == VK_LBUTTON || virtualKey == VK_RBUTTON || virtualKey == VK_MBUTTON) {
        const WPARAM flag = virtualKey == VK_LBUTTON ? MK_LBUTTON : virtualKey == VK_RBUTTON ? MK_RBUTTON : MK_MBUTTON;
        down = down || (state.mouseButtons & flag) != 0;
    } else if (virtualKey == VK_SHIFT || virtualKey == VK_CONTROL || virtualKey == VK_MENU) {
        for (int vk = 0; vk < 256; ++vk) {
            down = down || (state.injectedKeyDown[static_cast<std::size_t>(vk)] && GenericVirtualKey(vk) == virtualKey);
        }
    }
    if (state.mode == Mode::Display && !down) {
        // The key state SDL keeps is current as of the last event pump; pump now to ask the system.
        SDL_PumpEvents();
        down = SdlKeyDown(virtualKey);
    }
    const bool pressed = state.pressedSinceQuery[index];
    state.pressedSinceQuery[index] = false;
    return static_cast<SHORT>((down ? 0x8000 : 0) | (pressed ? 1 : 0));
}

HWND SetCapture(HWND handle)
{
    State& state = Global();
    const HWND previous = state.capture;
    if (Find(handle) == nullptr) {
        return previous;
    }
    state.capture = handle;
    if (state.mode == Mode::Display) {
        // SDL can only capture for the window with keyboard focus; without it the capture stays
        // logical (the window still gets the input that reaches it).
        SDL_CaptureMouse(SDL_TRUE);
    }
    if (previous != nullptr && previous != handle) {
        Send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(handle));
    }
    return previous;
}

BOOL ReleaseCapture()
{
    State& state = Global();
    const HWND previous = state.capture;
    state.capture = nullptr;
    if (state.mode == Mode::Display) {
        SDL_CaptureMouse(SDL_FALSE);
    }
    if (previous != nullptr) {
        Send(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND GetCapture()
{
    return Global().capture;
}
