#pragma once
// Runs an effect compilation in a child process of its own. glslang, SPIRV-Tools and SPIRV-Cross
// end the process on some inputs (a segmentation fault, a floating-point trap while folding
// INT_MIN / -1, an abort); isolated, such a fault costs that one effect, reported as a compile
// error, and the program goes on as for any other failed effect. The child is a fork: it shares
// nothing back but the result, written through a pipe.
#include <functional>
#include <string>

#include "fxruntime/CompileStep.h"
#include "fxruntime/EffectCompiler.h"

// How long one compilation may take before it counts as runaway and its child is killed (the
// shipped effects take well under a second each).
inline constexpr int kCompileSecondsLimit = 60;

// Whether compilations run in a child process in this build. Not under AddressSanitizer: clang 14's
// runtime does not hold its allocator's locks across fork, so a child forked while another thread
// allocates (the texture prefetch does, during start-up) can wait forever on a lock nobody will
// release. There compilations run in the program itself.
bool CompilesInChildProcesses();

// The result `compile` gives, computed in a child process; where the child dies, runs past the
// limit or sends nothing readable, one error at (1,1) of `mainFile` that says so. Where no child
// can be started (fork refused, or CompilesInChildProcesses() is false), `compile` runs in this
// process.
EffectCompileResult CompileInChildProcess(const std::string& mainFile,
                                          const std::function<EffectCompileResult()>& compile);
