// Start-up time to the first frame and the median frame time of each scene, headless at 1280x720.
// Each measured frame is update + render + present + a read-back of the back buffer, so the GPU
// work is finished inside the measurement (the capture tool pays the same read-back).
//   show_bench [FRAMES_PER_SCENE]      (run with LP_NUM_THREADS set; the working folder is set here)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "effects/EffectPaths.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/media/Mci.h"
#include "platform/win32/PerformanceCounter.h"
#include "platform/win32/Win32Platform.h"
#include "show/BoxApp.h"
#include "tools/capture/ShowCapture.h"

namespace {

using Clock = std::chrono::steady_clock;

std::wstring BenchExecutablePath()
{
    return WideFromNarrow(SHOW_BIN_DIR "/vexa-rhino");
}

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void FinishFrame(BoxApp& app)
{
    ID3D11Texture2D* backBuffer = nullptr;
    app.SwapChain()->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&backBuffer));
    std::vector<std::uint8_t> pixels;
    if (backBuffer) {
        D3D11ReadTexture(backBuffer, 0, 0, pixels);
        backBuffer->Release();
    }
}

double MedianFrameMs(BoxApp& app, double firstBeat, double lastBeat, int frames)
{
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const double beat = firstBeat + (lastBeat - firstBeat) * i / std::max(1, frames - 1);
        const auto start = Clock::now();
        app.UpdateAt(static_cast<float>(BeatTime(beat)));
        app.RenderFrame();
        FinishFrame(app);
        times.push_back(Milliseconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SetExecutablePathSource(&BenchExecutablePath);
    if (chdir(SHOW_BIN_DIR) != 0) {
        std::fprintf(stderr, "show_bench: cannot enter %s\n", SHOW_BIN_DIR);
        return 1;
    }
    Win32SetHeadless(true);
    const char* threads = std::getenv("LP_NUM_THREADS");
    {
        const auto start = Clock::now();
        BoxApp app(nullptr);
        if (!app.Initialize()) {
            std::fprintf(stderr, "show_bench: the show did not start\n");
            return 1;
        }
        app.UpdateAt(0.0f);
        app.RenderFrame();
        FinishFrame(app);
        const double startup = Milliseconds(Clock::now() - start);

        const double first = MedianFrameMs(app, 1.0, 47.0, frames);
        const double second = MedianFrameMs(app, 49.0, 111.0, frames);
        std::printf("LP_NUM_THREADS=%s, %dx%d, %d frames per scene\n", threads ? threads : "(unset)",
                    app.ClientWidth(), app.ClientHeight(), frames);
        std::printf("start-up to first frame: %.0f ms\n", startup);
        std::printf("first scene median frame:  %.1f ms\n", first);
        std::printf("second scene median frame: %.1f ms\n", second);
    }
    MciShutdown();
    Win32Shutdown();
    return 0;
}
