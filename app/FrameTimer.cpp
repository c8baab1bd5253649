#include "app/FrameTimer.h"

#include <stdexcept>
#include <string>

namespace {
double SecondsPerCount(CounterSource& counter)
{
    const std::int64_t frequency = counter.Frequency();
    if (frequency <= 0)
        throw std::invalid_argument("FrameTimer: counter frequency " + std::to_string(frequency) + " is not positive");
    return 1.0 / static_cast<double>(frequency);
}
}  // namespace

FrameTimer::FrameTimer(CounterSource& source) : secondsPerCount(SecondsPerCount(source)), counter(source) {}

float FrameTimer::TotalTime() const
{
    const std::int64_t end = stopped ? stopTime : currentTime;
    return static_cast<float>(static_cast<double>((end - pausedTime) - baseTime) * secondsPerCount);
}

float FrameTimer::DeltaTime() const
{
    return static_cast<float>(deltaTime);
}

void FrameTimer::Reset()
{
    const std::int64_t now = counter.Counter();
    baseTime = now;
    previousTime = now;
    // Until the first tick the running time reads as 0 rather than as minus the counter.
    currentTime = now;
    stopTime = 0;
    // Stops before Reset (a window deactivated during start-up) must not count against the
    // new base, or the running time would start below zero.
    pausedTime = 0;
    stopped = false;
}

void FrameTimer::Start()
{
    const std::int64_t now = counter.Counter();
    if (!stopped)
        return;
    pausedTime += now - stopTime;
    previousTime = now;
    // Until the next tick the running time holds the value it had at Stop instead of
    // falling back by the whole paused span.
    currentTime = now;
    stopTime = 0;
    stopped = false;
}

void FrameTimer::Stop()
{
    if (stopped)
        return;
    stopTime = counter.Counter();
    stopped = true;
}

void FrameTimer::Tick()
{
    if (stopped) {
        deltaTime = 0.0;
        return;
    }
    currentTime = counter.Counter();
    deltaTime = static_cast<double>(currentTime - previousTime) * secondsPerCount;
    previousTime = currentTime;
    // The counter may step back (a processor switch, a clock that is not strictly monotonic);
    // a negative frame time would run animations backwards.
    if (deltaTime < 0.0)
        deltaTime = 0.0;
}
