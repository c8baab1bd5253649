#pragma once
// Ends the process when one frame runs far longer than any frame should. A graphics driver stuck
// inside a draw never returns to the frame loop, so neither the loop nor a signal flag checked
// between frames can end the program then; only a thread of its own can. The frame loop marks each
// frame's begin and end (two atomic stores, no lock); the watchdog thread looks at them a few times
// a second and, when a frame has been running past the limit, writes one line naming it to standard
// error and ends the process with status 1 without unwinding (the stuck thread holds the driver).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class FrameWatchdog {
public:
    // Names a frame for the message from its index (0-based, counted by FrameBegun) and the running
    // time it shows, for example "frame 1509 (beat 108.983)". Called on the watchdog thread, so it
    // may only read what it was given.
    using Describe = std::function<std::string(long frame, double time)>;
    // What happens when a frame overruns; the default writes the message and ends the process.
    using Expire = std::function<void(const std::string& message)>;

    static constexpr std::chrono::seconds kDefaultLimit{60};

    FrameWatchdog() = default;
    FrameWatchdog(const FrameWatchdog&) = delete;
    FrameWatchdog& operator=(const FrameWatchdog&) = delete;
    ~FrameWatchdog();

    // Starts watching (again) with these settings; a limit of zero or less stops watching.
    void Start(std::chrono::duration<double> limit, Describe describe, Expire expire = {});
    void Stop();

    // Called by the frame loop around the work of one frame.
    void FrameBegun(double time);
    void FrameEnded();

    // The message the watchdog writes for an overrun (without the trailing newline).
    static std::string Message(const std::string& frame, std::chrono::duration<double> limit);

private:
    void Watch();

    std::chrono::duration<double> limit{0};
    Describe describe;
    Expire expire;

    // Steady-clock ticks at which the running frame began; 0 between frames.
    std::atomic<std::int64_t> frameStart{0};
    std::atomic<double> frameTime{0.0};
    std::atomic<long> frameIndex{-1};

    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};
