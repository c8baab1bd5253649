#include "diag/StallWatch.h"

#include <unistd.h>

#include <cerrno>
#include <sstream>

StallWatch::StallWatch(std::string what, std::chrono::duration<double> limit)
{
    if (limit.count() <= 0.0) {
        return;
    }
    thread = std::thread([this, what = std::move(what), limit] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, limit, [this] { return done; })) {
            WriteLineAndExit(Message(what, limit));
        }
    });
}

StallWatch::~StallWatch()
{
    if (!thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_all();
    thread.join();
}

std::string StallWatch::Message(const std::string& what, std::chrono::duration<double> limit)
{
    std::ostringstream text;
    text << what << " has not finished after " << limit.count()
         << " s; the graphics driver is stuck in it, so the program ends";
    return text.str();
}

void WriteLineAndExit(const std::string& message)
{
    const std::string line = std::string(program_invocation_short_name) + ": " + message + "\n";
    const char* data = line.data();
    size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    _exit(1);
}
