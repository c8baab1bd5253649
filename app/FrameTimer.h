#pragma once
// Frame timing for the frame loop: the time between two ticks and the running time since
// Reset, less every span in which the timer was stopped. Counter differences are taken in
// 64-bit integers and only then scaled to seconds, so precision does not decay over a long run.

#include <cstdint>

#include "platform/win32/CounterSource.h"

class FrameTimer {
public:
    // Reads the counter frequency once; throws std::invalid_argument if it is not positive.
    explicit FrameTimer(CounterSource& source);

    // Seconds since Reset, excluding stopped spans. While running: as of the latest Tick
    // (or Reset/Start if no tick followed them); while stopped: as of the Stop.
    float TotalTime() const;
    // Seconds between the last two ticks; 0 for a tick while stopped, -1 before the first tick.
    float DeltaTime() const;

    void Reset();
    void Start();
    void Stop();
    void Tick();

private:
    double secondsPerCount;
    double deltaTime = -1.0;
    std::int64_t baseTime = 0;
    std::int64_t pausedTime = 0;
    std::int64_t stopTime = 0;
    std::int64_t previousTime = 0;
    std::int64_t currentTime = 0;
    bool stopped = false;

    CounterSource& counter;
};
