// The frame watchdog: a frame that overruns its limit is named once; frames in time never are; by
// default the overrun ends the process with status 1 and the message.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/FrameWatchdog.h"

namespace {

using namespace std::chrono_literals;

std::string DescribeByBeat(long frame, double time)
{
    return "frame " + std::to_string(frame) + " (at " + std::to_string(static_cast<int>(time)) + " s)";
}

class FrameWatchdogTest : public ::testing::Test {
protected:
    void Start(std::chrono::duration<double> limit)
    {
        watchdog.Start(limit, DescribeByBeat, [this](const std::string& message) {
            std::lock_guard lock(mutex);
            messages.push_back(message);
        });
    }
    std::vector<std::string> Messages()
    {
        std::lock_guard lock(mutex);
        return messages;
    }

    std::mutex mutex;
    std::vector<std::string> messages;
    FrameWatchdog watchdog;
};

TEST_F(FrameWatchdogTest, FramesWithinTheLimitAndTheTimeBetweenFramesAreNeverReported)
{
    Start(200ms);
    for (int i = 0; i < 5; ++i) {
        watchdog.FrameBegun(i);
        std::this_thread::sleep_for(50ms);
        watchdog.FrameEnded();
    }
    // Idle between frames for longer than the limit: not a frame, so not an overrun.
    std::this_thread::sleep_for(500ms);
    watchdog.Stop();
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FrameWatchdogTest, AnOverrunningFrameIsNamedOnceWithItsIndexAndTime)
{
    Start(100ms);
    watchdog.FrameBegun(1.0);
    watchdog.FrameEnded();
    watchdog.FrameBegun(42.0);
    std::this_thread::sleep_for(600ms);
    watchdog.FrameEnded();
    watchdog.Stop();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "frame 1 (at 42 s) has not finished after 0.1 s; the graphics driver is stuck in it, "
                             "so the program ends");
}

TEST_F(FrameWatchdogTest, ALimitOfZeroWatchesNothing)
{
    Start(0s);
    watchdog.FrameBegun(0.0);
    std::this_thread::sleep_for(100ms);
    watchdog.Stop();
    EXPECT_TRUE(Messages().empty());
}

TEST(FrameWatchdogDeathTest, ByDefaultAnOverrunEndsTheProcessWithStatusOneAndTheMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            FrameWatchdog watchdog;
            watchdog.Start(100ms, DescribeByBeat);
            watchdog.FrameBegun(7.0);
            std::this_thread::sleep_for(10s);
        },
        ::testing::ExitedWithCode(1), "frame 0 \\(at 7 s\\) has not finished after 0.1 s");
}

}  // namespace
