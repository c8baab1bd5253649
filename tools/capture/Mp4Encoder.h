#pragma once
// ffmpeg as the MP4 encoder, started without a shell: raw RGBA frames go down a pipe, the video is
// written to a temporary beside the output and renamed onto it only when ffmpeg has ended well
// and the file holds every frame, so a failed or stopped encoding never leaves an MP4 that looks
// whole.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Mp4Settings {
    std::string outputPath;  // the MP4 to write
    std::string musicPath;   // muxed in when not empty
    int width = 0;
    int height = 0;
    double framesPerSecond = 30.0;
    // Seconds the encoder may take to accept one frame, or to finish the file; 0: no limit.
    double deadlineSeconds = 60.0;
    // The program started; "ffmpeg" is looked up on PATH.
    std::string encoder = "ffmpeg";
    std::string prober = "ffprobe";  // counts the frames written; skipped when not on PATH
};

class Mp4Encoder {
public:
    Mp4Encoder() = default;
    Mp4Encoder(const Mp4Encoder&) = delete;
    Mp4Encoder& operator=(const Mp4Encoder&) = delete;
    // An encoder still running is stopped and its temporary removed.
    ~Mp4Encoder();

    // False with error set when ffmpeg cannot be started.
    bool Start(const Mp4Settings& settings, std::string& error);
    // One frame of width * height * 4 bytes. False with error set when ffmpeg does not take it
    // within the deadline or has gone.
    bool Write(const std::vector<uint8_t>& rgba, std::string& error);
    // Ends the input, waits for ffmpeg within the deadline, checks its status and that the file
    // holds framesWritten frames, then renames the temporary onto the output. False with error set
    // otherwise, the temporary removed.
    bool Finish(std::string& error);

    int FramesWritten() const { return framesWritten; }
    // The temporary the video goes to until Finish, for a signal handler that must remove it.
    const std::string& TemporaryPath() const { return temporaryPath; }
    pid_t EncoderPid() const { return pid; }

private:
    void Abandon();

    Mp4Settings settings;
    std::string temporaryPath;
    pid_t pid = -1;
    int input = -1;  // ffmpeg's standard input
    int framesWritten = 0;
};

// The arguments ffmpeg is started with (its argv without argv[0]): every file name as a "file:"
// URL, so a name that starts with '-' or holds a ':' is never read as an option or a protocol.
std::vector<std::string> Mp4EncoderArguments(const Mp4Settings& settings, const std::string& temporaryPath);
