#include "tools/capture/ShowCapture.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <new>

#include "platform/d3d11/ComPtr.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/media/Mci.h"
#include "platform/win32/PerformanceCounter.h"
#include "platform/win32/Win32Inject.h"
#include "platform/win32/Win32Platform.h"
#include "show/BoxApp.h"
#include "show/ShowScript.h"

namespace {

constexpr std::int64_t kClockFrequency = 10'000'000;

// The show, with its frame clock under the capture's control.
class CapturingApp : public BoxApp {
public:
    CapturingApp(VirtualClock& clock, const CaptureRequest& request, const FrameSink& sink)
        : BoxApp(nullptr),
          clock(clock),
          request(request),
          sink(sink)
    {
        frameTimeLimit = std::chrono::duration<double>(request.frameTimeLimit);
    }

    int delivered = 0;

    void RenderFrame() override
    {
        BoxApp::RenderFrame();
        if (stopped) {
            return;
        }
        // The running time the show saw: paused spans are not in it.
        const double now = timer.TotalTime();

        bool wanted = request.times.empty();
        if (!request.times.empty() && nextTime < request.times.size() && frameIsAtTarget) {
            wanted = true;
        }
        if (wanted && !Deliver(now)) {
            Stop();
            return;
        }

        if (request.times.empty()) {
            AdvanceTo(now, static_cast<double>(delivered) / request.framesPerSecond);
            return;
        }
        if (frameIsAtTarget) {
            ++nextTime;
        }
        if (nextTime >= request.times.size()) {
            Stop();
            return;
        }
        // Jump straight to the next wanted time; the show is a function of the running time.
        AdvanceTo(now, request.times[nextTime]);
        frameIsAtTarget = true;
    }

private:
    bool Deliver(double now)
    {
        RgbaImage image;
        ComPtr<ID3D11Texture2D> backBuffer;
        SwapChain()->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(backBuffer.Put()));
        if (backBuffer) {
            try {
                D3D11ReadTexture(backBuffer.Get(), 0, 0, image.pixels);
            } catch (const std::bad_alloc&) {
                // Delivering fewer frames than asked for is the capture's failure.
                std::cerr << "vexa-rhino-capture: out of memory reading frame " << delivered << " (beat "
                          << State().beat << ") back from the renderer\n";
                return false;
            }
            D3D11_TEXTURE2D_DESC desc{};
            backBuffer->GetDesc(&desc);
            image.width = static_cast<int>(desc.Width);
            image.height = static_cast<int>(desc.Height);
        }
        MakeOpaque(image);
        CapturedFrame frame;
        frame.index = delivered++;
        frame.time = now;
        frame.beat = State().beat;
        frame.image = &image;
        // The sink's time is not the renderer's: a slow disk or encoder has deadlines of its own,
        // and the watchdog's message would blame the graphics driver.
        frameWatchdog.FrameEnded();
        const bool more = sink(frame);
        frameWatchdog.FrameBegun(now);
        return more;
    }

    void AdvanceTo(double now, double seconds)
    {
        const auto ticks = static_cast<std::int64_t>(std::llround((seconds - now) * kClockFrequency));
        if (ticks > 0) {
            clock.Advance(ticks);
        }
    }

    void Stop()
    {
        stopped = true;
        PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    }

    VirtualClock& clock;
    const CaptureRequest& request;
    const FrameSink& sink;
    bool stopped = false;
    bool frameIsAtTarget = false;
    size_t nextTime = 0;
};

}  // namespace

double BeatTime(double beat)
{
    return beat * static_cast<double>(kBeatSeconds);
}

CaptureResult CaptureShow(const CaptureRequest& request, const FrameSink& sink)
{
    CaptureResult result;
    Win32SetHeadless(true);
    VirtualClock clock(kClockFrequency);
    InstallVirtualClock(&clock);
    {
        alignas(16) CapturingApp app(clock, request, sink);
        result.started = app.Initialize();
        if (result.started && request.width > 0 && request.height > 0) {
            Win32InjectSize(app.MainWindow(), SIZE_RESTORED, request.width, request.height);
            // The window keeps its minimum size, as on Windows; frames of another size than asked
            // would be a silent surprise.
            RECT client{};
            GetClientRect(app.MainWindow(), &client);
            if (client.right != request.width || client.bottom != request.height) {
                result.started = false;
                result.error = "cannot render at " + std::to_string(request.width) + "x" +
                               std::to_string(request.height) + ": the window keeps a minimum size and became " +
                               std::to_string(client.right) + "x" + std::to_string(client.bottom);
            }
        }
        if (result.started) {
            result.platform = D3D11ContextPlatform(app.Context());
            result.exitCode = app.Run();
        } else if (result.error.empty()) {
            result.error = app.StartupError().empty() ? "the show could not start" : app.StartupError();
        }
        result.framesDelivered = app.delivered;
    }
    InstallVirtualClock(nullptr);
    // Leaves the process as it found it, so another capture can follow.
    MciShutdown();
    Win32Shutdown();
    result.liveObjectsAfter = D3D11LiveObjectCount();
    return result;
}
