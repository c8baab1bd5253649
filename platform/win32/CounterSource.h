#pragma once
#include <cstdint>

// A high-resolution counter with a fixed frequency: the frame timer's only view of time.
// The platform supplies the real one (the performance counter); tests and the headless
// capture supply clocks they advance themselves.
class CounterSource {
public:
    virtual ~CounterSource() = default;
    // Ticks per second; read once by the frame timer at construction.
    virtual std::int64_t Frequency() = 0;
    // The current counter value; monotonic.
    virtual std::int64_t Counter() = 0;
};
