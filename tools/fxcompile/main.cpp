// vexa-rhino-fxcompile: compiles one effect file and prints its diagnostics and what the compiled effect
// holds (techniques, passes, shaders with their input signatures, variables with their offsets,
// states). --out writes the compiled effect to a file (the blob fuzzer's seeds are made so); --fxo
// writes the compiled effect the build ships beside the file, which the programs take in place of
// compiling it.
// Exits 1 when compilation fails (or, with --werror, when it warns, or when its output cannot be
// written), 2 on bad usage.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "assets/WholeFile.h"
#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectCache.h"
#include "fxruntime/EffectCompiler.h"
#include "fxruntime/EffectPrint.h"

namespace {

// The installed name: "fxcompile" alone would clash with other packages.
constexpr const char* kProgram = "vexa-rhino-fxcompile";

constexpr const char* kUsage =
    "Usage: vexa-rhino-fxcompile [--glsl] [--werror] [--quiet] [--out BLOB] [--fxo FXO] [--] FILE.fx\n"
    "  or:  vexa-rhino-fxcompile --help | --version\n"
    "Compiles one effect file as the show does and prints its diagnostics and what the compiled effect\n"
    "holds: techniques, passes, shaders with their input signatures, variables with their offsets, states.\n"
    "The compiled-effect cache is not used, and no environment variable is read.\n"
    "Exit status: 0 when the file compiles, 1 when it does not (or, with --werror, warns, or when the\n"
    "listing, BLOB or FXO cannot be written), 2 for a command line it does not take.\n"
    "\n"
    "Options:\n"
    "  --glsl       also print the GLSL generated for each shader\n"
    "  --werror     exit 1 when the compiler warns\n"
    "  --quiet      print the diagnostics only\n"
    "  --out BLOB   also write the compiled effect to the file BLOB\n"
    "  --fxo FXO    also write FXO, the compiled effect to ship beside FILE.fx (as FILE.fxo): the\n"
    "               programs of this build take it in place of compiling FILE.fx while FILE.fx and\n"
    "               its includes are unchanged; a file that warns is not shipped so (exit 1)\n"
    "  --           what follows is the file, even when it starts with '-'\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n";

// The listing is the program's output: a write that failed (a full disk, a closed pipe) fails the run,
// said on standard error, which may still be read.
int ExitAfterOutput(int status)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return status;
    }
    const int error = errno;
    std::fprintf(stderr, "%s: standard output: cannot write%s%s\n", kProgram, error != 0 ? ": " : "",
                 error != 0 ? std::strerror(error) : "");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    EffectPrintOptions options;
    bool werror = false;
    bool quiet = false;
    const char* path = nullptr;
    const char* out = nullptr;
    const char* fxo = nullptr;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && IsOption(arg)) {
            if (const int status = AnswerStandardOption(arg, kProgram, kUsage); status >= 0)
                return status;
            if (arg == "--glsl")
                options.glsl = true;
            else if (arg == "--werror")
                werror = true;
            else if (arg == "--quiet")
                quiet = true;
            else if (arg == "--out" && i + 1 < argc)
                out = argv[++i];
            else if (arg == "--fxo" && i + 1 < argc)
                fxo = argv[++i];
            else if (arg == "--")
                optionsEnded = true;
            else
                return UsageError(kProgram, "unknown option \"" + arg + "\"", kUsage);
        } else if (path != nullptr) {
            return UsageError(kProgram, "compiles one file at a time", kUsage);
        } else {
            path = argv[i];
        }
    }
    if (path == nullptr)
        return UsageError(kProgram, "no effect file given", kUsage);
    // A reader that went away, or a file size limit, is a failed write, said as one.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    const EffectCompileResult result = CompileEffectFile(path);
    const std::string messages = result.Messages();
    std::fputs(messages.c_str(), stdout);
    if (!result.succeeded) {
        std::printf("%s: compilation failed\n", path);
        return ExitAfterOutput(1);
    }
    EffectBlob blob;
    if (!ParseEffectBlob(result.code.data(), result.code.size(), blob)) {
        std::printf("%s: the compiled effect does not read back\n", path);
        return ExitAfterOutput(1);
    }
    if (!quiet)
        std::fputs(PrintEffect(blob, options).c_str(), stdout);
    if (std::string error; out != nullptr && !WriteWholeFile(out, result.code, error)) {
        std::printf("%s\n", error.c_str());
        return ExitAfterOutput(1);
    }
    if (fxo != nullptr) {
        std::string error;
        const std::vector<std::uint8_t> shipped = EncodeCompiledEffect(path, result, error);
        if (shipped.empty() || !WriteWholeFile(fxo, shipped, error)) {
            std::printf("%s\n", error.c_str());
            return ExitAfterOutput(1);
        }
    }
    if (werror && !result.diagnostics.empty()) {
        std::printf("%s: warnings treated as errors\n", path);
        return ExitAfterOutput(1);
    }
    return ExitAfterOutput(0);
}
