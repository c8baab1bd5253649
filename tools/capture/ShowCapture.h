#pragma once
// Drives the show headless on a virtual clock and hands over the frames it presents: either the
// frames at chosen running times, or every frame at a fixed rate. The show itself runs unchanged;
// this only decides when its clock moves and reads the back buffer after each presented frame.
#include <functional>
#include <string>
#include <vector>

#include "tools/capture/FrameImage.h"

struct CaptureRequest {
    // Running times (seconds) of the frames wanted, ascending. Empty: every frame at framesPerSecond
    // until the show closes itself.
    std::vector<double> times;
    double framesPerSecond = 30.0;
    // Client size to render at; 0 keeps the show's own 1280x720. Applied as a window resize before
    // the first frame, as a user resizing the window would.
    int width = 0;
    int height = 0;
    // Seconds one frame may take before the capture gives up on a stuck renderer and ends the
    // process with status 1, naming the frame; 0 turns the watchdog off.
    double frameTimeLimit = 60.0;
};

struct CapturedFrame {
    int index = 0;      // 0-based among the frames handed over
    double time = 0.0;  // running time the frame shows, seconds
    float beat = 0.0f;  // the show's beat at that frame
    const RgbaImage* image = nullptr;
};

// Returns false to stop the capture early (the show is asked to close).
using FrameSink = std::function<bool(const CapturedFrame& frame)>;

struct CaptureResult {
    bool started = false;  // the show initialised
    int exitCode = 0;      // the frame loop's exit code
    int framesDelivered = 0;
    long liveObjectsAfter = 0;  // device objects alive once the show was destroyed
    std::string platform;       // where the GL context came from (D3D11ContextPlatform)
    std::string error;
};

// Makes windows headless (needs to run before any window exists in the process) and runs the whole
// show once. The working directory must hold Res/ with the assets; the effect files are read from
// the executable's folder.
CaptureResult CaptureShow(const CaptureRequest& request, const FrameSink& sink);

// Seconds of the show's running time at a beat.
double BeatTime(double beat);
