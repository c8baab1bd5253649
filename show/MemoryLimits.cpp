#include "show/MemoryLimits.h"

#include <malloc.h>
#include <sys/resource.h>

bool FitAddressSpaceLimit(std::string& error)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return true;
    }
    mallopt(M_ARENA_MAX, 1);
    const std::uint64_t mib = static_cast<std::uint64_t>(limit.rlim_cur) >> 20;
    if (mib < kMinimumAddressSpaceMiB) {
        error = "the address space is limited to " + std::to_string(mib) +
                " MiB (ulimit -v); the show needs at least " + std::to_string(kMinimumAddressSpaceMiB) +
                " MiB, so it does not start";
        return false;
    }
    return true;
}
