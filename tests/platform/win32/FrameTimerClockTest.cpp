// The frame timer on the performance counter, driven by the virtual clock the capture uses.
#include "app/FrameTimer.h"
#include "platform/win32/PerformanceCounter.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameTimerOnVirtualClock, PausedSpansAndSleepsAreExcluded)
{
    VirtualClock clock(1000);
    InstallVirtualClock(&clock);
    PerformanceCounterSource counter;
    FrameTimer timer(counter);
    timer.Reset();
    clock.AdvanceMilliseconds(16);
    timer.Tick();
    EXPECT_FLOAT_EQ(timer.DeltaTime(), 0.016f);
    EXPECT_FLOAT_EQ(timer.TotalTime(), 0.016f);

    timer.Stop();  // a paused loop sleeps 100 ms per idle pass
    for (int pass = 0; pass < 5; ++pass) {
        timer.Tick();
        Sleep(100);
    }
    EXPECT_FLOAT_EQ(timer.DeltaTime(), 0.0f);
    timer.Start();
    clock.AdvanceMilliseconds(4);
    timer.Tick();
    EXPECT_FLOAT_EQ(timer.DeltaTime(), 0.004f) << "measured from Start, not from the last tick";
    EXPECT_FLOAT_EQ(timer.TotalTime(), 0.020f);
    InstallVirtualClock(nullptr);
}

}  // namespace
