#include "fxruntime/CompileIsolation.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fxruntime/DiagnosticStream.h"

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

constexpr std::uint32_t kMaxFiles = 4096;
constexpr std::uint32_t kMaxFileBytes = 16u << 20;
constexpr std::uint32_t kMaxMessage = kMaxCode + (64u << 20);

std::vector<std::uint8_t> EncodeRequest(const std::string& folder, const CompileRequest& request)
{
    ByteWriter w;
    w.Str(folder);
    w.U32(static_cast<std::uint32_t>(request.kind));
    w.Str(request.mainFile);
    w.Str(request.text);
    w.U32(static_cast<std::uint32_t>(request.files.size()));
    for (const auto& [path, text] : request.files) {
        w.Str(path);
        w.Str(text);
    }
    return std::move(w.out);
}

// A file's text as it is, NUL bytes included: the compiler reports those where they stand.
bool ReadText(ByteReader& r, std::string& text)
{
    std::vector<std::uint8_t> bytes;
    if (!r.Data(bytes, kMaxFileBytes)) {
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

bool DecodeRequest(const std::vector<std::uint8_t>& bytes, std::string& folder, CompileRequest& request)
{
    ByteReader r(bytes.data(), bytes.size());
    std::uint32_t kind = 0, files = 0;
    if (!ReadText(r, folder) || !r.U32(kind) || kind > 2 || !ReadText(r, request.mainFile) ||
        !ReadText(r, request.text) || !r.Count(files, kMaxFiles, 8)) {
        return false;
    }
    request.kind = static_cast<CompileRequest::Kind>(kind);
    for (std::uint32_t i = 0; i < files; ++i) {
        std::string path, text;
        if (!ReadText(r, path) || !ReadText(r, text)) {
            return false;
        }
        request.files.emplace(std::move(path), std::move(text));
    }
    return r.Left() == 0;
}

// A message is its body as the byte stream writes data: its length, then its bytes. send() rather
// than write(): a peer that has died must fail the call, not end this process with SIGPIPE.
bool SendMessage(int socket, const std::vector<std::uint8_t>& body)
{
    ByteWriter w;
    w.Data(body);
    const std::vector<std::uint8_t>& bytes = w.out;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

enum class Received { Message, End, Late };

// Reads one message, waiting up to `deadline` (none: for ever). End: the peer closed its end or
// sent something that is not a message.
Received ReceiveMessage(int socket, std::optional<std::chrono::steady_clock::time_point> deadline,
                        std::vector<std::uint8_t>& body)
{
    std::vector<std::uint8_t> bytes;
    std::size_t wanted = 4;
    std::uint8_t chunk[1 << 16];
    while (bytes.size() < wanted) {
        int wait = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline -
                                                                                    std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return Received::Late;
            }
            wait = static_cast<int>(std::min<long long>(left.count(), 1000));
        }
        pollfd p{socket, POLLIN, 0};
        const int ready = poll(&p, 1, wait);
        if (ready < 0 && errno != EINTR) {
            return Received::End;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t n = read(socket, chunk, std::min(sizeof chunk, wanted - bytes.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Received::End;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (wanted == 4 && bytes.size() == 4) {
            std::uint32_t length = 0;
            ByteReader(bytes.data(), bytes.size()).U32(length);
            if (length > kMaxMessage) {
                return Received::End;
            }
            wanted += length;
        }
    }
    body.assign(bytes.begin() + 4, bytes.end());
    return Received::Message;
}

EffectCompileResult Failure(const std::string& mainFile, const std::string& why)
{
    EffectCompileResult result;
    result.diagnostics.push_back(
        {mainFile, 1, 1, true, "X3000", "the HLSL compiler failed on this shader (" + why + "); it is not compiled"});
    return result;
}

EffectCompileResult CompileHere(const CompileRequest& request, CompileFunction compile)
{
    try {
        return compile(request);
    } catch (const std::bad_alloc&) {
        EffectCompileResult result;
        result.diagnostics.push_back(
            {request.mainFile, 1, 1, true, "X3000", "out of memory while compiling the effect"});
        return result;
    }
}

// The server's loop: a request in, its result out, until the program closes its end.
[[noreturn]] void Serve(int socket, CompileFunction compile)
{
    if (stepNote != nullptr) {
        CatchFaults();
    }
    for (;;) {
        std::vector<std::uint8_t> bytes;
        if (ReceiveMessage(socket, std::nullopt, bytes) != Received::Message) {
            // _exit: the program's exit handlers (audio, windows, leak reports) are not the server's.
            _exit(0);
        }
        std::string folder;
        CompileRequest request;
        if (!DecodeRequest(bytes, folder, request) || chdir(folder.c_str()) != 0) {
            _exit(1);
        }
        if (!SendMessage(socket, Encode(CompileHere(request, compile)))) {
            _exit(1);
        }
    }
}

// The one compile server of the process; every field is guarded by gServerMutex.
struct CompileServer {
    pid_t pid = -1;
    int socket = -1;
    char* note = nullptr;  // the server's stepNote
    CompileFunction compile = nullptr;
};

std::mutex gServerMutex;
CompileServer gServer;

// Waits for the server to end and forgets it; `kill` ends it first.
int Reap(bool kill)
{
    if (kill) {
        ::kill(gServer.pid, SIGKILL);
    }
    close(gServer.socket);
    int status = 0;
    while (waitpid(gServer.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (gServer.note != nullptr) {
        munmap(gServer.note, kStepNoteBytes);
    }
    gServer = {};
    return status;
}

void EndAtExit()
{
    // A compilation still running on another thread holds the lock; that server ends by itself when
    // it finds the program's end of the socket closed.
    const std::unique_lock<std::mutex> lock(gServerMutex, std::try_to_lock);
    if (lock.owns_lock() && gServer.pid > 0) {
        Reap(false);
    }
}

bool StartServer(CompileFunction compile)
{
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        return false;
    }
    // With standard output closed, the socket would get its number and take what the program then
    // prints; the program's end of it is kept above the standard three.
    if (fds[0] <= STDERR_FILENO) {
        const int moved = fcntl(fds[0], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        close(fds[0]);
        if (moved < 0) {
            close(fds[1]);
            return false;
        }
        fds[0] = moved;
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
        return false;
    }
    if (child == 0) {
        close(fds[0]);
        stepNote = note;
        Serve(fds[1], compile);
    }
    close(fds[1]);
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(EndAtExit); });
    gServer = {child, fds[0], note, compile};
    return true;
}

// How the server that did not answer ended, for the message.
std::string WhyItEnded(int status, const std::string& step)
{
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        // A stack overflow leaves no room for the handler, so the step may be unknown.
        return (step.empty() ? std::string() : "in " + step + ", ") + "it ended with signal " + std::to_string(signal) +
               ", " + strsignal(signal);
    }
    return "it ended without a result";
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

EffectCompileResult CompileInServer(const CompileRequest& request, CompileFunction compile)
{
    char folder[4096];
    if (!CompilesInChildProcesses() || getcwd(folder, sizeof folder) == nullptr) {
        return CompileHere(request, compile);
    }
    const std::vector<std::uint8_t> message = EncodeRequest(folder, request);
    const std::lock_guard<std::mutex> lock(gServerMutex);
    if (gServer.pid > 0 && gServer.compile != compile) {
        Reap(false);
    }
    // A server that ended while it waited (killed from outside) fails the send; a new one is tried once.
    bool sent = false;
    for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
        if (gServer.pid <= 0 && !StartServer(compile)) {
            return CompileHere(request, compile);
        }
        if (gServer.note != nullptr) {
            gServer.note[0] = '\0';
        }
        sent = SendMessage(gServer.socket, message);
        if (!sent) {
            Reap(true);
        }
    }
    if (!sent) {
        return Failure(request.mainFile, "no compile server could be started");
    }
    std::vector<std::uint8_t> bytes;
    const Received received = ReceiveMessage(
        gServer.socket, std::chrono::steady_clock::now() + std::chrono::seconds(kCompileSecondsLimit), bytes);
    EffectCompileResult result;
    if (received == Received::Late) {
        Reap(true);
        return Failure(request.mainFile, "it ran for more than " + std::to_string(kCompileSecondsLimit) + " s");
    }
    if (received == Received::End || !Decode(bytes, result)) {
        // Killed or not, a server that closed its end keeps the status it ended with.
        const std::string step = gServer.note != nullptr
                                     ? std::string(gServer.note, strnlen(gServer.note, kStepNoteBytes))
                                     : std::string();
        return Failure(request.mainFile, WhyItEnded(Reap(true), step));
    }
    // A failure with no place of its own belongs to the file compiled.
    for (EffectDiagnostic& d : result.diagnostics) {
        if (d.file.empty()) {
            d.file = request.mainFile;
        }
    }
    return result;
}

void EndCompileServer()
{
    const std::lock_guard<std::mutex> lock(gServerMutex);
    if (gServer.pid > 0) {
        Reap(false);
    }
}
