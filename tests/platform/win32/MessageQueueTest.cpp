// Headless windows: message order during creation, size and activation sequences, mouse
// coordinates, the queue, key state, capture and message boxes.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Inject.h"
#include "platform/win32/Win32Platform.h"
#include "tests/platform/win32/RecordingWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

namespace {

std::vector<UINT> MessagesOf(const std::vector<Recorded>& recorded)
{
    std::vector<UINT> messages;
    for (const Recorded& r : recorded) {
        messages.push_back(r.message);
    }
    return messages;
}

std::vector<Recorded> Only(UINT message)
{
    std::vector<Recorded> out;
    for (const Recorded& r : Recording()) {
        if (r.message == message) {
            out.push_back(r);
        }
    }
    return out;
}

class HeadlessWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Win32SetHeadless(true));
        Recording().clear();
        ASSERT_TRUE(RegisterRecordingClass());
    }

    void TearDown() override
    {
        Win32SetMessageBoxHook(nullptr);
        Win32Shutdown();
    }

    HWND CreateShown()
    {
        HWND hwnd = CreateRecordingWindow(1280, 720);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
        Recording().clear();
        return hwnd;
    }
};

TEST_F(HeadlessWindow, CreationAndShowingSendSizeBeforeActivationBeforeReturning)
{
    RECT rect{0, 0, 1280, 720};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_GT(rect.right - rect.left, 1280);
    EXPECT_GT(rect.bottom - rect.top, 720);

    HWND hwnd = CreateRecordingWindow(1280, 720);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(MessagesOf(Recording()), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SIZE}));
    const Recorded size = Recording().back();
    EXPECT_EQ(size.wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(size.lParam)), 1280);
    EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(size.lParam)), 720);
    EXPECT_EQ(GetForegroundWindow(), nullptr);

    Recording().clear();
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));  // was hidden
    EXPECT_EQ(MessagesOf(Recording()), (std::vector<UINT>{WM_SHOWWINDOW, WM_ACTIVATE}));
    EXPECT_EQ(LOWORD(Recording().back().wParam), WA_ACTIVE);
    EXPECT_EQ(GetForegroundWindow(), hwnd);

    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 1280);
    EXPECT_EQ(client.bottom, 720);
    EXPECT_EQ(Win32GetSdlWindow(hwnd), nullptr);
    EXPECT_FALSE(Win32HasDisplay());
    EXPECT_EQ(DrainMessages(), 0) << "nothing is left queued by creation";
}

TEST_F(HeadlessWindow, MinimumTrackingSizeHoldsForCreationAndResizes)
{
    const int minWidth = 200 - 16;  // the 200-pixel outer minimum less the frame
    const int minHeight = 200 - 39;
    HWND hwnd = CreateRecordingWindow(50, 50);
    ASSERT_NE(hwnd, nullptr);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, minWidth);
    EXPECT_EQ(client.bottom, minHeight);

    Recording().clear();
    ASSERT_TRUE(Win32InjectSize(hwnd, SIZE_RESTORED, 10, 500));
    DrainMessages();
    ASSERT_EQ(Only(WM_SIZE).size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(Only(WM_SIZE)[0].lParam), minWidth);
    EXPECT_EQ(GET_Y_LPARAM(Only(WM_SIZE)[0].lParam), 500);
}

TEST_F(HeadlessWindow, SizeSequencesGiveOneSizeMessagePerChange)
{
    HWND hwnd = CreateShown();
    struct Step {
        WPARAM type;
        int width, height;
        bool expectMessage;
        int expectWidth, expectHeight;
    };
    const Step steps[] = {
        {SIZE_MINIMIZED, 1280, 720, true, 0, 0},  // minimized windows report no client area
        {SIZE_MINIMIZED, 0, 0, false, 0, 0},      // repeated: nothing new
        {SIZE_RESTORED, 1280, 720, true, 1280, 720}, {SIZE_MAXIMIZED, 1920, 1050, true, 1920, 1050},
        {SIZE_MAXIMIZED, 1920, 1050, false, 0, 0},   {SIZE_RESTORED, 1280, 720, true, 1280, 720},
        {SIZE_RESTORED, 1000, 700, true, 1000, 700},  // a border drag: one message per new size
        {SIZE_RESTORED, 1000, 700, false, 0, 0},
    };
    for (const Step& step : steps) {
        Recording().clear();
        ASSERT_TRUE(Win32InjectSize(hwnd, step.type, step.width, step.height));
        DrainMessages();
        const auto sizes = Only(WM_SIZE);
        ASSERT_EQ(sizes.size(), step.expectMessage ? 1u : 0u) << "type " << step.type << " " << step.width;
        if (step.expectMessage) {
            EXPECT_EQ(sizes[0].wParam, step.type);
            EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(sizes[0].lParam)), step.expectWidth);
            EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(sizes[0].lParam)), step.expectHeight);
        }
        EXPECT_TRUE(Only(WM_ENTERSIZEMOVE).empty());
    }
    EXPECT_FALSE(Win32InjectSize(hwnd, 7, 10, 10)) << "not a size type";
    EXPECT_FALSE(Win32InjectSize(reinterpret_cast<HWND>(0x1234), SIZE_RESTORED, 10, 10));
}

TEST_F(HeadlessWindow, ActivationChangesForegroundAndIsReportedOnce)
{
    HWND hwnd = CreateShown();
    ASSERT_TRUE(Win32InjectActivate(hwnd, false));
    ASSERT_TRUE(Win32InjectActivate(hwnd, false));
    DrainMessages();
    ASSERT_EQ(Only(WM_ACTIVATE).size(), 1u);
    EXPECT_EQ(LOWORD(Only(WM_ACTIVATE)[0].wParam), WA_INACTIVE);
    EXPECT_EQ(GetForegroundWindow(), nullptr);

    Recording().clear();
    ASSERT_TRUE(Win32InjectActivate(hwnd, true));
    DrainMessages();
    ASSERT_EQ(Only(WM_ACTIVATE).size(), 1u);
    EXPECT_EQ(LOWORD(Only(WM_ACTIVATE)[0].wParam), WA_ACTIVE);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
}

TEST_F(HeadlessWindow, MouseCoordinatesAreSignedSixteenBitClientCoordinates)
{
    HWND hwnd = CreateShown();
    ASSERT_TRUE(Win32InjectMouseButton(hwnd, 0, true, 100, 50));  // takes the capture
    DrainMessages();
    ASSERT_EQ(GetCapture(), hwnd);

    const std::tuple<int, int, WORD> moves[] = {
        {0, 0, 0x0000}, {1279, 719, 0x04FF}, {-1, -2, 0xFFFF}, {-300, -40, 0xFED4}, {2000, 900, 0x07D0},
    };
    for (const auto& [x, y, lowWord] : moves) {
        Recording().clear();
        ASSERT_TRUE(Win32InjectMouseMove(hwnd, x, y));
        DrainMessages();
        const auto seen = Only(WM_MOUSEMOVE);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].wParam & MK_LBUTTON, MK_LBUTTON);
        EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(seen[0].lParam)), lowWord);
        EXPECT_EQ(GET_X_LPARAM(seen[0].lParam), x);
        EXPECT_EQ(GET_Y_LPARAM(seen[0].lParam), y);
    }

    Recording().clear();
    ASSERT_TRUE(Win32InjectMouseButton(hwnd, 0, false, -20, -30));  // released outside, still captured
    DrainMessages();
    ASSERT_EQ(Only(WM_LBUTTONUP).size(), 1u);
    EXPECT_EQ(Only(WM_LBUTTONUP)[0].wParam & MK_LBUTTON, 0u);
    EXPECT_EQ(GET_X_LPARAM(Only(WM_LBUTTONUP)[0].lParam), -20);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Only(WM_CAPTURECHANGED).size(), 1u);

    // Without the capture the pointer outside the client area belongs to someone else.
    EXPECT_FALSE(Win32InjectMouseMove(hwnd, -5, 10));
    EXPECT_FALSE(Win32InjectMouseButton(hwnd, 1, true, 5, 9999));
}

TEST_F(HeadlessWindow, ButtonFlagsFollowEveryButton)
{
    HWND hwnd = CreateShown();
    Win32InjectMouseButton(hwnd, 1, true, 10, 10);
    Win32InjectMouseButton(hwnd, 2, true, 10, 10);
    Win32InjectMouseMove(hwnd, 11, 10);
    Win32InjectMouseButton(hwnd, 1, false, 11, 10);
    DrainMessages();
    EXPECT_EQ(MessagesOf(Recording()),
              (std::vector<UINT>{WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONUP, WM_CAPTURECHANGED}));
    EXPECT_EQ(Recording()[0].wParam, MK_RBUTTON);
    EXPECT_EQ(Recording()[1].wParam, MK_RBUTTON | MK_MBUTTON);
    EXPECT_EQ(Recording()[2].wParam, MK_RBUTTON | MK_MBUTTON);
    EXPECT_EQ(Recording()[3].wParam, MK_MBUTTON);
    EXPECT_NE(GetAsyncKeyState(VK_MBUTTON) & 0x8000, 0);
    EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON) & 0x8000, 0);
}

// The frame loop's shape: drain everything, then one idle pass, until WM_QUIT.
struct LoopResult {
    std::vector<std::string> trace;
    WPARAM exitCode = 0;
};

LoopResult RunLoop(int maxIdle, void (*onIdle)(int))
{
    LoopResult result;
    MSG msg{};
    int idle = 0;
    while (msg.message != WM_QUIT && idle < maxIdle) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            result.trace.push_back("msg " + std::to_string(msg.message));
        } else {
            result.trace.push_back("idle");
            onIdle(idle++);
        }
    }
    result.exitCode = msg.wParam;
    return result;
}

TEST_F(HeadlessWindow, QueueIsDrainedBeforeIdleAndCloseEndsTheLoop)
{
    static HWND hwnd;
    hwnd = CreateShown();
    PostMessageW(hwnd, WM_USER, 0, 0);
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    const LoopResult result = RunLoop(10, [](int idle) {
        if (idle == 0) {
            // As Escape does: one close request per frame; the second never reaches the window.
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
    });
    EXPECT_EQ(result.trace, (std::vector<std::string>{"msg 1024", "msg 1025", "idle", "msg 16", "msg 18"}));
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(MessagesOf(Recording()), (std::vector<UINT>{WM_USER, WM_USER + 1, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(HeadlessWindow, QuitComesAfterQueuedMessagesOnceWithItsCode)
{
    HWND hwnd = CreateShown();
    PostQuitMessage(3);
    PostMessageW(hwnd, WM_USER, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

    // Filters by window and by message range.
    PostMessageW(nullptr, WM_USER + 5, 0, 0);
    PostMessageW(hwnd, WM_USER + 6, 0, 0);
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 6);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 6, WM_USER + 9, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER + 5, PM_REMOVE));
    EXPECT_EQ(DispatchMessageW(&msg), 0) << "thread messages go to no window";
    EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(HeadlessWindow, PostedMessagesAreBoundedByTheQuota)
{
    HWND hwnd = CreateShown();
    int posted = 0;
    while (PostMessageW(hwnd, WM_USER, 0, 0) && posted < 20000) {
        ++posted;
    }
    EXPECT_EQ(posted, 10000);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
    EXPECT_EQ(DrainMessages(), 10000);
}

TEST_F(HeadlessWindow, AsyncKeyStateReportsDownAndPressedSinceLastCall)
{
    HWND hwnd = CreateShown();
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    Win32InjectKey(VK_ESCAPE, true);
    EXPECT_EQ(static_cast<unsigned short>(GetAsyncKeyState(VK_ESCAPE)), 0x8001u);
    EXPECT_EQ(static_cast<unsigned short>(GetAsyncKeyState(VK_ESCAPE)), 0x8000u);
    EXPECT_TRUE(GetAsyncKeyState(VK_ESCAPE) < 0) << "the high bit is the sign bit";
    Win32InjectKey(VK_ESCAPE, false);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);

    Win32InjectKey(VK_LSHIFT, true);
    EXPECT_NE(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0) << "either shift key is shift";
    Win32InjectKey(VK_LSHIFT, false);
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    EXPECT_EQ(GetAsyncKeyState(0x1000), 0);

    DrainMessages();
    const auto downs = Only(WM_KEYDOWN);
    const auto ups = Only(WM_KEYUP);
    ASSERT_EQ(downs.size(), 2u);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(downs[0].hwnd, hwnd);
    EXPECT_NE(static_cast<std::uintptr_t>(ups[0].lParam) & (1u << 31), 0u);

    // Keys still change state with no window in front, but no message goes anywhere.
    Win32InjectActivate(hwnd, false);
    DrainMessages();
    Recording().clear();
    Win32InjectKey(VK_ESCAPE, true);
    EXPECT_LT(GetAsyncKeyState(VK_ESCAPE), 0);
    EXPECT_EQ(DrainMessages(), 0);
    Win32ResetInput();
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
}

TEST_F(HeadlessWindow, CaptureMovesBetweenWindowsAndEndsWithTheWindow)
{
    HWND first = CreateShown();
    HWND second = CreateRecordingWindow(300, 300);
    Recording().clear();
    EXPECT_EQ(SetCapture(first), nullptr);
    EXPECT_EQ(SetCapture(second), first);
    ASSERT_EQ(Only(WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ(Only(WM_CAPTURECHANGED)[0].hwnd, first);
    EXPECT_EQ(Only(WM_CAPTURECHANGED)[0].lParam, reinterpret_cast<LPARAM>(second));

    EXPECT_TRUE(DestroyWindow(second));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(DestroyWindow(second));
    EXPECT_EQ(SetCapture(reinterpret_cast<HWND>(0x99)), nullptr) << "no capture for unknown windows";
}

TEST_F(HeadlessWindow, TitleGoesThroughTheWindowProcedure)
{
    HWND hwnd = CreateShown();
    const std::wstring title = L"Now Loading... 1 minute 16 seconds    FPS: 60    Frame Time: 16.6667 (ms)";
    ASSERT_TRUE(SetWindowTextW(hwnd, title.c_str()));
    EXPECT_EQ(Only(WM_SETTEXT).size(), 1u);
    wchar_t buffer[128];
    EXPECT_EQ(GetWindowTextW(hwnd, buffer, 128), static_cast<int>(title.size()));
    EXPECT_EQ(std::wstring(buffer), title);
    EXPECT_EQ(GetWindowTextW(hwnd, buffer, 5), 4);
    EXPECT_EQ(std::wstring(buffer), L"Now ");
    EXPECT_TRUE(SetWindowTextW(hwnd, nullptr));
    EXPECT_EQ(GetWindowTextW(hwnd, buffer, 128), 0);
    EXPECT_FALSE(SetWindowTextW(reinterpret_cast<HWND>(0x77), L"x"));
}

LRESULT RefuseCreation(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Recording().push_back({hwnd, message, wParam, lParam});
    return message == WM_CREATE ? -1 : DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(HeadlessWindow, ClassAndCreationFailuresAreReported)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"D3DWndClassName";
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    wc.lpszClassName = L"";
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(RegisterClassW(nullptr), 0);

    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);

    wc.lpfnWndProc = RefuseCreation;
    wc.lpszClassName = L"Refusing";
    ASSERT_NE(RegisterClassW(&wc), 0);
    Recording().clear();
    EXPECT_EQ(
        CreateWindowExW(0, L"Refusing", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(MessagesOf(Recording()),
              (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(HeadlessWindow, MessageBoxWithoutDisplayAnswersWithoutWaiting)
{
    const std::tuple<UINT, int> cases[] = {
        {MB_OK, IDOK},
        {MB_YESNO | MB_ICONERROR, IDNO},
        {MB_OKCANCEL, IDCANCEL},
        {MB_YESNOCANCEL, IDCANCEL},
    };
    for (const auto& [type, answer] : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxW(nullptr, L"CreateWindow Failed.", nullptr, type), answer);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("Error: CreateWindow Failed."), std::string::npos) << err;
    }
}

TEST_F(HeadlessWindow, MessageBoxHookScriptsTheAnswer)
{
    HWND owner = CreateShown();
    std::wstring seenText;
    UINT seenType = 0;
    HWND seenOwner = nullptr;
    Win32SetMessageBoxHook([&](HWND o, LPCWSTR text, LPCWSTR, UINT type) {
        seenOwner = o;
        seenText = text;
        seenType = type;
        return IDYES;
    });
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(GetForegroundWindow(), L"Do you want to debug the application?",
                          L"Unexpected error encountered", MB_ICONERROR | MB_YESNO),
              IDYES);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Unexpected error encountered: Do you want"), std::string::npos);
    EXPECT_EQ(seenOwner, owner);
    EXPECT_EQ(seenText, L"Do you want to debug the application?");
    EXPECT_EQ(seenType, MB_ICONERROR | MB_YESNO);
}

}  // namespace

namespace {

// Run by the next test in a child process that has no display.
TEST(NoDisplay, DISABLED_ReportWhatAWindowAndABoxDo)
{
    ASSERT_TRUE(RegisterRecordingClass());
    HWND hwnd = CreateRecordingWindow(1280, 720);
    ShowWindow(hwnd, SW_SHOW);
    const int answer = MessageBoxW(hwnd, L"question", L"caption", MB_YESNO);
    std::printf("RESULT display=%d window=%d sdl=%d answer=%d\n", Win32HasDisplay() ? 1 : 0, IsWindow(hwnd),
                Win32GetSdlWindow(hwnd) != nullptr ? 1 : 0, answer);
    Win32Shutdown();
}

// Both with the window system asked for by name, which then fails, and with none asked for and a
// DISPLAY that names no server: SDL would fall back to a driver whose windows nobody sees, and the
// show would play unseen without a word.
TEST(NoDisplay, WindowsBecomeHeadlessAndBoxesDoNotWait)
{
    std::string self(4096, '\0');
    self.resize(static_cast<std::size_t>(std::max<ssize_t>(readlink("/proc/self/exe", self.data(), self.size()), 0)));
    for (const char* environment : {"env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11",
                                    "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:9997"}) {
        SCOPED_TRACE(environment);
        const std::string command = std::string(environment) + " timeout 20 " + self +
                                    " --gtest_also_run_disabled_tests"
                                    " --gtest_filter=NoDisplay.DISABLED_ReportWhatAWindowAndABoxDo 2>&1";
        std::string output;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[512];
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
                output += buffer;
            }
            pclose(pipe);
        }
        EXPECT_NE(output.find("RESULT display=0 window=1 sdl=0 answer=7"), std::string::npos) << output;
        EXPECT_NE(output.find("windows are headless"), std::string::npos) << output;
    }
}

}  // namespace
