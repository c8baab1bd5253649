#include "app/FrameWatchdog.h"

#include <algorithm>

#include "diag/StallWatch.h"

namespace {

std::int64_t Now()
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

}  // namespace

FrameWatchdog::~FrameWatchdog()
{
    Stop();
}

void FrameWatchdog::Start(std::chrono::duration<double> newLimit, Describe newDescribe, Expire newExpire)
{
    Stop();
    if (newLimit.count() <= 0.0) {
        return;
    }
    limit = newLimit;
    describe = std::move(newDescribe);
    expire = std::move(newExpire);
    stopping = false;
    thread = std::thread([this] { Watch(); });
}

void FrameWatchdog::Stop()
{
    if (!thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
}

void FrameWatchdog::FrameBegun(double time)
{
    frameTime.store(time, std::memory_order_relaxed);
    frameIndex.fetch_add(1, std::memory_order_relaxed);
    frameStart.store(Now(), std::memory_order_release);
}

void FrameWatchdog::FrameEnded()
{
    frameStart.store(0, std::memory_order_release);
}

std::string FrameWatchdog::Message(const std::string& frame, std::chrono::duration<double> limit)
{
    return StallWatch::Message(frame, limit);
}

void FrameWatchdog::Watch()
{
    // A few looks per limit, at most two a second: an overrun is reported within a fraction of the
    // limit, and an idle watchdog costs nothing measurable.
    const auto period = std::min<std::chrono::duration<double>>(limit / 4, std::chrono::milliseconds(500));
    const auto limitTicks = std::chrono::duration_cast<std::chrono::steady_clock::duration>(limit).count();
    std::unique_lock lock(mutex);
    while (!wake.wait_for(lock, period, [this] { return stopping; })) {
        std::int64_t start = frameStart.load(std::memory_order_acquire);
        if (start == 0 || Now() - start < limitTicks) {
            continue;
        }
        const long index = frameIndex.load(std::memory_order_relaxed);
        const double time = frameTime.load(std::memory_order_relaxed);
        const std::string frame = describe ? describe(index, time) : "frame " + std::to_string(index);
        const std::string message = Message(frame, limit);
        if (!expire) {
            WriteLineAndExit(message);
        }
        expire(message);
        // A handler that returns lets the frame go on; it is not reported again.
        frameStart.compare_exchange_strong(start, 0, std::memory_order_acq_rel);
    }
}
