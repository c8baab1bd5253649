// SDL events into window messages: window events become WM_SIZE, WM_ACTIVATE and WM_CLOSE, keys
// and buttons their Win32 messages with Win32's virtual-key codes. SDL_QUIT is not translated.
#include <SDL.h>

#include <cstddef>
#include <utility>

#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowState.h"

namespace win32window {

namespace {

struct KeyName {
    int vk;
    SDL_Scancode scancode;
};

constexpr KeyName kNamedKeys[] = {
    {VK_BACK, SDL_SCANCODE_BACKSPACE}, {VK_TAB, SDL_SCANCODE_TAB},        {VK_RETURN, SDL_SCANCODE_RETURN},
    {VK_PAUSE, SDL_SCANCODE_PAUSE},    {VK_ESCAPE, SDL_SCANCODE_ESCAPE},  {VK_SPACE, SDL_SCANCODE_SPACE},
    {VK_PRIOR, SDL_SCANCODE_PAGEUP},   {VK_NEXT, SDL_SCANCODE_PAGEDOWN},  {VK_END, SDL_SCANCODE_END},
    {VK_HOME, SDL_SCANCODE_HOME},      {VK_LEFT, SDL_SCANCODE_LEFT},      {VK_UP, SDL_SCANCODE_UP},
    {VK_RIGHT, SDL_SCANCODE_RIGHT},    {VK_DOWN, SDL_SCANCODE_DOWN},      {VK_INSERT, SDL_SCANCODE_INSERT},
    {VK_DELETE, SDL_SCANCODE_DELETE},  {VK_LSHIFT, SDL_SCANCODE_LSHIFT},  {VK_RSHIFT, SDL_SCANCODE_RSHIFT},
    {VK_LCONTROL, SDL_SCANCODE_LCTRL}, {VK_RCONTROL, SDL_SCANCODE_RCTRL}, {VK_LMENU, SDL_SCANCODE_LALT},
    {VK_RMENU, SDL_SCANCODE_RALT},
};

int VirtualKeyFromScancode(SDL_Scancode code)
{
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
        return 'A' + (code - SDL_SCANCODE_A);
    }
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) {
        return '1' + (code - SDL_SCANCODE_1);
    }
    if (code == SDL_SCANCODE_0) {
        return '0';
    }
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) {
        return VK_F1 + (code - SDL_SCANCODE_F1);
    }
    for (const KeyName& key : kNamedKeys) {
        if (key.scancode == code) {
            return key.vk;
        }
    }
    return 0;
}

int ButtonFromSdl(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
    }
}

void SyncSizeFromSdl(Window& window)
{
    const Uint32 flags = SDL_GetWindowFlags(window.sdl);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window.sdl, &width, &height);
    WPARAM sizeState = SIZE_RESTORED;
    if ((flags & SDL_WINDOW_MINIMIZED) != 0) {
        sizeState = SIZE_MINIMIZED;
    } else if ((flags & SDL_WINDOW_MAXIMIZED) != 0) {
        sizeState = SIZE_MAXIMIZED;
    }
    ApplySize(window, sizeState, width, height, false);
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    Window* window = FindBySdlId(event.windowID);
    if (window == nullptr) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: SyncSizeFromSdl(*window); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: SetActive(window->handle, true, false); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: SetActive(window->handle, false, false); break;
    case SDL_WINDOWEVENT_CLOSE: Post(window->handle, WM_CLOSE, 0, 0); break;
    default: break;
    }
}

void TranslateEvent(const SDL_Event& event)
{
    State& state = Global();
    switch (event.type) {
    case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int button = ButtonFromSdl(event.button.button);
        Window* window = FindBySdlId(event.button.windowID);
        if (button >= 0 && window != nullptr) {
            QueueButton(*window, button, event.type == SDL_MOUSEBUTTONDOWN, event.button.x, event.button.y);
        }
        break;
    }
    case SDL_MOUSEMOTION: {
        Window* window = FindBySdlId(event.motion.windowID);
        if (window != nullptr) {
            WPARAM buttons = 0;
            if ((event.motion.state & SDL_BUTTON_LMASK) != 0) {
                buttons |= MK_LBUTTON;
            }
            if ((event.motion.state & SDL_BUTTON_RMASK) != 0) {
                buttons |= MK_RBUTTON;
            }
            if ((event.motion.state & SDL_BUTTON_MMASK) != 0) {
                buttons |= MK_MBUTTON;
            }
            state.mouseButtons = buttons;
            Post(window->handle, WM_MOUSEMOVE, buttons | ModifierFlags(), PackPoint(event.motion.x, event.motion.y));
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int vk = VirtualKeyFromScancode(event.key.keysym.scancode);
        if (vk == 0) {
            break;
        }
        const bool down = event.type == SDL_KEYDOWN;
        NoteKey(vk, down);
        const Window* window = FindBySdlId(event.key.windowID);
        const HWND target = window != nullptr ? window->handle : state.foreground;
        const int messageVk = GenericVirtualKey(vk) != 0 ? GenericVirtualKey(vk) : vk;
        QueueKeyMessage(target, messageVk, event.key.keysym.scancode, down, event.key.repeat != 0,
                        (event.key.keysym.mod & KMOD_ALT) != 0);
        break;
    }
    default:
        // SDL_QUIT is not translated: each window's close request already is, and SDL's signal
        // handlers are off.
        break;
    }
}

}  // namespace

bool SdlKeyDown(int vk)
{
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int code = 0; code < count; ++code) {
        if (keys[code] == 0) {
            continue;
        }
        const int mapped = VirtualKeyFromScancode(static_cast<SDL_Scancode>(code));
        if (mapped == vk || (mapped != 0 && GenericVirtualKey(mapped) == vk)) {
            return true;
        }
    }
    return false;
}

void PumpSdl()
{
    State& state = Global();
    if (state.mode != Mode::Display) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (state.observer) {
            state.observer(event);
        }
        TranslateEvent(event);
    }
}

}  // namespace win32window

using namespace win32window;

void Win32SetSdlEventObserver(SdlEventObserver observer)
{
    Global().observer = std::move(observer);
}
