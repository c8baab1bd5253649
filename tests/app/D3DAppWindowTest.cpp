// The pause rules in a real window on a private Xvfb, on the real clock: the X server's focus changes
// and unmaps (a minimize, without a window manager) pause the show, and the soundtrack, held by the
// audio device meanwhile, is where the timer is after every resume.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/D3DApp.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/win32/Win32Platform.h"
#include "tests/app/Soundtrack.h"
#include "tests/platform/win32/XServer.h"

// SDL's video subsystem connects to D-Bus, and libdbus keeps a buffer it never frees.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace {

using Clock = std::chrono::steady_clock;

class WindowApp : public D3DApp {
public:
    WindowApp() : D3DApp(nullptr)
    {
        clientWidth = 320;
        clientHeight = 240;
    }
    ~WindowApp() override { UnregisterClassW(L"D3DWndClassName", nullptr); }
    void UpdateFrame(float) override {}
    void RenderFrame() override {}
    FrameTimer& Timer() { return timer; }
    bool Paused() const { return appPaused; }
    void SetSoundtrack(const wchar_t* device) { soundtrack = device; }
};

void PumpFor(std::chrono::milliseconds span)
{
    const auto end = Clock::now() + span;
    PumpUntil([end] { return Clock::now() >= end; });
}

TEST(D3DAppWindow, FocusAndUnmapPauseTheMusicWithTheTimer)
{
    XServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    // SDL lets go of the X server before it stops, however the test ends.
    const struct Stop {
        XServer& server;
        ~Stop()
        {
            Win32Shutdown();
            server.Stop();
        }
    } stop{server};
    ASSERT_TRUE(WriteSilentWav("d3dapp-window-track.wav", 120));
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string info = RunCommand("xwininfo -root");
    const std::size_t id = info.find("Window id: ") + 11;
    const std::string root = info.substr(id, info.find(' ', id) - id);
    {
        WindowApp app;
        ASSERT_TRUE(app.Initialize());
        const std::string window = std::to_string(X11WindowOf(Win32GetSdlWindow(app.MainWindow())));
        RunCommand("xdotool windowfocus --sync " + window);
        ASSERT_EQ(mciSendStringW(L"open d3dapp-window-track.wav type waveaudio alias track", nullptr, 0, nullptr), 0u);
        ASSERT_EQ(mciSendStringW(L"play track", nullptr, 0, nullptr), 0u);
        app.SetSoundtrack(L"track");
        app.Timer().Reset();
        const auto start = Clock::now();

        // Paused, both stand at the same millisecond; playing, the position has run on from the tick.
        auto expectInStep = [&](const std::string& when) {
            app.Timer().Tick();
            const long running = std::lround(app.Timer().TotalTime() * 1000.0);
            const long position = TrackPosition(L"track");
            EXPECT_EQ(TrackStatus(L"track", L"mode"), app.Paused() ? L"paused" : L"playing") << when;
            EXPECT_GE(position, running - 1) << when;
            EXPECT_LE(position, running + (app.Paused() ? 1 : 100)) << when;
        };
        const std::string focus = "windowfocus --sync " + window;
        const std::string restore = "windowmap --sync " + window + " " + focus;
        const std::pair<std::string, std::string> pauses[] = {{"windowfocus --sync " + root, focus},
                                                              {"windowunmap --sync " + window, restore},
                                                              {"windowfocus --sync " + root, focus},
                                                              {"windowunmap --sync " + window, restore}};
        for (const auto& [pause, resume] : pauses) {
            PumpFor(std::chrono::milliseconds(300));
            expectInStep("before " + pause);
            RunCommand("xdotool " + pause);
            ASSERT_TRUE(PumpUntil([&] { return app.Paused(); })) << pause;
            PumpFor(std::chrono::milliseconds(600));
            expectInStep("after " + pause);
            RunCommand("xdotool " + resume);
            ASSERT_TRUE(PumpUntil([&] { return !app.Paused(); })) << resume;
            expectInStep("after " + resume);
        }
        // Four pauses of at least 0.6 s each: the music and the timer both left them out.
        app.Timer().Tick();
        EXPECT_LT(app.Timer().TotalTime(), std::chrono::duration<double>(Clock::now() - start).count() - 2.35);
        MciShutdown();
    }
    std::remove("d3dapp-window-track.wav");
    EXPECT_EQ(D3D11LiveObjectCount(), 0);
}

}  // namespace
