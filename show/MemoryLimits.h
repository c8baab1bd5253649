#pragma once
// How the programs fit a process whose address space is limited (ulimit -v).
#include <cstdint>
#include <string>

// The least address space the show starts with. Measured with Mesa's software renderer, the
// lightest driver there is, with one malloc arena: a start-up compiling every effect afresh reserves
// about 650 MiB; below that the renderer's own compiler and SPIR-V Cross abort or fault on an
// allocation they do not check, wherever the limit happens to fall. A driver for a GPU maps more.
inline constexpr std::uint64_t kMinimumAddressSpaceMiB = 768;

// Under a finite RLIMIT_AS, keeps malloc to one arena. glibc gives each thread that allocates an
// arena of its own with 64 MiB of address space reserved, and the compile and rasterizer threads
// then take half the show's reservations (1.1 GiB in all, 0.65 GiB with one arena); with no limit
// the default stands, since more arenas only cost address space nobody counts. Then false, with one
// line for the user in `error`, when the limit is below kMinimumAddressSpaceMiB: a clear refusal at
// once rather than an abort somewhere inside a library later. Call first in main, before any thread
// starts.
bool FitAddressSpaceLimit(std::string& error);
