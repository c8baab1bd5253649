#pragma once
// Ends the process when one piece of work does not finish in time. Meant for calls into the
// graphics driver, which no deadline of ours can interrupt: llvmpipe, for one, needs minutes to
// link a shader with a switch of a few thousand cases, and a start stuck there never shows a frame
// for the frame watchdog to catch. While a StallWatch lives, a thread of its own waits; when the
// limit passes first, it writes "<program>: <what> has not finished after <limit> s; the graphics
// driver is stuck in it, so the program ends" to standard error and ends the process with status 1
// without unwinding (the stuck thread holds the driver's locks).
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class StallWatch {
public:
    // `what` names the work and the file it is for, as messages name them.
    StallWatch(std::string what, std::chrono::duration<double> limit);
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;
    ~StallWatch();

    static std::string Message(const std::string& what, std::chrono::duration<double> limit);

private:
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread thread;
};

// Writes "<program>: <message>" and a newline to standard error with write(2) and ends the process
// with status 1 through _exit: for a thread that must end the program while another is stuck in a
// driver, where exit() would run destructors that wait for it.
[[noreturn]] void WriteLineAndExit(const std::string& message);
