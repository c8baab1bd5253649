#pragma once
// Compilation runs on threads with a stack of a known size. glslang, SPIRV-Cross and the effect
// parser recurse once per level of an expression's nesting; a thread's default stack is taken from
// `ulimit -s` (1 MiB where it is set so), which is not enough even for the show's own files there.
#include <cstddef>
#include <functional>

inline constexpr std::size_t kCompilerStackBytes = std::size_t{64} << 20;

// Runs work on a new thread with a stack of kCompilerStackBytes and waits for it; an exception it
// throws is thrown again here. Where no such thread can be made (an address-space limit), the work
// runs on the calling thread instead.
void RunOnLargeStack(const std::function<void()>& work);
