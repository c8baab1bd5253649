// vexa-rhino-capture: renders the show headless and writes PNG frames at chosen beats or the whole
// show as an MP4 with its soundtrack. The assets come from Res/ in the working directory, or else
// from Res/ beside the executable (the build's bin folder); paths given on the command line are
// taken relative to the working directory it was started in.
//
//   --beats 8,24,40 --out DIR [--size WxH]   one PNG per beat: DIR/beat-008.png ..., downscaled to
//                                            WxH when given
//   --mp4 FILE [--fps N]                     every frame, through ffmpeg (Mp4Encoder)
//   --discard [--fps N]                      every frame rendered and read back, then dropped;
//                                            reports the slowest (a hang check)
//   --render WxH                             renders at that client size (all modes)
//   --frame-timeout SECONDS                  a frame that takes longer ends the capture with status
//                                            1, naming it (default 60; 0: never)
//   --help, -h / --version                   usage / version on standard output
// Ctrl+C (or SIGTERM) stops after the current frame; the MP4 written so far stays playable. A second
// one ends the process at once, for a frame that does not finish.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "assets/SceneContent.h"
#include "assets/WholeFile.h"
#include "platform/d3d11/Diagnostics.h"
#include "show/ProcessLimits.h"
#include "show/ResourceFolder.h"
#include "show/ShowHelp.h"
#include "show/ShowScript.h"
#include "tools/capture/FrameImage.h"
#include "tools/capture/Mp4Encoder.h"
#include "tools/capture/ShowCapture.h"

namespace {

struct Options {
    std::vector<double> beats;
    std::string outDir;
    std::string mp4Path;
    bool discard = false;
    double fps = 30.0;
    double frameTimeLimit = 60.0;
    int pngWidth = 0;  // 0: full size
    int pngHeight = 0;
    int renderWidth = 0;  // 0: the show's own size
    int renderHeight = 0;
};

// The signal that asked for a stop (SIGINT or SIGTERM), 0 while none has.
volatile std::sig_atomic_t interrupted = 0;

// The running encoder and its temporary file, for the handler below (which may only read them).
volatile pid_t encoderPid = -1;
char encoderTemporary[4096];

void PublishEncoder(const Mp4Encoder& encoder)
{
    encoderPid = -1;
    const std::string& path = encoder.TemporaryPath();
    const std::size_t length = std::min(path.size(), sizeof encoderTemporary - 1);
    std::memcpy(encoderTemporary, path.data(), length);
    encoderTemporary[length] = '\0';
    encoderPid = encoder.EncoderPid();
}

// The first signal asks for a stop after the current frame; a second one ends the process at once,
// since a frame stuck in the driver never reaches the check between frames. The encoder goes with
// it, and its unfinished file.
void OnInterrupt(int signal)
{
    if (interrupted) {
        static const char message[] = "vexa-rhino-capture: interrupted again; ending now";
        static const char noMp4[] = ", no MP4 written";
        (void)!::write(STDERR_FILENO, message, sizeof message - 1);
        if (encoderPid > 0) {
            (void)!::write(STDERR_FILENO, noMp4, sizeof noMp4 - 1);
            kill(encoderPid, SIGKILL);
            if (encoderTemporary[0] != '\0') {
                unlink(encoderTemporary);
            }
        }
        (void)!::write(STDERR_FILENO, "\n", 1);
        _exit(128 + signal);
    }
    interrupted = signal;
}

// The status of a capture a signal stopped, as a shell gives a process the signal ended: never 0,
// since frames are missing.
int InterruptedStatus()
{
    return 128 + interrupted;
}

const char* InterruptName()
{
    return interrupted == SIGINT ? "SIGINT" : "SIGTERM";
}

// The installed name: "capture" alone would clash with other packages.
constexpr const char* kProgram = "vexa-rhino-capture";

// --help: the manual page is made from it.
constexpr const char* kUsageHead =
    "Usage: vexa-rhino-capture --beats B1,B2,... --out DIR [--size WxH] [--render WxH] [--frame-timeout S]\n"
    "  or:  vexa-rhino-capture --mp4 FILE [--fps N] [--render WxH] [--frame-timeout S]\n"
    "  or:  vexa-rhino-capture --discard [--fps N] [--render WxH] [--frame-timeout S]\n"
    "  or:  vexa-rhino-capture --help | --version\n"
    "Renders the Vexa Rhino show headless: PNG frames at chosen beats (DIR/beat-008.png, ...), the\n"
    "whole show as an MP4 with its soundtrack (through ffmpeg), or every frame dropped (a hang check).\n"
    "Progress is shown only when standard error is a terminal. Ctrl+C stops after the current frame.\n"
    "Exit status: 0 when every frame was written, 1 when the capture failed, 2 for a command line it\n"
    "does not take, 130 or 143 when Ctrl+C or SIGTERM stopped it before the last frame.\n"
    "\n"
    "Options:\n"
    "  --beats B1,B2,...    ascending beats from 0 to below 112 (fractions allowed)\n"
    "  --out DIR            folder for the PNG frames (made when missing)\n"
    "  --size WxH           downscale the PNG frames to WxH\n"
    "  --mp4 FILE           write the whole show to FILE\n"
    "  --discard            render every frame and drop it; print the slowest\n"
    "  --fps N              frames per second of the show's clock for --mp4 and --discard (default 30)\n"
    "  --render WxH         render at that client size (default 1280x720; at least the window's\n"
    "                       minimum, 184x161; even for --mp4)\n"
    "  --frame-timeout S    a frame that takes longer ends the capture with status 1 (default 60; 0: never)\n"
    "  -h, --help           print this help and exit\n"
    "  --version            print the version and exit\n"
    "\n";

// The files only this program writes, after the shared ones.
constexpr const char* kUsageFiles =
    "  DIR/beat-008.png  a frame (beat-008.500.png for a fraction), written whole: a temporary, then a rename\n"
    "  FILE  the MP4, written by ffmpeg\n";

const std::string kUsage = std::string(kUsageHead) + kShowEnvironmentHelp + "\n" + kShowFilesHelp + kUsageFiles;

bool ParseBeats(const std::string& text, std::vector<double>& beats)
{
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        char* end = nullptr;
        errno = 0;
        const double beat = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || errno != 0 || !(beat >= 0.0) || beat >= kShowEndBeat) {
            std::cerr << "vexa-rhino-capture: bad beat \"" << item << "\" (beats run from 0 to below " << kShowEndBeat
                      << ")\n";
            return false;
        }
        if (!beats.empty() && beat <= beats.back()) {
            std::cerr << "vexa-rhino-capture: beats must ascend (\"" << item << "\")\n";
            return false;
        }
        beats.push_back(beat);
    }
    return !beats.empty();
}

// WIDTHxHEIGHT in decimal digits and nothing else ("1280x720x3" and "+5x5" are not sizes).
bool ParseSize(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    const auto digits = [](const std::string& part) {
        return !part.empty() && part.size() <= 5 &&
               std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (x == std::string::npos || !digits(text.substr(0, x)) || !digits(text.substr(x + 1))) {
        return false;
    }
    width = std::stoi(text.substr(0, x));
    height = std::stoi(text.substr(x + 1));
    return true;
}

// -1 when the capture is to run; otherwise the status to exit with (0 after --help or --version,
// 2 for a command line it cannot use, with the reason and the usage on standard error).
int ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (const int status = AnswerStandardOption(arg, kProgram, kUsage); status >= 0) {
            return status;
        }
        const bool hasValue = i + 1 < argc;
        if (arg == "--beats" && hasValue) {
            if (!ParseBeats(argv[++i], options.beats)) {
                return UsageError(kProgram, "", kUsage);
            }
        } else if (arg == "--out" && hasValue) {
            options.outDir = argv[++i];
        } else if (arg == "--mp4" && hasValue) {
            options.mp4Path = argv[++i];
        } else if (arg == "--discard") {
            options.discard = true;
        } else if (arg == "--frame-timeout" && hasValue) {
            char* end = nullptr;
            options.frameTimeLimit = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(options.frameTimeLimit >= 0.0 && options.frameTimeLimit <= 86400.0)) {
                return UsageError(kProgram, "--frame-timeout takes seconds from 0 (never) to 86400", kUsage);
            }
        } else if (arg == "--fps" && hasValue) {
            char* end = nullptr;
            options.fps = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(options.fps >= 1.0 && options.fps <= 240.0)) {
                return UsageError(kProgram, "--fps takes a rate from 1 to 240", kUsage);
            }
        } else if ((arg == "--size" || arg == "--render") && hasValue) {
            int& width = arg == "--size" ? options.pngWidth : options.renderWidth;
            int& height = arg == "--size" ? options.pngHeight : options.renderHeight;
            // A sane upper bound for one texture; --render below the window's minimum is refused once
            // the window says what that is.
            if (!ParseSize(argv[++i], width, height) || width < 16 || height < 16 || width > 8192 || height > 8192) {
                return UsageError(kProgram, arg + " takes WIDTHxHEIGHT, each from 16 to 8192", kUsage);
            }
        } else if (IsOption(arg)) {
            const bool known = arg == "--beats" || arg == "--out" || arg == "--mp4" || arg == "--frame-timeout" ||
                               arg == "--fps" || arg == "--size" || arg == "--render";
            const std::string problem = known ? "option \"" + arg + "\" needs a value"
                                              : "unknown option \"" + arg + "\"";
            return UsageError(kProgram, problem, kUsage);
        } else {
            return UsageError(kProgram, "unexpected argument \"" + arg + "\"", kUsage);
        }
    }
    const bool pngMode = !options.beats.empty() || !options.outDir.empty();
    const bool mp4Mode = !options.mp4Path.empty();
    if (int(pngMode) + int(mp4Mode) + int(options.discard) != 1 ||
        (pngMode && (options.beats.empty() || options.outDir.empty()))) {
        return UsageError(kProgram, "choose one of --beats with --out, --mp4 or --discard", kUsage);
    }
    if (mp4Mode && (options.renderWidth % 2 != 0 || options.renderHeight % 2 != 0)) {
        return UsageError(kProgram, "--mp4 needs an even --render width and height (the video is 4:2:0)", kUsage);
    }
    return -1;
}

// Progress is a bar, shown only on a terminal (ProgressShown).
void ShowProgress(double fraction)
{
    if (!ProgressShown()) {
        return;
    }
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(fraction * kWidth + 0.5);
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################", kWidth - filled, "",
                 static_cast<int>(fraction * 100.0 + 0.5));
    std::fflush(stderr);
}

void EndProgress()
{
    if (ProgressShown()) {
        std::fputc('\n', stderr);
    }
}

// beat-008.png for a whole beat, beat-008.500.png for a fraction, with more decimals only where three
// would give two beats one name (8.0001 and 8.0002 are beat-008.0001.png and beat-008.0002.png).
std::string BeatFileName(double beat)
{
    char name[64];
    if (beat == static_cast<double>(static_cast<long>(beat))) {
        std::snprintf(name, sizeof name, "beat-%03ld.png", static_cast<long>(beat));
        return name;
    }
    for (int decimals = 3; decimals < 17; ++decimals) {
        std::snprintf(name, sizeof name, "%.*f", decimals, beat);
        if (std::strtod(name, nullptr) == beat) {
            break;
        }
    }
    const std::string digits = name;
    const std::size_t point = digits.find('.');
    std::snprintf(name, sizeof name, "beat-%03d%s.png", std::atoi(digits.c_str()), digits.c_str() + point);
    return name;
}

// Single quotes around a shell word, with embedded quotes escaped.
int CapturePngs(const Options& options)
{
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (ec) {
        // A link to a folder that is not there makes the system say "File exists"; say what it is.
        std::error_code linkError;
        const std::filesystem::path target = std::filesystem::read_symlink(options.outDir, linkError);
        const bool dangling = !linkError && !std::filesystem::exists(options.outDir, linkError);
        const std::string why = !dangling ? ec.message()
                                          : "it is a symbolic link to " + target.string() + ", which does not exist";
        std::cerr << "vexa-rhino-capture: cannot create " << options.outDir << ": " << why << "\n";
        return 1;
    }
    CaptureRequest request;
    request.width = options.renderWidth;
    request.height = options.renderHeight;
    request.frameTimeLimit = options.frameTimeLimit;
    for (double beat : options.beats) {
        request.times.push_back(BeatTime(beat));
    }
    bool writeFailed = false;
    std::size_t framesWritten = 0;
    const CaptureResult result = CaptureShow(request, [&](const CapturedFrame& frame) {
        if (interrupted) {
            return false;
        }
        const double beat = options.beats[static_cast<size_t>(frame.index)];
        const std::string path = (std::filesystem::path(options.outDir) / BeatFileName(beat)).string();
        std::string error;
        bool written = false;
        try {
            RgbaImage image = *frame.image;
            if (options.pngWidth > 0) {
                image = Downscale(image, options.pngWidth, options.pngHeight);
            }
            written = WritePng(path, image, &error);
        } catch (const std::bad_alloc&) {
            error = path + ": out of memory making the PNG";
        }
        if (!written) {
            std::cerr << "vexa-rhino-capture: " << error << "\n";
            writeFailed = true;
            return false;
        }
        std::cerr << path << "  (beat " << frame.beat << ")\n";
        ++framesWritten;
        return true;
    });
    if (!result.started) {
        std::cerr << "vexa-rhino-capture: " << result.error << "\n";
        return 1;
    }
    if (interrupted && framesWritten < options.beats.size()) {
        std::cerr << "vexa-rhino-capture: interrupted (" << InterruptName() << "); " << framesWritten << " of "
                  << options.beats.size() << " frames written; missing:";
        for (std::size_t i = framesWritten; i < options.beats.size(); ++i) {
            std::cerr << " " << BeatFileName(options.beats[i]);
        }
        std::cerr << "\n";
        return InterruptedStatus();
    }
    if (writeFailed || framesWritten != options.beats.size()) {
        return 1;
    }
    return 0;
}

int CaptureMp4(const Options& options)
{
    // Said before the show starts, not after it has been rendered in vain.
    if (std::string reason; !MayReplaceWhole(options.mp4Path, reason)) {
        std::cerr << "vexa-rhino-capture: " << options.mp4Path << ": cannot write: " << reason << "; no MP4 written\n";
        return 1;
    }
    // The encoder is started at the first frame, when the frame size is known.
    Mp4Encoder encoder;
    bool encoderStarted = false;
    std::string encoderError;
    const double showSeconds = BeatTime(kShowEndBeat);
    CaptureRequest request;
    request.framesPerSecond = options.fps;
    request.width = options.renderWidth;
    request.height = options.renderHeight;
    request.frameTimeLimit = options.frameTimeLimit;
    bool stopped = false;  // by a signal, before the show's end
    const CaptureResult result = CaptureShow(request, [&](const CapturedFrame& frame) {
        if (interrupted) {
            stopped = true;
            return false;
        }
        if (!encoderStarted) {
            Mp4Settings settings;
            settings.outputPath = options.mp4Path;
            if (std::filesystem::exists(kMusicFile)) {
                settings.musicPath = std::string(kMusicFile);
            }
            settings.width = frame.image->width;
            settings.height = frame.image->height;
            settings.framesPerSecond = options.fps;
            settings.deadlineSeconds = options.frameTimeLimit;
            if (!encoder.Start(settings, encoderError)) {
                return false;
            }
            encoderStarted = true;
            PublishEncoder(encoder);
        }
        if (!encoder.Write(frame.image->pixels, encoderError)) {
            return false;
        }
        ShowProgress(std::min(1.0, frame.time / showSeconds));
        return true;
    });
    EndProgress();
    // Ctrl+C ends the encoding in order too: what was rendered so far becomes the MP4.
    const bool finished = encoderError.empty() && encoderStarted && encoder.Finish(encoderError);
    PublishEncoder(encoder);
    if (!result.started) {
        std::cerr << "vexa-rhino-capture: " << result.error << "\n";
        return 1;
    }
    if (!finished) {
        const bool beforeFirstFrame = stopped && !encoderStarted;
        std::cerr << "vexa-rhino-capture: " << options.mp4Path << ": "
                  << (beforeFirstFrame ? "interrupted (" + std::string(InterruptName()) + ") before the first frame"
                      : encoderError.empty() ? std::string("no frame was rendered")
                                             : encoderError)
                  << "; no MP4 written\n";
        return beforeFirstFrame ? InterruptedStatus() : 1;
    }
    if (stopped) {
        std::cerr << "vexa-rhino-capture: interrupted (" << InterruptName() << "); " << options.mp4Path
                  << " holds the show's first " << encoder.FramesWritten()
                  << " frames, the rest of the show is missing\n";
        return InterruptedStatus();
    }
    std::cerr << "vexa-rhino-capture: " << encoder.FramesWritten() << " frames written to " << options.mp4Path << "\n";
    return result.framesDelivered == encoder.FramesWritten() ? 0 : 1;
}

// Every frame at the rate, read back and dropped. The time between two delivered frames is the
// whole frame: update, draws, and the read-back that waits for the renderer to finish them.
int CaptureDiscard(const Options& options)
{
    using Clock = std::chrono::steady_clock;
    CaptureRequest request;
    request.framesPerSecond = options.fps;
    request.width = options.renderWidth;
    request.height = options.renderHeight;
    request.frameTimeLimit = options.frameTimeLimit;
    const double showSeconds = BeatTime(kShowEndBeat);
    Clock::time_point last = Clock::now();
    double slowestSeconds = -1.0;
    int slowestIndex = 0;
    float slowestBeat = 0.0f;
    bool stopped = false;  // by a signal, before the show's end
    const CaptureResult result = CaptureShow(request, [&](const CapturedFrame& frame) {
        if (interrupted) {
            stopped = true;
            return false;
        }
        const Clock::time_point now = Clock::now();
        const double seconds = std::chrono::duration<double>(now - last).count();
        last = now;
        // The first frame carries the start-up.
        if (frame.index > 0 && seconds > slowestSeconds) {
            slowestSeconds = seconds;
            slowestIndex = frame.index;
            slowestBeat = frame.beat;
        }
        ShowProgress(std::min(1.0, frame.time / showSeconds));
        return true;
    });
    EndProgress();
    if (!result.started) {
        std::cerr << "vexa-rhino-capture: " << result.error << "\n";
        return 1;
    }
    if (stopped) {
        std::cerr << "vexa-rhino-capture: interrupted (" << InterruptName() << ") after " << result.framesDelivered
                  << " frames\n";
        return InterruptedStatus();
    }
    std::fprintf(stderr, "vexa-rhino-capture: %d frames rendered", result.framesDelivered);
    if (slowestSeconds >= 0.0) {
        std::fprintf(stderr, "; slowest: frame %d (beat %.3f), %.3f s", slowestIndex, slowestBeat, slowestSeconds);
    }
    std::fputc('\n', stderr);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const int status = ParseOptions(argc, argv, options); status >= 0) {
        return status;
    }
    // The output paths are the user's, relative to where capture was started; the assets may be
    // found elsewhere, which then becomes the working directory.
    std::error_code ec;
    if (!options.outDir.empty()) {
        options.outDir = std::filesystem::absolute(options.outDir, ec).string();
    }
    if (!options.mp4Path.empty()) {
        options.mp4Path = std::filesystem::absolute(options.mp4Path, ec).string();
    }
    if (std::string error; !FitProcessLimits(error)) {
        std::cerr << "vexa-rhino-capture: " << error << "\n";
        return 1;
    }
    // A frame that cannot be written whole would be found only after the start-up and the render.
    if (!options.outDir.empty()) {
        constexpr int kShowWidth = 1280, kShowHeight = 720;  // the window's client size
        const int width = options.pngWidth != 0      ? options.pngWidth
                          : options.renderWidth != 0 ? options.renderWidth
                                                     : kShowWidth;
        const int height = options.pngWidth != 0      ? options.pngHeight
                           : options.renderWidth != 0 ? options.renderHeight
                                                      : kShowHeight;
        const std::string frame = "a " + std::to_string(width) + "x" + std::to_string(height) + " frame";
        if (std::string error; !FitFileSizeLimit(LargestPngBytes(width, height), frame, error)) {
            std::cerr << "vexa-rhino-capture: " << error << "\n";
            return 1;
        }
    }
    if (std::string error; !EnterResourceFolder(error)) {
        std::cerr << "vexa-rhino-capture: " << error << "\n";
        return 1;
    }
    // No sound card is needed to render; the soundtrack goes into the video from its file.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Installed before the window layer starts SDL, so SDL keeps its own handlers out: a headless
    // run never reads the quit event they would post.
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    // A reader that went away (standard error into a closed pipe, a dying encoder) or a file size
    // limit must show as a write error of the file concerned, not end the capture between frames.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    int status = 1;
    try {
        status = options.discard           ? CaptureDiscard(options)
                 : options.mp4Path.empty() ? CapturePngs(options)
                                           : CaptureMp4(options);
    } catch (const std::bad_alloc&) {
        // What was being read or built has said so where it could; this is the last word.
        std::cerr << "vexa-rhino-capture: out of memory\n";
        status = 1;
    }
    // Lets a test check that nothing the show created outlived it, as vexa-rhino does.
    if (const char* report = std::getenv("SHOW_REPORT_LIVE_OBJECTS"); report && *report && *report != '0') {
        std::fprintf(stderr, "vexa-rhino-capture: live device objects at exit: %ld\n", D3D11LiveObjectCount());
    }
    return status;
}
