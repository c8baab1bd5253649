#include "platform/d3d11/Validation.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <string>

namespace {

struct RuleText {
    const char* call;
    const char* message;
    const char* full;
};

constexpr RuleText kRules[] = {
#define D3D11_RULE_TEXT(name, call, message) {call, message, call ": " message},
    D3D11_RULES(D3D11_RULE_TEXT)
#undef D3D11_RULE_TEXT
};
static_assert(std::size(kRules) == static_cast<size_t>(D3D11Rule::Count));

std::array<std::atomic<std::uint64_t>, static_cast<size_t>(D3D11Rule::Count)> counts{};

void Count(D3D11Rule rule, const std::string& detail)
{
    const auto index = static_cast<size_t>(rule);
    // Once per rule: a refusal repeated every frame would bury everything else on standard error.
    if (counts[index].fetch_add(1) == 0) {
        if (detail.empty()) {
            std::fprintf(stderr, "d3d11: %s\n", kRules[index].full);
        } else {
            std::fprintf(stderr, "d3d11: %s (%s)\n", kRules[index].full, detail.c_str());
        }
    }
}

}  // namespace

const char* D3D11RuleMessage(D3D11Rule rule)
{
    const auto index = static_cast<size_t>(rule);
    return index < std::size(kRules) ? kRules[index].full : "unknown rule";
}

std::uint64_t D3D11RuleCount(D3D11Rule rule)
{
    const auto index = static_cast<size_t>(rule);
    return index < counts.size() ? counts[index].load() : 0;
}

namespace d3dgl {

void Report(Rule rule, const std::string& detail)
{
    Count(rule, detail);
}

}  // namespace d3dgl
