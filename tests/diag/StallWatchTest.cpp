// The stall watch: work that ends within its limit goes unremarked, however long the watch lived
// before; work past it ends the process with status 1 and a line naming the work.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "diag/StallWatch.h"

namespace {

using namespace std::chrono_literals;

TEST(StallWatchTest, WorkWithinTheLimitEndsTheWatchAtOnce)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        const StallWatch watch("Res/Blur.fx: building the effect's shader programs", 30s);
        std::this_thread::sleep_for(1ms);
    }
    // The watch's thread wakes when the work ends; it does not sit out its limit.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    const StallWatch off("nothing", 0s);  // no limit, no thread
}

TEST(StallWatchDeathTest, WorkPastTheLimitEndsTheProcessWithStatusOneNamingIt)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const StallWatch watch("Res/NormalMap.fx: building the effect's shader programs", 100ms);
            std::this_thread::sleep_for(10s);
        },
        ::testing::ExitedWithCode(1),
        "Res/NormalMap.fx: building the effect's shader programs has not finished after 0.1 s; the graphics "
        "driver is stuck in it, so the program ends\n");
}

}  // namespace
