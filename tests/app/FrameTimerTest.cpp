#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "app/FrameTimer.h"

namespace {

// A clock the test moves by hand.
class FakeCounter : public CounterSource {
public:
    explicit FakeCounter(std::int64_t frequency) : frequency(frequency) {}
    std::int64_t Frequency() override
    {
        ++frequencyReads;
        return frequency;
    }
    std::int64_t Counter() override { return now; }

    std::int64_t frequency;
    std::int64_t now = 0;
    int frequencyReads = 0;
};

constexpr float kUnchecked = std::numeric_limits<float>::quiet_NaN();

enum class Op { Reset, Start, Stop, Tick, None };

// One call at a counter value, then the timer's readings (NaN: not checked).
struct Step {
    Op op;
    std::int64_t at;
    float total;
    float delta;
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

// Counter runs at 1000 counts per second, so one count is one millisecond.
const Scenario kScenarios[] = {
    {"two stops keep the first stop time",
     {{Op::Reset, 1000, 0.0f, kUnchecked},
      {Op::Tick, 1100, 0.1f, 0.1f},
      {Op::Stop, 1200, 0.2f, 0.1f},
      {Op::Stop, 1500, 0.2f, kUnchecked},
      {Op::Start, 1700, 0.2f, kUnchecked},
      {Op::Tick, 1800, 0.3f, 0.1f}}},
    {"a second start changes nothing",
     {{Op::Reset, 0, 0.0f, kUnchecked},
      {Op::Tick, 100, 0.1f, 0.1f},
      {Op::Stop, 200, 0.2f, kUnchecked},
      {Op::Start, 300, 0.2f, kUnchecked},
      {Op::Start, 900, kUnchecked, kUnchecked},
      {Op::Tick, 1000, 0.9f, 0.7f}}},
    {"a tick while stopped gives exactly zero and leaves the total",
     {{Op::Reset, 0, 0.0f, kUnchecked},
      {Op::Tick, 50, 0.05f, 0.05f},
      {Op::Stop, 100, 0.1f, kUnchecked},
      {Op::Tick, 400, 0.1f, 0.0f},
      {Op::Tick, 9000, 0.1f, 0.0f}}},
    {"the first tick after start measures from the start",
     {{Op::Reset, 0, 0.0f, kUnchecked},
      {Op::Tick, 100, 0.1f, 0.1f},
      {Op::Stop, 150, 0.15f, kUnchecked},
      {Op::Start, 1150, 0.15f, kUnchecked},
      {Op::Tick, 1200, 0.2f, 0.05f}}},
    {"total stays at the stop moment however long the stop lasts",
     {{Op::Reset, 0, 0.0f, kUnchecked},
      {Op::Tick, 300, 0.3f, 0.3f},
      {Op::Stop, 350, 0.35f, kUnchecked},
      {Op::None, 5000, 0.35f, kUnchecked},
      {Op::None, 900000, 0.35f, kUnchecked}}},
    {"several pauses add up",
     {{Op::Reset, 0, 0.0f, kUnchecked},
      {Op::Stop, 100, 0.1f, kUnchecked},
      {Op::Start, 600, 0.1f, kUnchecked},
      {Op::Tick, 700, 0.2f, 0.1f},
      {Op::Stop, 800, 0.3f, kUnchecked},
      {Op::Start, 2800, 0.3f, kUnchecked},
      {Op::Tick, 2900, 0.4f, 0.1f}}},
    {"a counter that steps back gives a zero delta",
     {{Op::Reset, 500, 0.0f, kUnchecked}, {Op::Tick, 700, 0.2f, 0.2f}, {Op::Tick, 650, kUnchecked, 0.0f}}},
    {"stop and start before reset do not make the total negative",
     {{Op::Stop, 100, kUnchecked, kUnchecked},
      {Op::Start, 5000, kUnchecked, kUnchecked},
      {Op::Reset, 6000, 0.0f, kUnchecked},
      {Op::Tick, 6100, 0.1f, 0.1f}}},
    {"a reset restarts the running time",
     {{Op::Reset, 0, 0.0f, kUnchecked},
      {Op::Stop, 100, kUnchecked, kUnchecked},
      {Op::Start, 300, kUnchecked, kUnchecked},
      {Op::Tick, 400, 0.2f, 0.1f},
      {Op::Reset, 1000, 0.0f, kUnchecked},
      {Op::Tick, 1250, 0.25f, 0.25f}}},
};

TEST(FrameTimer, StopStartTickSequences)
{
    for (const Scenario& scenario : kScenarios) {
        FakeCounter clock(1000);
        FrameTimer timer(clock);
        for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
            const Step& step = scenario.steps[i];
            clock.now = step.at;
            switch (step.op) {
            case Op::Reset: timer.Reset(); break;
            case Op::Start: timer.Start(); break;
            case Op::Stop: timer.Stop(); break;
            case Op::Tick: timer.Tick(); break;
            case Op::None: break;
            }
            if (!std::isnan(step.total)) {
                EXPECT_FLOAT_EQ(timer.TotalTime(), step.total) << scenario.name << ", step " << i;
            }
            if (!std::isnan(step.delta)) {
                EXPECT_FLOAT_EQ(timer.DeltaTime(), step.delta) << scenario.name << ", step " << i;
            }
            EXPECT_GE(timer.DeltaTime(), step.op == Op::Tick ? 0.0f : -1.0f) << scenario.name << ", step " << i;
        }
    }
}

TEST(FrameTimer, DeltaIsMinusOneUntilTheFirstTick)
{
    FakeCounter clock(1000);
    FrameTimer timer(clock);
    EXPECT_EQ(timer.DeltaTime(), -1.0f);
    EXPECT_EQ(timer.TotalTime(), 0.0f);
    clock.now = 123456;
    timer.Reset();
    EXPECT_EQ(timer.DeltaTime(), -1.0f);
}

TEST(FrameTimer, LargeCounterValuesKeepFullPrecision)
{
    // Counter differences are exact in 64 bits even after years of uptime at 10 MHz.
    FakeCounter clock(10'000'000);
    FrameTimer timer(clock);
    const std::int64_t start = std::int64_t{1} << 60;
    clock.now = start;
    timer.Reset();
    clock.now = start + 30'000'000 + 1;  // three seconds and one count
    timer.Tick();
    EXPECT_EQ(timer.TotalTime(), static_cast<float>(30'000'001 * 1e-7));
    EXPECT_EQ(timer.DeltaTime(), static_cast<float>(30'000'001 * 1e-7));
    clock.now += 1;
    timer.Tick();
    EXPECT_FLOAT_EQ(timer.DeltaTime(), 1e-7f);
}

TEST(FrameTimer, FrequencyIsReadOnceAndMustBePositive)
{
    FakeCounter clock(1000);
    FrameTimer timer(clock);
    clock.frequency = 1;  // a later change must not alter the scale
    timer.Reset();
    clock.now = 500;
    timer.Tick();
    EXPECT_FLOAT_EQ(timer.TotalTime(), 0.5f);
    EXPECT_EQ(clock.frequencyReads, 1);

    for (std::int64_t bad : {std::int64_t{0}, std::int64_t{-5}}) {
        FakeCounter broken(bad);
        EXPECT_THROW(FrameTimer{broken}, std::invalid_argument) << bad;
    }
}

}  // namespace
