// Real windows on a private Xvfb: what the X server sees of them, and X input arriving as the
// right window messages.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"
#include "tests/platform/win32/RecordingWindow.h"
#include "tests/platform/win32/XServer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

class XServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::string error;
        started = server.Start(error);
        if (!started) {
            std::fprintf(stderr, "cannot start Xvfb: %s\n", error.c_str());
        }
    }
    void TearDown() override { server.Stop(); }

    static inline bool started = false;

private:
    XServer server;
};

[[maybe_unused]] ::testing::Environment* const kXServer = ::testing::AddGlobalTestEnvironment(new XServerEnvironment);

const Recorded* Find(UINT message, const std::function<bool(const Recorded&)>& also = nullptr)
{
    for (const Recorded& r : Recording()) {
        if (r.message == message && (!also || also(r))) {
            return &r;
        }
    }
    return nullptr;
}

int Field(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(XServerEnvironment::started);
        ASSERT_TRUE(Win32HasDisplay());
        Recording().clear();
        ASSERT_TRUE(RegisterRecordingClass());
    }

    void TearDown() override { Win32Shutdown(); }

    // A shown window with keyboard focus, so SDL can grab the pointer for the capture; null, with
    // the reason reported, when it cannot be had.
    HWND CreateFocused(int width, int height, int x, int y, unsigned long& xid)
    {
        HWND hwnd = CreateRecordingWindow(width, height, x, y);
        if (hwnd == nullptr) {
            ADD_FAILURE() << "no window";
            return nullptr;
        }
        ShowWindow(hwnd, SW_SHOW);
        SDL_Window* sdl = Win32GetSdlWindow(hwnd);
        xid = X11WindowOf(sdl);
        if (xid == 0) {
            ADD_FAILURE() << "no X window behind the window";
            return nullptr;
        }
        RunCommand("xdotool windowfocus " + std::to_string(xid));
        if (!PumpUntil([sdl] { return SDL_GetKeyboardFocus() == sdl; })) {
            ADD_FAILURE() << "the window did not get the keyboard focus within " << kXEventDeadline.count() << " s";
            return nullptr;
        }
        return hwnd;
    }
};

TEST_F(RealWindow, ClientAreaTitleAndMinimumSizeReachTheXServer)
{
    HWND hwnd = CreateRecordingWindow(1280, 720);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    const std::wstring title = L"Now Loading... 1 minute 16 seconds    FPS: 60    Frame Time: 16.6667 (ms)";
    SetWindowTextW(hwnd, title.c_str());
    DrainMessages();

    SDL_Window* sdl = Win32GetSdlWindow(hwnd);
    ASSERT_NE(sdl, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL, 0u) << "the graphics layer makes a GL context on it";
    const std::string xid = std::to_string(X11WindowOf(sdl));

    const std::string info = RunCommand("xwininfo -id " + xid);
    EXPECT_EQ(Field(info, "Width: "), 1280) << info;
    EXPECT_EQ(Field(info, "Height: "), 720) << info;
    EXPECT_EQ(RunCommand("xdotool getwindowname " + xid), NarrowFromWide(title) + "\n");
    const std::string hints = RunCommand("xprop -id " + xid + " WM_NORMAL_HINTS");
    EXPECT_NE(hints.find("minimum size: 184 by 161"), std::string::npos) << hints;

    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 1280);
    EXPECT_EQ(client.bottom, 720);
}

TEST_F(RealWindow, KeysArriveAsMessagesAndKeyState)
{
    unsigned long xid = 0;
    HWND hwnd = CreateFocused(320, 240, 100, 100, xid);
    ASSERT_NE(hwnd, nullptr);
    int observedAltEnter = 0;
    Win32SetSdlEventObserver([&](const SDL_Event& event) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT)) {
            ++observedAltEnter;
        }
    });

    RunCommand("xdotool keydown Escape");
    ASSERT_TRUE(PumpUntil([] { return Find(WM_KEYDOWN) != nullptr; }));
    EXPECT_EQ(Find(WM_KEYDOWN)->wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(Find(WM_KEYDOWN)->hwnd, hwnd);
    EXPECT_LT(GetAsyncKeyState(VK_ESCAPE), 0) << "held down";
    RunCommand("xdotool keyup Escape");
    ASSERT_TRUE(PumpUntil([] { return Find(WM_KEYUP) != nullptr; }));
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE) & 0x8000, 0);

    RunCommand("xdotool key alt+Return");
    ASSERT_TRUE(PumpUntil([] {
        return Find(WM_SYSKEYDOWN, [](const Recorded& r) { return r.wParam == static_cast<WPARAM>(VK_RETURN); });
    }));
    EXPECT_EQ(observedAltEnter, 1);
}

TEST_F(RealWindow, DragOutsideTheWindowKeepsArrivingWhileCaptured)
{
    unsigned long xid = 0;
    HWND hwnd = CreateFocused(320, 240, 200, 150, xid);
    ASSERT_NE(hwnd, nullptr);
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(Win32GetSdlWindow(hwnd), &left, &top);
    const auto moveTo = [](int x, int y) {
        RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
    };

    moveTo(left + 50, top + 40);
    RunCommand("xdotool mousedown 1");
    ASSERT_TRUE(PumpUntil([] { return Find(WM_LBUTTONDOWN) != nullptr; }));
    EXPECT_EQ(Find(WM_LBUTTONDOWN)->wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(GET_X_LPARAM(Find(WM_LBUTTONDOWN)->lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(Find(WM_LBUTTONDOWN)->lParam), 40);
    EXPECT_EQ(GetCapture(), hwnd) << "the window procedure took the capture";

    moveTo(left - 30, top - 20);  // up and to the left of the client area
    ASSERT_TRUE(
        PumpUntil([] { return Find(WM_MOUSEMOVE, [](const Recorded& r) { return GET_X_LPARAM(r.lParam) < 0; }); }));
    const Recorded* outside = Find(WM_MOUSEMOVE, [](const Recorded& r) { return GET_X_LPARAM(r.lParam) < 0; });
    EXPECT_EQ(GET_X_LPARAM(outside->lParam), -30);
    EXPECT_EQ(GET_Y_LPARAM(outside->lParam), -20);
    EXPECT_EQ(outside->wParam & MK_LBUTTON, MK_LBUTTON);

    RunCommand("xdotool mouseup 1");
    ASSERT_TRUE(PumpUntil([] { return Find(WM_LBUTTONUP) != nullptr; }));
    EXPECT_EQ(GET_X_LPARAM(Find(WM_LBUTTONUP)->lParam), -30);
    EXPECT_EQ(Find(WM_LBUTTONUP)->wParam & MK_LBUTTON, 0u);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(RealWindow, ThePressThatFocusesTheWindowArrivesLikeAnyOther)
{
    HWND hwnd = CreateRecordingWindow(320, 240, 200, 150);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    const std::string xid = std::to_string(X11WindowOf(Win32GetSdlWindow(hwnd)));
    // The focus and the click wait unread and are taken in one pump, as after a long frame.
    RunCommand("xdotool windowfocus --sync " + xid + " mousemove --window " + xid + " 50 40 click 1");
    ASSERT_TRUE(PumpUntil([] { return Find(WM_LBUTTONUP) != nullptr; }));
    ASSERT_NE(Find(WM_LBUTTONDOWN), nullptr);
    EXPECT_EQ(GET_X_LPARAM(Find(WM_LBUTTONDOWN)->lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(Find(WM_LBUTTONDOWN)->lParam), 40);
}

TEST_F(RealWindow, CloseRequestDestroysTheWindowAndQuits)
{
    HWND hwnd = CreateRecordingWindow(320, 240);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    DrainMessages();
    Recording().clear();
    ASSERT_TRUE(SendCloseRequest(X11WindowOf(Win32GetSdlWindow(hwnd))));

    MSG msg{};
    const auto deadline = std::chrono::steady_clock::now() + kXEventDeadline;
    while (msg.message != WM_QUIT && std::chrono::steady_clock::now() < deadline) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ASSERT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 0u);
    ASSERT_GE(Recording().size(), 2u);
    EXPECT_EQ(Recording()[0].message, WM_CLOSE);
    EXPECT_NE(Find(WM_DESTROY), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Win32GetSdlWindow(hwnd), nullptr);
}

}  // namespace
