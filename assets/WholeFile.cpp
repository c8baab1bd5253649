#include "assets/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace {

// Writes everything, retrying the partial writes a pipe, a signal or a nearly full disk can give;
// 0 on success, else the errno of the failure (ENOSPC for a write that made no progress).
int WriteAll(int fd, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : ENOSPC;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

}  // namespace

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size, std::string& error)
{
    static std::atomic<unsigned> counter{0};
    const std::string temp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path + ": cannot create " + temp + ": " + std::strerror(errno);
        return false;
    }
    int failure = WriteAll(fd, static_cast<const unsigned char*>(data), size);
    if (failure == 0 && ::fsync(fd) != 0) {
        failure = errno;
    }
    if (::close(fd) != 0 && failure == 0) {
        failure = errno;
    }
    if (failure == 0 && std::rename(temp.c_str(), path.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        ::unlink(temp.c_str());
        error = path + ": cannot write: " + std::strerror(failure);
        return false;
    }
    return true;
}
