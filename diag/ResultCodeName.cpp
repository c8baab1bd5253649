#include "diag/ResultCodeName.h"

#include <algorithm>

namespace {

// Generated from the public SDK error headers; see tools/resultcodes.
constexpr ResultCodeEntry resultCodes[] = {
#include "diag/ResultCodeTable.inc"
};

}  // namespace

std::span<const ResultCodeEntry> ResultCodeEntries()
{
    return resultCodes;
}

const wchar_t* ResultCodeName(HRESULT code)
{
    const auto key = static_cast<std::uint32_t>(code);
    const auto* found = std::lower_bound(
        std::begin(resultCodes), std::end(resultCodes), key,
        [](const ResultCodeEntry& entry, std::uint32_t value) { return entry.code < value; });
    if (found != std::end(resultCodes) && found->code == key)
        return found->name;
    return L"Unknown";
}
