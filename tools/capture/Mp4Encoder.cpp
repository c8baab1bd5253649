#include "tools/capture/Mp4Encoder.h"

#include "assets/WholeFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

std::string FileUrl(const std::string& path)
{
    return "file:" + path;
}

// Milliseconds left until a deadline for poll(); -1 for none.
int PollTimeout(double deadlineSeconds)
{
    return deadlineSeconds > 0 ? static_cast<int>(std::ceil(deadlineSeconds * 1000.0)) : -1;
}

// argv[0] looked up on PATH as execvp would, done before fork so the child needs no allocation.
std::string FindProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return "";
}

// Starts argv[0] (found on PATH); stdinFd and stdoutFd, when not -1, become its standard input and
// output. The child is in a process group of its own, so Ctrl+C at the terminal reaches only us and
// we end the encoding in order, and it is killed when we die (the frame watchdog ends us at once).
pid_t Spawn(const std::vector<std::string>& argv, int stdinFd, int stdoutFd, std::string& error)
{
    const std::string program = FindProgram(argv[0]);
    if (program.empty()) {
        error = "cannot start " + argv[0] + ": not found on PATH";
        return -1;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        error = "cannot start " + argv[0] + ": " + std::strerror(errno);
        return -1;
    }
    if (pid == 0) {
        // Only async-signal-safe calls until exec: the parent has other threads.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (const int signal : {SIGPIPE, SIGINT, SIGTERM}) {
            sigaction(signal, &defaults, nullptr);
        }
        if ((stdinFd >= 0 && dup2(stdinFd, STDIN_FILENO) < 0) || (stdoutFd >= 0 && dup2(stdoutFd, STDOUT_FILENO) < 0)) {
            _exit(127);
        }
        execv(program.c_str(), args.data());
        _exit(127);
    }
    return pid;
}

// Waits for pid within the deadline (0: none); kills it when the deadline passes. True with the
// wait status when it ended by itself.
bool WaitWithin(pid_t pid, double deadlineSeconds, int& status)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(deadlineSeconds);
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return true;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        if (deadlineSeconds > 0 && Clock::now() >= end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string DescribeStatus(int status)
{
    if (WIFEXITED(status)) {
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return std::string("was killed by ") + strsignal(WTERMSIG(status));
    }
    return "ended oddly";
}

// The number of video frames in an MP4 by ffprobe, or -1 when it cannot say (with why in error).
int CountVideoFrames(const std::string& prober, const std::string& path, double deadlineSeconds, std::string& error)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return -1;
    }
    const pid_t pid = Spawn({prober, "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                             "stream=nb_read_packets", "-of", "csv=p=0", FileUrl(path)},
                            -1, pipeFds[1], error);
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return -2;  // not there: the count is skipped
    }
    std::string output;
    char buffer[256];
    pollfd fd{pipeFds[0], POLLIN, 0};
    while (poll(&fd, 1, PollTimeout(deadlineSeconds)) > 0) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    if (!WaitWithin(pid, deadlineSeconds, status) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = prober + " cannot read it";
        return -1;
    }
    char* end = nullptr;
    const long frames = std::strtol(output.c_str(), &end, 10);
    if (end == output.c_str() || frames < 0) {
        error = prober + " finds no video in it";
        return -1;
    }
    return static_cast<int>(frames);
}

}  // namespace

std::vector<std::string> Mp4EncoderArguments(const Mp4Settings& settings, const std::string& temporaryPath)
{
    std::ostringstream size, rate;
    size << settings.width << "x" << settings.height;
    rate << settings.framesPerSecond;
    std::vector<std::string> args = {"-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                     "-f",       "rawvideo",     "-pix_fmt",  "rgba",  "-s",
                                     size.str(), "-framerate",   rate.str(),  "-i",    "pipe:0"};
    if (!settings.musicPath.empty()) {
        args.insert(args.end(), {"-i", FileUrl(settings.musicPath)});
    }
    args.insert(args.end(), {"-c:v", "libx264", "-pix_fmt", "yuv420p"});
    if (!settings.musicPath.empty()) {
        args.insert(args.end(), {"-c:a", "aac", "-shortest"});
    }
    // The temporary does not end in .mp4, so the format is named.
    args.insert(args.end(), {"-f", "mp4", FileUrl(temporaryPath)});
    return args;
}

Mp4Encoder::~Mp4Encoder()
{
    Abandon();
}

void Mp4Encoder::Abandon()
{
    if (input >= 0) {
        close(input);
        input = -1;
    }
    if (pid > 0) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
    }
    if (!temporaryPath.empty()) {
        unlink(temporaryPath.c_str());
        temporaryPath.clear();
    }
}

bool Mp4Encoder::Start(const Mp4Settings& wanted, std::string& error)
{
    Abandon();
    settings = wanted;
    framesWritten = 0;
    temporaryPath = settings.outputPath + ".part-" + std::to_string(getpid());
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        temporaryPath.clear();
        return false;
    }
    std::vector<std::string> argv = {settings.encoder};
    const std::vector<std::string> args = Mp4EncoderArguments(settings, temporaryPath);
    argv.insert(argv.end(), args.begin(), args.end());
    pid = Spawn(argv, pipeFds[0], -1, error);
    close(pipeFds[0]);
    input = pipeFds[1];
    // Writes that never block, so the deadline below holds for a frame larger than the pipe.
    fcntl(input, F_SETFL, fcntl(input, F_GETFL) | O_NONBLOCK);
    if (pid < 0) {
        temporaryPath.clear();
        Abandon();
        return false;
    }
    return true;
}

bool Mp4Encoder::Write(const std::vector<uint8_t>& rgba, std::string& error)
{
    std::size_t done = 0;
    while (done < rgba.size()) {
        pollfd fd{input, POLLOUT, 0};
        const int ready = poll(&fd, 1, PollTimeout(settings.deadlineSeconds));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            std::ostringstream message;
            message << settings.encoder << " took no frame for " << settings.deadlineSeconds << " s";
            error = message.str();
            Abandon();
            return false;
        }
        const ssize_t n = write(input, rgba.data() + done, rgba.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            int status = 0;
            close(input);
            input = -1;
            const bool ended = WaitWithin(pid, settings.deadlineSeconds, status);
            pid = -1;
            error = settings.encoder + " stopped taking frames (it " +
                    (ended ? DescribeStatus(status) : std::string("did not end")) + ")";
            Abandon();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    ++framesWritten;
    return true;
}

bool Mp4Encoder::Finish(std::string& error)
{
    if (pid < 0) {
        error = "no encoding was started";
        return false;
    }
    close(input);
    input = -1;
    int status = 0;
    const bool ended = WaitWithin(pid, settings.deadlineSeconds, status);
    pid = -1;
    if (!ended) {
        std::ostringstream message;
        message << settings.encoder << " did not finish the file within " << settings.deadlineSeconds << " s";
        error = message.str();
        Abandon();
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = settings.encoder + " " + DescribeStatus(status);
        Abandon();
        return false;
    }
    struct stat info {};
    if (stat(temporaryPath.c_str(), &info) != 0 || info.st_size == 0) {
        error = settings.encoder + " ended well but wrote nothing";
        Abandon();
        return false;
    }
    std::string countError;
    const int frames = CountVideoFrames(settings.prober, temporaryPath, settings.deadlineSeconds, countError);
    if (frames == -1) {
        error = "the encoded video is unreadable: " + countError;
        Abandon();
        return false;
    }
    if (frames >= 0 && frames != framesWritten) {
        error = "the encoded video holds " + std::to_string(frames) + " of the " + std::to_string(framesWritten) +
                " frames";
        Abandon();
        return false;
    }
    const int fd = open(temporaryPath.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    const int syncErrno = errno;
    if (fd >= 0) {
        close(fd);
    }
    if (!synced) {
        error = std::string("cannot write: ") + std::strerror(syncErrno);
        Abandon();
        return false;
    }
    if (std::string reason; !MayReplaceWhole(settings.outputPath, reason)) {
        error = "cannot write: " + reason;
        Abandon();
        return false;
    }
    if (rename(temporaryPath.c_str(), settings.outputPath.c_str()) != 0) {
        error = std::string("cannot write: ") + std::strerror(errno);
        Abandon();
        return false;
    }
    temporaryPath.clear();
    return true;
}
