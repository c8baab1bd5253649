#include "show/ProcessLimits.h"

#include <malloc.h>
#include <sys/resource.h>

namespace {

// The soft limit of `resource`, or nothing when it is unlimited or cannot be read.
bool Limited(int resource, std::uint64_t& limit)
{
    rlimit value{};
    if (getrlimit(resource, &value) != 0 || value.rlim_cur == RLIM_INFINITY) {
        return false;
    }
    limit = static_cast<std::uint64_t>(value.rlim_cur);
    return true;
}

std::string Refusal(const std::string& what, std::uint64_t limit, const char* option, std::uint64_t least,
                    const char* unit)
{
    return what + " is limited to " + std::to_string(limit) + unit + " (ulimit " + option +
           "); the show needs at least " + std::to_string(least) + unit + ", so it does not start";
}

}  // namespace

bool FitProcessLimits(std::string& error)
{
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    std::uint64_t limit = 0;
    if (Limited(RLIMIT_AS, limit)) {
        mallopt(M_ARENA_MAX, 1);
        if ((limit >> 20) < kMinimumAddressSpaceMiB) {
            error = Refusal("the address space", limit >> 20, "-v", kMinimumAddressSpaceMiB, " MiB");
            return false;
        }
    }
    if (Limited(RLIMIT_STACK, limit) && (limit >> 10) < kMinimumStackKiB) {
        error = Refusal("the stack", limit >> 10, "-s", kMinimumStackKiB, " KiB");
        return false;
    }
    if (Limited(RLIMIT_NOFILE, limit) && limit < kMinimumOpenFiles) {
        error = Refusal("the number of open files", limit, "-n", kMinimumOpenFiles, "");
        return false;
    }
    return true;
}

bool FitFileSizeLimit(std::uint64_t largestFile, const std::string& what, std::string& error)
{
    std::uint64_t limit = 0;
    if (Limited(RLIMIT_FSIZE, limit) && limit < largestFile) {
        error = "the size of a file is limited to " + std::to_string(limit >> 10) + " KiB (ulimit -f); " + what +
                " may take up to " + std::to_string((largestFile + 1023) >> 10) + " KiB, so the show does not start";
        return false;
    }
    return true;
}
