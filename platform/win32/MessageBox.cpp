// MessageBoxW: an SDL message box on a display, and always the text on standard error, so a run
// without a display (or with its output logged) still shows what the box said. Without a display
// nothing can answer, so the box does not wait: it answers with the choice that changes nothing
// (OK, No or Cancel).
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

struct Button {
    int id;
    const char* label;
};

std::vector<Button> ButtonsOf(UINT kind)
{
    switch (kind) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNOCANCEL: return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "Yes"}, {IDNO, "No"}};
    default: return {{IDOK, "OK"}};
    }
}

int DefaultAnswer(UINT kind)
{
    switch (kind) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    default: return IDOK;
    }
}

const char* AnswerName(int answer)
{
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
    }
}

Uint32 SdlIconFlags(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

volatile std::sig_atomic_t boxShowing = 0;

}  // namespace

bool Win32MessageBoxShowing() noexcept
{
    return boxShowing != 0;
}

void Win32SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    // A null caption is Windows' default one.
    const std::string narrowCaption = caption != nullptr ? NarrowFromWide(caption) : std::string("Error");
    const std::string narrowText = text != nullptr ? NarrowFromWide(text) : std::string();
    std::fprintf(stderr, "%s: %s\n", narrowCaption.c_str(), narrowText.c_str());
    std::fflush(stderr);

    const UINT kind = type & MB_TYPEMASK;
    const int fallback = DefaultAnswer(kind);
    if (Hook()) {
        return Hook()(owner, text, caption, type);
    }
    if (!Win32HasDisplay()) {
        std::fprintf(stderr, "(no display to ask: answered %s)\n", AnswerName(fallback));
        return fallback;
    }

    const std::vector<Button> buttons = ButtonsOf(kind);
    std::vector<SDL_MessageBoxButtonData> sdlButtons;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        Uint32 flags = 0;
        if (i == 0) {
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        }
        if (buttons[i].id == fallback) {
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        }
        sdlButtons.push_back(SDL_MessageBoxButtonData{flags, buttons[i].id, buttons[i].label});
    }
    SDL_MessageBoxData data{};
    data.flags = SdlIconFlags(type);
    data.window = Win32GetSdlWindow(owner);
    data.title = narrowCaption.c_str();
    data.message = narrowText.c_str();
    data.numbuttons = static_cast<int>(sdlButtons.size());
    data.buttons = sdlButtons.data();
    int answer = -1;
    boxShowing = 1;
    const int shown = SDL_ShowMessageBox(&data, &answer);
    boxShowing = 0;
    if (shown != 0) {
        std::fprintf(stderr, "(message box failed: %s; answered %s)\n", SDL_GetError(), AnswerName(fallback));
        return fallback;
    }
    return answer < 0 ? fallback : answer;
}
