#pragma once
// Counter sources for the frame timer: the real performance counter, and a virtual clock that
// tests and the headless capture advance themselves.
#include "platform/win32/CounterSource.h"
#include "platform/win32/Win32.h"

// Reads QueryPerformanceCounter/QueryPerformanceFrequency, so it follows whatever clock is installed.
class PerformanceCounterSource : public CounterSource {
public:
    std::int64_t Frequency() override;
    std::int64_t Counter() override;
};

// A clock that stands still until advanced. While installed, QueryPerformanceCounter reads it and
// Sleep advances it instead of sleeping, so paused frame loops run at full speed in virtual time.
class VirtualClock : public CounterSource {
public:
    explicit VirtualClock(std::int64_t frequency = 10'000'000, std::int64_t start = 0);

    std::int64_t Frequency() override { return frequency; }
    std::int64_t Counter() override { return counter; }

    void Advance(std::int64_t ticks);
    void AdvanceSeconds(double seconds);
    void AdvanceMilliseconds(DWORD milliseconds);

private:
    std::int64_t frequency;
    std::int64_t counter;
};

// Installs a virtual clock for QueryPerformanceCounter/Frequency and Sleep; null restores the
// monotonic system clock. Not owned.
void InstallVirtualClock(VirtualClock* clock);
