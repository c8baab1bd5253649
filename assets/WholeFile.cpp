#include "assets/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
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

template <typename Bytes>
bool ReadInto(const std::string& path, std::uint64_t limit, Bytes& bytes, std::string& reason)
{
    bytes.clear();
    std::uint64_t size = 0;
    const int fd = OpenRegularFile(path, limit, size, reason);
    if (fd < 0) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, reinterpret_cast<char*>(bytes.data()) + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            reason = got < 0 ? std::strerror(errno) : "shorter than its size (changed while read)";
            ::close(fd);
            bytes.clear();
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return true;
}

}  // namespace

int OpenRegularFile(const std::string& path, std::uint64_t limit, std::uint64_t& size, std::string& reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = "not a regular file";
        ::close(fd);
        return -1;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    if (size > limit) {
        reason = "larger than " + std::to_string(limit >> 20) + " MiB";
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::string& bytes, std::string& reason)
{
    return ReadInto(path, limit, bytes, reason);
}

bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& bytes, std::string& reason)
{
    return ReadInto(path, limit, bytes, reason);
}

bool MayReplaceWhole(const std::string& path, std::string& reason)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return true;
        }
        reason = std::strerror(errno);
        return false;
    }
    if (S_ISREG(info.st_mode)) {
        return true;
    }
    const char* what = S_ISLNK(info.st_mode)    ? "a symbolic link"
                       : S_ISCHR(info.st_mode)  ? "a character device"
                       : S_ISBLK(info.st_mode)  ? "a block device"
                       : S_ISFIFO(info.st_mode) ? "a FIFO"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                       : S_ISDIR(info.st_mode)  ? "a folder"
                                                : "a special file";
    reason = std::string(what) + " is not replaced; only a regular file or a new name is";
    return false;
}

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size, std::string& error)
{
    if (std::string reason; !MayReplaceWhole(path, reason)) {
        error = path + ": cannot write: " + reason;
        return false;
    }
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
