#pragma once
// How the programs fit a process whose resources are limited (ulimit -v, -s, -n, -f): the address space
// is made to go further, and a limit below what the show needs is refused at once, with the limit
// and the need, rather than ending in an abort or a fault somewhere inside a library later.
#include <cstdint>
#include <string>

// The least address space the show starts with. Measured with Mesa's software renderer, the
// lightest driver there is, with one malloc arena: a start-up compiling every effect afresh reserves
// about 650 MiB; below that the renderer's own compiler and SPIR-V Cross abort or fault on an
// allocation they do not check, wherever the limit happens to fall. A driver for a GPU maps more.
inline constexpr std::uint64_t kMinimumAddressSpaceMiB = 768;

// The least stack (it is also every thread's default stack). The capture's start-up and frame, effects
// compiled afresh, fault at 64 KiB and run at 128 KiB; twice that leaves room for a window system.
inline constexpr std::uint64_t kMinimumStackKiB = 256;

// The least number of open files. Headless, the show runs with 5; at 4 the GL loader cannot open
// libEGL and aborts, and the capture loses its textures. A window system, sound and the compile
// children's pipes take more, and no system's default is near this.
inline constexpr std::uint64_t kMinimumOpenFiles = 16;

// Keeps every block of 128 KiB or more in a mapping of its own, returned to the system when freed:
// glibc's default raises that threshold to the largest block freed so far, so after the first
// decoded picture is freed the later ones, and the driver's large blocks, come from heaps that
// never shrink (30 MiB more at the show's peak). Under a finite RLIMIT_AS, also keeps malloc to one arena. glibc gives each thread that allocates an
// arena of its own with 64 MiB of address space reserved, and the compile and rasterizer threads
// then take half the show's reservations (1.1 GiB in all, 0.65 GiB with one arena); with no limit
// the default stands, since more arenas only cost address space nobody counts. Then false, with one
// line for the user in `error`, when a limit is below the least above. Call first in main, before any
// thread starts.
bool FitProcessLimits(std::string& error);

// Whether a file of `largestFile` bytes, `what` ("a 1280x720 frame"), can be written under the file
// size limit (ulimit -f); else false, with one line for the user in `error` naming the limit and the
// need. For a program that knows at start the largest file it writes, so that it refuses before it
// renders rather than after.
bool FitFileSizeLimit(std::uint64_t largestFile, const std::string& what, std::string& error);
