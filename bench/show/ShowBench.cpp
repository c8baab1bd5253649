// Start-up time to the first frame and the median frame time of each scene, headless at 1280x720.
// Each measured frame is update + render + present + a read-back of the back buffer, so the GPU
// work is finished inside the measurement (the capture tool pays the same read-back). Also prints
// the GL calls the layer issued per frame of each scene, and the GPU time of each pass of one frame
// per scene (timestamp queries around the show's annotated passes).
//
// With --pipelined the frames are not read back one by one: each ends with its present, one
// read-back ends the scene, and the figure is the scene's time over its frames. That is what a
// replay of the same GL calls does (the replayer skips read-backs), so frames may overlap in the
// driver there too.
//   show_bench [--pipelined] [FRAMES_PER_SCENE]   (run with LP_NUM_THREADS set; the working folder is set here)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effects/EffectPaths.h"
#include "platform/d3d11/ComPtr.h"
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
    ComPtr<ID3D11Texture2D> backBuffer;
    app.SwapChain()->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(backBuffer.Put()));
    std::vector<std::uint8_t> pixels;
    if (backBuffer) {
        D3D11ReadTexture(backBuffer.Get(), 0, 0, pixels);
    }
}

struct SceneTimes {
    double medianMs = 0.0;
    double meanMs = 0.0;
    double readBackMedianMs = 0.0;
    double glCallsPerFrame = 0.0;
};

SceneTimes MeasureScene(BoxApp& app, double firstBeat, double lastBeat, int frames, bool pipelined)
{
    std::vector<double> times;
    std::vector<double> readBacks;
    const std::uint64_t callsBefore = D3D11GLCallCount(app.Context());
    const auto sceneStart = Clock::now();
    for (int i = 0; i < frames; ++i) {
        const double beat = firstBeat + (lastBeat - firstBeat) * i / std::max(1, frames - 1);
        const auto start = Clock::now();
        app.UpdateAt(static_cast<float>(BeatTime(beat)));
        app.RenderFrame();
        if (pipelined) {
            continue;
        }
        const auto readBackStart = Clock::now();
        FinishFrame(app);
        const auto end = Clock::now();
        times.push_back(Milliseconds(end - start));
        readBacks.push_back(Milliseconds(end - readBackStart));
    }
    SceneTimes scene;
    if (pipelined) {
        FinishFrame(app);  // waits for every frame of the scene
        scene.meanMs = Milliseconds(Clock::now() - sceneStart) / frames;
    } else {
        std::sort(times.begin(), times.end());
        std::sort(readBacks.begin(), readBacks.end());
        scene.medianMs = times[times.size() / 2];
        scene.readBackMedianMs = readBacks[readBacks.size() / 2];
    }
    scene.glCallsPerFrame = double(D3D11GLCallCount(app.Context()) - callsBefore) / frames;
    return scene;
}

// One frame at the beat, its passes timed on the GPU: "<scene> scene GPU time per pass (ms, beat 24):
// sheep 1.20 / text 0.31 / ... (12.30 in all)", a group inside another after " > ".
std::string PassTimes(BoxApp& app, const char* scene, double beat)
{
    D3D11BeginPassTiming(app.Context());
    app.UpdateAt(static_cast<float>(BeatTime(beat)));
    app.RenderFrame();
    const std::vector<D3D11PassTime> times = D3D11EndPassTiming(app.Context());
    char text[128];
    std::snprintf(text, sizeof text, "%s scene GPU time per pass (ms, beat %.0f):", scene, beat);
    std::string line = text;
    double total = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        std::snprintf(text, sizeof text, "%s%s %.2f", i == 0 ? " " : (times[i].depth > 0 ? " > " : " / "),
                      times[i].name.c_str(), times[i].milliseconds);
        line += text;
        if (times[i].depth == 0) {
            total += times[i].milliseconds;
        }
    }
    std::snprintf(text, sizeof text, " (%.2f in all)", total);
    return line + text;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool pipelined = argc > 1 && std::strcmp(argv[1], "--pipelined") == 0;
    const int framesArg = pipelined ? 2 : 1;
    const int frames = argc > framesArg ? std::max(1, std::atoi(argv[framesArg])) : 30;
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
        const auto firstFrame = Clock::now();
        app.UpdateAt(0.0f);
        app.RenderFrame();
        FinishFrame(app);
        const auto end = Clock::now();
        const double startup = Milliseconds(end - start);
        const double firstFrameMs = Milliseconds(end - firstFrame);

        // The passes of one frame of each scene are timed after its measured frames, so that the
        // queries cost those nothing; the show only moves forward through its scenes.
        const SceneTimes first = MeasureScene(app, 1.0, 47.0, frames, pipelined);
        const std::string firstPasses = PassTimes(app, "first", 24.0);
        const SceneTimes second = MeasureScene(app, 49.0, 111.0, frames, pipelined);
        const std::string secondPasses = PassTimes(app, "second", 80.0);
        std::printf("LP_NUM_THREADS=%s, %dx%d, %d frames per scene\n", threads ? threads : "(unset)", app.ClientWidth(),
                    app.ClientHeight(), frames);
        std::printf("start-up to first frame: %.0f ms\n", startup);
        // What the first frame costs beyond a later one is work left for the first draws.
        std::printf("first frame alone: %.1f ms\n", firstFrameMs);
        if (pipelined) {
            std::printf("first scene mean frame, pipelined:  %.1f ms\n", first.meanMs);
            std::printf("second scene mean frame, pipelined: %.1f ms\n", second.meanMs);
        } else {
            std::printf("first scene median frame:  %.1f ms\n", first.medianMs);
            std::printf("second scene median frame: %.1f ms\n", second.medianMs);
            // The read-back's share: with the GPU work discarded it is pure copying, which a replay
            // of the trace skips (replayers do not run glGet* calls).
            std::printf("first scene median read-back:  %.2f ms\n", first.readBackMedianMs);
            std::printf("second scene median read-back: %.2f ms\n", second.readBackMedianMs);
        }
        // SHOW_GL_STATE_CACHE=0 re-issues every state; the difference is what the cache saves.
        std::printf("first scene GL calls per frame:  %.0f\n", first.glCallsPerFrame);
        std::printf("second scene GL calls per frame: %.0f\n", second.glCallsPerFrame);
        std::printf("%s\n%s\n", firstPasses.c_str(), secondPasses.c_str());
    }
    MciShutdown();
    Win32Shutdown();
    return 0;
}
