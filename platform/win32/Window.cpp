// Windows, the message queue and input over SDL2, or without a display in headless mode.
//
// Messages that Win32 sends synchronously (creation, showing, title, capture changes) call the
// window procedure directly, in Win32's order. Everything else (translated SDL events, injected
// input, PostMessageW) goes through one FIFO queue that PeekMessageW reads; WM_QUIT is a flag that
// is returned once the queue holds nothing else.
//
// SDL has no counterpart of a border drag's start and end, so WM_ENTERSIZEMOVE and
// WM_EXITSIZEMOVE are never sent: every size change arrives as one WM_SIZE, deduplicated, so the
// application resizes once per change and its timer never stops for a drag.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Inject.h"
#include "platform/win32/Win32Platform.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kQueueLimit = 10000;  // Win32's default per-thread posted-message quota
constexpr std::uintptr_t kFirstHandle = 0x10010;
constexpr std::uintptr_t kHandleStep = 0x10;
constexpr int kDefaultClientWidth = 800;
constexpr int kDefaultClientHeight = 600;

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

State& Global() {
    static State state;
    return state;
}

DWORD MessageTime() { return static_cast<DWORD>(SDL_GetTicks64()); }

Window* Find(HWND handle) {
    auto& windows = Global().windows;
    const auto it = windows.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == windows.end() || it->second->destroying) {
        return nullptr;
    }
    return it->second.get();
}

Window* FindBySdlId(Uint32 id) {
    for (auto& [key, window] : Global().windows) {
        if (window->sdl != nullptr && SDL_GetWindowID(window->sdl) == id && !window->destroying) {
            return window.get();
        }
    }
    return nullptr;
}

void ExitHook() { Win32Shutdown(); }

Mode DecideMode() {
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
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Win32: no display (%s); windows are headless\n", SDL_GetError());
        state.mode = Mode::Headless;
        return state.mode;
    }
    state.videoStarted = true;
    state.mode = Mode::Display;
    return state.mode;
}

LRESULT Send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = Find(handle);
    if (window == nullptr) {
        return 0;
    }
    const WNDPROC proc = window->proc;  // the window may be gone when the call returns
    return proc(handle, message, wParam, lParam);
}

bool Post(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    State& state = Global();
    if (state.queue.size() >= kQueueLimit) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return false;
    }
    state.queue.push_back(MSG{handle, message, wParam, lParam, MessageTime(), POINT{0, 0}});
    return true;
}

// Delivers a message now (as Win32 sends it) or through the queue.
void Deliver(bool now, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (now) {
        Send(handle, message, wParam, lParam);
    } else {
        Post(handle, message, wParam, lParam);
    }
}

LPARAM PackPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<std::uint32_t>(x) & 0xFFFFu),
                      static_cast<WORD>(static_cast<std::uint32_t>(y) & 0xFFFFu));
}

// Records a size and state and sends one WM_SIZE when either changed.
void ApplySize(Window& window, WPARAM sizeState, int width, int height, bool now) {
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
    Deliver(now, window.handle, WM_SIZE, sizeState,
            MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
}

void SetActive(HWND handle, bool active, bool now) {
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

// ---- Keys ---------------------------------------------------------------------------------------

struct KeyName {
    int vk;
    SDL_Scancode scancode;
};

constexpr KeyName kNamedKeys[] = {
    {VK_BACK, SDL_SCANCODE_BACKSPACE}, {VK_TAB, SDL_SCANCODE_TAB},         {VK_RETURN, SDL_SCANCODE_RETURN},
    {VK_PAUSE, SDL_SCANCODE_PAUSE},    {VK_ESCAPE, SDL_SCANCODE_ESCAPE},   {VK_SPACE, SDL_SCANCODE_SPACE},
    {VK_PRIOR, SDL_SCANCODE_PAGEUP},   {VK_NEXT, SDL_SCANCODE_PAGEDOWN},   {VK_END, SDL_SCANCODE_END},
    {VK_HOME, SDL_SCANCODE_HOME},      {VK_LEFT, SDL_SCANCODE_LEFT},       {VK_UP, SDL_SCANCODE_UP},
    {VK_RIGHT, SDL_SCANCODE_RIGHT},    {VK_DOWN, SDL_SCANCODE_DOWN},       {VK_INSERT, SDL_SCANCODE_INSERT},
    {VK_DELETE, SDL_SCANCODE_DELETE},  {VK_LSHIFT, SDL_SCANCODE_LSHIFT},   {VK_RSHIFT, SDL_SCANCODE_RSHIFT},
    {VK_LCONTROL, SDL_SCANCODE_LCTRL}, {VK_RCONTROL, SDL_SCANCODE_RCTRL}, {VK_LMENU, SDL_SCANCODE_LALT},
    {VK_RMENU, SDL_SCANCODE_RALT},
};

int VirtualKeyFromScancode(SDL_Scancode code) {
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

// The generic modifier keys stand for either side.
int GenericVirtualKey(int vk) {
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return 0;
    }
}

bool SdlKeyDown(int vk) {
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

void NoteKey(int vk, bool down) {
    State& state = Global();
    if (down) {
        state.pressedSinceQuery[static_cast<std::size_t>(vk)] = true;
        if (const int generic = GenericVirtualKey(vk); generic != 0) {
            state.pressedSinceQuery[static_cast<std::size_t>(generic)] = true;
        }
    }
}

void QueueKeyMessage(HWND target, int vk, int scancode, bool down, bool repeat, bool alt) {
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

// ---- Mouse --------------------------------------------------------------------------------------

WPARAM ButtonFlag(int button) {
    switch (button) {
    case 0:
        return MK_LBUTTON;
    case 1:
        return MK_RBUTTON;
    case 2:
        return MK_MBUTTON;
    default:
        return 0;
    }
}

UINT ButtonMessage(int button, bool down) {
    static constexpr UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    return down ? kDown[button] : kUp[button];
}

WPARAM ModifierFlags() {
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
    if (state.injectedKeyDown[VK_CONTROL] || state.injectedKeyDown[VK_LCONTROL] ||
        state.injectedKeyDown[VK_RCONTROL]) {
        flags |= MK_CONTROL;
    }
    return flags;
}

bool InsideClient(const Window& window, int x, int y) {
    return x >= 0 && y >= 0 && x < window.clientWidth && y < window.clientHeight;
}

// A window sees the pointer outside its client area only while it holds the capture.
bool MouseInputReaches(const Window& window, int x, int y) {
    return Global().capture == window.handle || InsideClient(window, x, y);
}

void QueueButton(Window& window, int button, bool down, int x, int y) {
    State& state = Global();
    const WPARAM flag = ButtonFlag(button);
    if (down) {
        state.mouseButtons |= flag;
        state.pressedSinceQuery[static_cast<std::size_t>(button == 0 ? VK_LBUTTON : button == 1 ? VK_RBUTTON : VK_MBUTTON)] = true;
    } else {
        state.mouseButtons &= ~flag;
    }
    Post(window.handle, ButtonMessage(button, down), state.mouseButtons | ModifierFlags(), PackPoint(x, y));
}

int ButtonFromSdl(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return -1;
    }
}

// ---- SDL event translation ----------------------------------------------------------------------

void SyncSizeFromSdl(Window& window) {
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

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    Window* window = FindBySdlId(event.windowID);
    if (window == nullptr) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        SyncSizeFromSdl(*window);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetActive(window->handle, true, false);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        SetActive(window->handle, false, false);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Post(window->handle, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void TranslateEvent(const SDL_Event& event) {
    State& state = Global();
    switch (event.type) {
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
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

void PumpSdl() {
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

void ForgetWindow(HWND handle) {
    State& state = Global();
    auto& queue = state.queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(), [handle](const MSG& m) { return m.hwnd == handle; }),
                queue.end());
    if (state.foreground == handle) {
        state.foreground = nullptr;
    }
    state.windows.erase(reinterpret_cast<std::uintptr_t>(handle));
}

const RegisteredClass* FindClass(LPCWSTR name) {
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

// Frame sizes of a 96-dpi desktop: a sizing border of 8 pixels and a caption of 23.
struct Frame {
    int left, top, right, bottom;
};

Frame FrameOf(DWORD style, bool menu) {
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

// ---- Platform hooks -----------------------------------------------------------------------------

SDL_Window* Win32GetSdlWindow(HWND window) {
    const Window* found = Find(window);
    return found != nullptr ? found->sdl : nullptr;
}

bool Win32HasDisplay() { return DecideMode() == Mode::Display; }

bool Win32SetHeadless(bool headless) {
    State& state = Global();
    if (state.mode == Mode::Undecided) {
        state.wantHeadless = headless;
        return true;
    }
    return (state.mode == Mode::Headless) == headless;
}

void Win32SetSdlEventObserver(SdlEventObserver observer) { Global().observer = std::move(observer); }

void Win32Shutdown() {
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

// ---- Injection ----------------------------------------------------------------------------------

bool Win32InjectSize(HWND handle, WPARAM sizeType, int clientWidth, int clientHeight) {
    Window* window = Find(handle);
    if (window == nullptr || sizeType > SIZE_MAXIMIZED) {
        return false;
    }
    ApplySize(*window, sizeType, std::max(clientWidth, 0), std::max(clientHeight, 0), false);
    return true;
}

bool Win32InjectActivate(HWND handle, bool active) {
    if (Find(handle) == nullptr) {
        return false;
    }
    SetActive(handle, active, false);
    return true;
}

bool Win32InjectMouseButton(HWND handle, int button, bool down, int x, int y) {
    Window* window = Find(handle);
    if (window == nullptr || ButtonFlag(button) == 0 || !MouseInputReaches(*window, x, y)) {
        return false;
    }
    QueueButton(*window, button, down, x, y);
    return true;
}

bool Win32InjectMouseMove(HWND handle, int x, int y) {
    Window* window = Find(handle);
    if (window == nullptr || !MouseInputReaches(*window, x, y)) {
        return false;
    }
    return Post(handle, WM_MOUSEMOVE, Global().mouseButtons | ModifierFlags(), PackPoint(x, y));
}

void Win32InjectKey(int virtualKey, bool down) {
    if (virtualKey <= 0 || virtualKey > 0xFF) {
        return;
    }
    State& state = Global();
    const bool wasDown = state.injectedKeyDown[static_cast<std::size_t>(virtualKey)];
    state.injectedKeyDown[static_cast<std::size_t>(virtualKey)] = down;
    NoteKey(virtualKey, down);
    const bool alt = state.injectedKeyDown[VK_MENU] || state.injectedKeyDown[VK_LMENU] || state.injectedKeyDown[VK_RMENU];
    // Messages name the generic modifier key, as Windows' do.
    const int messageVk = GenericVirtualKey(virtualKey) != 0 ? GenericVirtualKey(virtualKey) : virtualKey;
    QueueKeyMessage(state.foreground, messageVk, 0, down, down && wasDown, alt);
}

void Win32ResetInput() {
    State& state = Global();
    state.injectedKeyDown.fill(false);
    state.pressedSinceQuery.fill(false);
    state.mouseButtons = 0;
}

// ---- Window classes and windows -----------------------------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
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

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    const RegisteredClass* registered = FindClass(className);
    if (registered == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    Global().classes.erase(registered->name);
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
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
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
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

    CREATESTRUCTW create{param,  instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                         window->title.c_str(), registered->name.c_str(), exStyle};
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

BOOL DestroyWindow(HWND handle) {
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

BOOL IsWindow(HWND handle) { return Find(handle) != nullptr ? TRUE : FALSE; }

BOOL ShowWindow(HWND handle, int command) {
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

BOOL UpdateWindow(HWND handle) {
    // Nothing is painted through messages here: drawing goes through the graphics layer.
    return Find(handle) != nullptr ? TRUE : FALSE;
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text) {
    if (Find(handle) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Send(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextW(HWND handle, LPWSTR buffer, int maxCount) {
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

BOOL GetClientRect(HWND handle, LPRECT rect) {
    const Window* window = Find(handle);
    if (window == nullptr || rect == nullptr) {
        SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *rect = RECT{0, 0, window->clientWidth, window->clientHeight};
    return TRUE;
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_NCCREATE:
        return TRUE;
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
    default:
        return 0;
    }
}

LRESULT SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Find(handle) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(handle, message, wParam, lParam);
}

// The stock icon, cursor and brushes are only names here: nothing draws with them.
HICON LoadIconW(HINSTANCE, LPCWSTR name) {
    return name != nullptr ? reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0x10003)) : nullptr;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
    return name != nullptr ? reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(0x10005)) : nullptr;
}

HGDIOBJ GetStockObject(int object) {
    if (object < 0 || object > 19) {
        return nullptr;
    }
    return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x20000 + object));
}

// ---- The queue ----------------------------------------------------------------------------------

BOOL PeekMessageW(LPMSG msg, HWND handle, UINT filterMin, UINT filterMax, UINT removeMessage) {
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

BOOL TranslateMessage(const MSG* msg) {
    // Character messages are not produced: nothing here reads them.
    if (msg == nullptr) {
        return FALSE;
    }
    const UINT m = msg->message;
    return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) {
        return 0;
    }
    if (Find(msg->hwnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (handle != nullptr && Find(handle) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Post(handle, message, wParam, lParam) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
    State& state = Global();
    state.quitPosted = true;
    state.quitCode = exitCode;
}

// ---- Input state --------------------------------------------------------------------------------

SHORT GetAsyncKeyState(int virtualKey) {
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

HWND SetCapture(HWND handle) {
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

BOOL ReleaseCapture() {
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

HWND GetCapture() { return Global().capture; }

HWND GetForegroundWindow() { return Global().foreground; }
