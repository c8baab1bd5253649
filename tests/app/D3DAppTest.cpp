// The application frame against the headless platform: the message table's pause and resize
// rules, the soundtrack that pauses with the timer, the frame loop, the statistics title, and
// device creation and release.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/D3DApp.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/win32/PerformanceCounter.h"
#include "platform/win32/Win32Inject.h"
#include "platform/win32/Win32Platform.h"
#include "tests/app/Soundtrack.h"

namespace {

class TestApp : public D3DApp {
public:
    TestApp() : D3DApp(nullptr) {}
    ~TestApp() override { UnregisterClassW(L"D3DWndClassName", nullptr); }

    void HandleResize() override
    {
        D3DApp::HandleResize();
        ++resizeCount;
    }
    void UpdateFrame(float deltaTime) override
    {
        deltas.push_back(deltaTime);
        if (++frames == quitAfterFrames) {
            PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        }
    }
    void RenderFrame() override { ++rendered; }

    using D3DApp::CreateMainWindow;
    using D3DApp::UpdateFrameStats;
    FrameTimer& Timer() { return timer; }
    bool Paused() const { return appPaused; }
    int Width() const { return clientWidth; }
    int Height() const { return clientHeight; }
    void SetCaption(const wchar_t* caption) { mainWindowCaption = caption; }
    void SetSoundtrack(const wchar_t* device) { soundtrack = device; }
    ID3D11Device* Device() const { return device.Get(); }

    int resizeCount = 0;
    int frames = 0;
    int rendered = 0;
    int quitAfterFrames = -1;
    std::vector<float> deltas;
};

// Its third frame never returns, as a frame stuck in the driver does not.
class StuckApp : public TestApp {
public:
    StuckApp() { frameTimeLimit = std::chrono::milliseconds(200); }
    void RenderFrame() override
    {
        if (++rendered == 3) {
            std::this_thread::sleep_for(std::chrono::seconds(30));
        }
    }
};

std::wstring Title(HWND window)
{
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

class D3DAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Win32SetHeadless(true);
        InstallVirtualClock(&clock);
        Win32SetMessageBoxHook([this](HWND, LPCWSTR text, LPCWSTR, UINT) {
            boxes.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        Win32SetMessageBoxHook(nullptr);
        InstallVirtualClock(nullptr);
        Win32ResetInput();
        D3D11SetDeviceOptions({});
    }
    VirtualClock clock{1'000'000};
    std::vector<std::wstring> boxes;
};

TEST_F(D3DAppTest, DeactivationStopsTheTimerAndActivationResumesWithoutAJump)
{
    TestApp app;
    ASSERT_TRUE(app.CreateMainWindow());
    app.Timer().Reset();
    clock.AdvanceSeconds(1.0);
    app.Timer().Tick();

    app.HandleMessage(app.MainWindow(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(app.Paused());
    clock.AdvanceSeconds(5.0);
    app.Timer().Tick();
    EXPECT_FLOAT_EQ(app.Timer().TotalTime(), 1.0f);
    EXPECT_EQ(app.Timer().DeltaTime(), 0.0f);

    app.HandleMessage(app.MainWindow(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(app.Paused());
    clock.AdvanceSeconds(0.25);
    app.Timer().Tick();
    EXPECT_FLOAT_EQ(app.Timer().TotalTime(), 1.25f);
    EXPECT_FLOAT_EQ(app.Timer().DeltaTime(), 0.25f);
}

// Any order of deactivations, minimizes, restores, maximizes and drags: the show is paused exactly
// while the window is inactive, minimized or dragged (and says so when asked), and the soundtrack's
// position stays equal to the timer's running time, so picture and music never part.
TEST_F(D3DAppTest, MusicAndRunningTimeAgreeAfterAnyNumberOfPauses)
{
    ASSERT_TRUE(WriteSilentWav("d3dapp-pause-track.wav", 300));  // longer than the walk plays
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        TestApp app;
        ASSERT_TRUE(app.Initialize());
        ASSERT_EQ(mciSendStringW(L"open d3dapp-pause-track.wav type waveaudio alias track", nullptr, 0, nullptr), 0u);
        ASSERT_EQ(mciSendStringW(L"play track", nullptr, 0, nullptr), 0u);
        app.SetSoundtrack(L"track");
        app.Timer().Reset();
        const std::pair<UINT, WPARAM> events[] = {{WM_ACTIVATE, WA_INACTIVE},    {WM_ACTIVATE, WA_ACTIVE},
                                                  {WM_ACTIVATE, WA_CLICKACTIVE}, {WM_SIZE, SIZE_MINIMIZED},
                                                  {WM_SIZE, SIZE_RESTORED},      {WM_SIZE, SIZE_MAXIMIZED},
                                                  {WM_ENTERSIZEMOVE, 0},         {WM_EXITSIZEMOVE, 0}};
        bool inactive = false, minimized = false, dragged = false;
        int pauses = 0;
        std::mt19937 random(15);
        for (int step = 0; step < 400; ++step) {
            const auto [message, wParam] = events[random() % std::size(events)];
            const bool wasPaused = app.Paused();
            app.HandleMessage(app.MainWindow(), message, wParam, MAKELPARAM(320 + step % 7, 240));
            inactive = message == WM_ACTIVATE ? wParam == WA_INACTIVE : inactive;
            minimized = message == WM_SIZE ? wParam == SIZE_MINIMIZED : minimized;
            dragged = message == WM_ENTERSIZEMOVE || message == WM_EXITSIZEMOVE ? message == WM_ENTERSIZEMOVE : dragged;
            pauses += !wasPaused && app.Paused();
            ASSERT_EQ(app.Paused(), inactive || minimized || dragged) << "step " << step;
            const std::string state = app.DescribeState();
            ASSERT_EQ(state.find("inactive") != std::string::npos, inactive) << state;
            ASSERT_EQ(state.find("minimized") != std::string::npos, minimized) << state;
            ASSERT_EQ(state.find("being dragged") != std::string::npos, dragged) << state;

            clock.AdvanceMilliseconds(1 + random() % 700);
            app.Timer().Tick();
            ASSERT_NEAR(TrackPosition(L"track"), std::lround(app.Timer().TotalTime() * 1000.0), 1) << "step " << step;
            ASSERT_EQ(TrackStatus(L"track", L"mode"), app.Paused() ? L"paused" : L"playing") << "step " << step;
        }
        EXPECT_GE(pauses, 40) << "the walk must pause and resume many times";
        MciShutdown();
    }
    std::remove("d3dapp-pause-track.wav");
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST_F(D3DAppTest, SizeMessagesBeforeTheDeviceOnlyRecordTheClientSize)
{
    TestApp app;
    ASSERT_TRUE(app.CreateMainWindow());
    EXPECT_EQ(app.Width(), 1280);
    EXPECT_EQ(app.Height(), 720);
    app.HandleMessage(app.MainWindow(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    EXPECT_FALSE(app.Paused());
    app.HandleMessage(app.MainWindow(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
    EXPECT_EQ(app.Width(), 640);
    EXPECT_EQ(app.Height(), 480);
    EXPECT_EQ(app.resizeCount, 0);
}

TEST_F(D3DAppTest, MessageTableAnswers)
{
    TestApp app;
    ASSERT_TRUE(app.CreateMainWindow());
    MINMAXINFO info{};
    EXPECT_EQ(app.HandleMessage(app.MainWindow(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, 200);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
    EXPECT_EQ(app.HandleMessage(app.MainWindow(), WM_MENUCHAR, 0, 0), 0x10000);
}

TEST_F(D3DAppTest, TitleShowsCaptionFpsAndFrameTimeOncePerSecond)
{
    TestApp app;
    ASSERT_TRUE(app.CreateMainWindow());
    app.SetCaption(L"Caption");
    app.Timer().Reset();
    for (int frame = 0; frame < 60; ++frame) {
        clock.Advance(1'000'000 / 60 + 1);
        app.Timer().Tick();
        app.UpdateFrameStats();
    }
    EXPECT_EQ(Title(app.MainWindow()), L"Caption    FPS: 60    Frame Time: 16.6667 (ms)");
}

TEST_F(D3DAppTest, TitleCatchesUpAfterAStallOneSecondAtATime)
{
    TestApp app;
    ASSERT_TRUE(app.CreateMainWindow());
    app.SetCaption(L"C");
    app.Timer().Reset();

    // The statistics live for the whole process, so an earlier test may have moved the time of
    // the last update on by a second or two; a long stall makes that irrelevant.
    clock.AdvanceSeconds(10.5);
    app.Timer().Tick();
    std::vector<bool> updated;
    for (int frame = 0; frame < 12; ++frame) {
        SetWindowTextW(app.MainWindow(), L"none");
        app.UpdateFrameStats();
        const std::wstring title = Title(app.MainWindow());
        updated.push_back(title != L"none");
        if (updated.back()) {
            EXPECT_EQ(title, L"C    FPS: 1    Frame Time: 1000 (ms)");
        }
    }
    // Several consecutive updates (the last update time moves by exactly one second each), then none.
    std::size_t run = 0;
    while (run < updated.size() && updated[run])
        ++run;
    EXPECT_GE(run, 8u);
    for (std::size_t i = run; i < updated.size(); ++i)
        EXPECT_FALSE(updated[i]) << i;
}

TEST_F(D3DAppTest, DeviceComesWithOneResizeAndEveryMinimizeRestoreMaximizeFollowsTheRules)
{
    {
        TestApp app;
        ASSERT_TRUE(app.Initialize()) << (boxes.empty() ? std::string() : NarrowFromWide(boxes.front()));
        ASSERT_NE(app.Device(), nullptr);
        EXPECT_EQ(app.resizeCount, 1);
        const HWND window = app.MainWindow();

        app.Timer().Reset();
        app.HandleMessage(window, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
        EXPECT_TRUE(app.Paused());
        EXPECT_EQ(app.resizeCount, 1);
        clock.AdvanceSeconds(4.0);
        app.Timer().Tick();
        EXPECT_EQ(app.Timer().TotalTime(), 0.0f) << "a minimized show's timer stands still";
        app.HandleMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 600));
        EXPECT_FALSE(app.Paused());
        EXPECT_EQ(app.resizeCount, 2);

        app.HandleMessage(window, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(1920, 1080));
        EXPECT_EQ(app.resizeCount, 3);
        app.HandleMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1000, 500));
        EXPECT_EQ(app.resizeCount, 4);

        // A drag resizes once, at its end, and the timer stands still during it.
        app.HandleMessage(window, WM_ENTERSIZEMOVE, 0, 0);
        app.HandleMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(900, 500));
        app.HandleMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(700, 400));
        EXPECT_EQ(app.resizeCount, 4);
        EXPECT_TRUE(app.Paused());
        app.HandleMessage(window, WM_EXITSIZEMOVE, 0, 0);
        EXPECT_EQ(app.resizeCount, 5);
        EXPECT_FALSE(app.Paused());
        EXPECT_FLOAT_EQ(app.AspectRatio(), 700.0f / 400.0f);
        EXPECT_TRUE(boxes.empty());
    }
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST_F(D3DAppTest, FrameLoopDrainsMessagesThenRunsFramesUntilTheQuitMessage)
{
    {
        TestApp app;
        ASSERT_TRUE(app.Initialize());
        app.quitAfterFrames = 5;
        EXPECT_EQ(app.Run(), 0);
        EXPECT_EQ(app.frames, 5);
        EXPECT_EQ(app.rendered, 5);
        EXPECT_FALSE(IsWindow(app.MainWindow()));
    }
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

TEST_F(D3DAppTest, AFrameStuckPastTheLimitEndsTheProgramNamingTheFrame)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            StuckApp app;
            if (!app.Initialize()) {
                std::_Exit(3);
            }
            app.Run();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(1), "frame 2 \\(0.000 s into the run\\) has not finished after 0.2 s");
}

TEST_F(D3DAppTest, ALesserDeviceIsRefusedWithItsMessage)
{
    D3D11DeviceOptions options;
    options.glVersionCap = 33;
    D3D11SetDeviceOptions(options);
    {
        TestApp app;
        EXPECT_FALSE(app.Initialize());
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"Direct3D Feature Level 11 unsupported.");
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

}  // namespace
