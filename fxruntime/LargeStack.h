#pragma once
// Compilation runs on threads with a stack of a known size. glslang, SPIRV-Cross and the effect
// parser recurse once per level of an expression's nesting; a thread's default stack is taken from
// `ulimit -s` (1 MiB where it is set so), which is not enough even for the show's own files there.
#include <cstddef>
#include <functional>
#include <vector>

inline constexpr std::size_t kCompilerStackBytes = std::size_t{64} << 20;

// Runs each piece of work on a thread of its own with a stack of kCompilerStackBytes, all at once,
// and waits for them; the first exception one throws is thrown again here. A piece for which no
// such thread can be made (an address-space limit) runs on the calling thread instead.
void RunOnLargeStacks(const std::vector<std::function<void()>>& work);

// The same for one piece of work.
inline void RunOnLargeStack(const std::function<void()>& work)
{
    RunOnLargeStacks({work});
}
