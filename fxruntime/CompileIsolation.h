#pragma once
// Runs effect compilations in a compile server: a child process forked at the first compilation and
// kept for those after it. glslang, SPIRV-Tools and SPIRV-Cross end the process on some inputs (a
// segmentation fault, a floating-point trap while folding INT_MIN / -1, an abort); isolated, such a
// fault costs that one effect, reported as a compile error, the program goes on as for any other
// failed effect, and the next compilation starts a new server. One process for the compilations of
// a start, rather than one per file, sets up the compiler and grows its heap once: a child per file
// cost a third more than compiling in the program itself.
#include <map>
#include <string>

#include "fxruntime/CompileStep.h"
#include "fxruntime/EffectCompiler.h"

// How long one compilation may take before it counts as runaway and its server is killed (the
// shipped effects take well under a second each).
inline constexpr int kCompileSecondsLimit = 60;

// Whether compilations run in a child process in this build. Not under AddressSanitizer: clang 14's
// runtime does not hold its allocator's locks across fork, so a child forked while another thread
// allocates (the texture prefetch does, during start-up) can wait forever on a lock nobody will
// release. There compilations run in the program itself.
bool CompilesInChildProcesses();

// What to compile, as data: the server is another process, so it is sent the request, not code.
// Relative paths are taken from the caller's working folder at the time of the call.
struct CompileRequest {
    enum class Kind : std::uint32_t {
        File,   // read mainFile and its includes
        Text,   // `text` is mainFile's; its includes are read
        Files,  // `files` holds every file read, by path (EffectSource::originalFiles)
    };
    Kind kind = Kind::File;
    std::string mainFile;
    std::string text;
    std::map<std::string, std::string> files;
};

// Compiles a request in the process it is called in.
using CompileFunction = EffectCompileResult (*)(const CompileRequest&);

// The result `compile` gives for `request`, computed in the compile server; where the server dies,
// runs past the limit or sends nothing readable, one error at (1,1) of request.mainFile that says so.
// Where no server can be started (fork refused, or CompilesInChildProcesses() is false), `compile`
// runs in this process. Calls from several threads take turns.
EffectCompileResult CompileInServer(const CompileRequest& request, CompileFunction compile);

// Ends the compile server, if one runs, and returns its memory to the system; a later compilation
// starts another. For when a program's compilations are done (the show's, after start-up).
void EndCompileServer();
