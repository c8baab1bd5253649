#include "fxruntime/CompileIsolation.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fxruntime/DiagnosticStream.h"
#include "fxruntime/HlslToSpirv.h"
#include "fxruntime/LargeStack.h"

namespace {

constexpr std::uint32_t kMaxText = 1u << 20;
constexpr std::uint32_t kMaxDiagnostics = 100000;
constexpr std::uint32_t kMaxCode = 256u << 20;

// The step each compile thread is in, and where a child that dies of a signal leaves the step of the
// thread the signal hit, for the parent to name.
thread_local const char* currentStep = "the effect compiler";
constexpr std::size_t kStepNoteBytes = 128;
char* stepNote = nullptr;  // shared with the parent, in the child only

void NoteStepAndDie(int signal)
{
    // Only async-signal-safe work: a byte copy, then the default action of the same signal.
    const char* step = currentStep;
    std::size_t i = 0;
    for (; step != nullptr && step[i] != '\0' && i + 1 < kStepNoteBytes; ++i) {
        stepNote[i] = step[i];
    }
    stepNote[i] = '\0';
    raise(signal);
}

void CatchFaults()
{
    struct sigaction action {};
    action.sa_handler = NoteStepAndDie;
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        sigaction(signal, &action, nullptr);
    }
}

std::vector<std::uint8_t> Encode(const EffectCompileResult& result)
{
    ByteWriter w;
    w.Bool(result.succeeded);
    w.Bool(result.selfContained);
    w.U32(static_cast<std::uint32_t>(result.diagnostics.size()));
    for (const EffectDiagnostic& d : result.diagnostics) {
        WriteDiagnostic(w, d);
    }
    w.Data(result.code);
    return std::move(w.out);
}

bool Decode(const std::vector<std::uint8_t>& bytes, EffectCompileResult& result)
{
    ByteReader r(bytes.data(), bytes.size());
    std::uint32_t count = 0;
    if (!r.Bool(result.succeeded) || !r.Bool(result.selfContained) || !r.U32(count) || count > kMaxDiagnostics) {
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        EffectDiagnostic d;
        if (!ReadDiagnostic(r, d, kMaxText)) {
            return false;
        }
        result.diagnostics.push_back(std::move(d));
    }
    return r.Data(result.code, kMaxCode) && r.Left() == 0;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void RunChild(int out, const std::function<EffectCompileResult()>& compile)
{
    if (stepNote != nullptr) {
        CatchFaults();
    }
    EffectCompileResult result;
    try {
        result = compile();
    } catch (const std::bad_alloc&) {
        result = {};
        result.diagnostics.push_back({"", 1, 1, true, "X3000", "out of memory while compiling the effect"});
    }
    // _exit: the parent's exit handlers (audio, windows, leak reports) are not the child's to run.
    _exit(WriteAll(out, Encode(result)) ? 0 : 1);
}

// Reads the child's whole answer, up to the deadline. False when it ran out.
bool ReadUntilEnd(int fd, std::chrono::steady_clock::time_point deadline, std::vector<std::uint8_t>& bytes)
{
    std::uint8_t chunk[1 << 16];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) {
            return true;  // nothing more can come; what came is judged below
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return true;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

EffectCompileResult Failure(const std::string& mainFile, const std::string& why)
{
    EffectCompileResult result;
    result.diagnostics.push_back(
        {mainFile, 1, 1, true, "X3000", "the HLSL compiler failed on this shader (" + why + "); it is not compiled"});
    return result;
}

}  // namespace

void NoteCompileStep(const char* step)
{
    currentStep = step;
}

bool CompilesInChildProcesses()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

EffectCompileResult CompileInChildProcess(const std::string& mainFile,
                                          const std::function<EffectCompileResult()>& compile)
{
    if (!CompilesInChildProcesses()) {
        return compile();
    }
    // Building the compiler's tables in each child cost a third of the start-up's compile time.
    static std::once_flag warmedUp;
    std::call_once(warmedUp, [] { RunOnLargeStack(WarmUpHlslCompiler); });
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return compile();
    }
    void* shared = mmap(nullptr, kStepNoteBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    char* note = shared == MAP_FAILED ? nullptr : static_cast<char*>(shared);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        if (note != nullptr) {
            munmap(note, kStepNoteBytes);
        }
        return compile();
    }
    if (child == 0) {
        close(fds[0]);
        stepNote = note;
        RunChild(fds[1], compile);
    }
    close(fds[1]);
    std::vector<std::uint8_t> bytes;
    const bool inTime = ReadUntilEnd(
        fds[0], std::chrono::steady_clock::now() + std::chrono::seconds(kCompileSecondsLimit), bytes);
    close(fds[0]);
    if (!inTime) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!inTime) {
        return Failure(mainFile, "it ran for more than " + std::to_string(kCompileSecondsLimit) + " s");
    }
    std::string step;
    if (note != nullptr) {
        step.assign(note, strnlen(note, kStepNoteBytes));
        munmap(note, kStepNoteBytes);
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        // A stack overflow leaves no room for the handler, so the step may be unknown.
        return Failure(mainFile, (step.empty() ? std::string() : "in " + step + ", ") + "it ended with signal " +
                                     std::to_string(signal) + ", " + strsignal(signal));
    }
    EffectCompileResult result;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !Decode(bytes, result)) {
        return Failure(mainFile, "it ended without a result");
    }
    // A failure with no place of its own belongs to the file compiled.
    for (EffectDiagnostic& d : result.diagnostics) {
        if (d.file.empty()) {
            d.file = mainFile;
        }
    }
    return result;
}
