#include "fxruntime/Direct3DRefusals.h"

#include <set>

#include "fxruntime/HlslTypeNames.h"

namespace {

constexpr std::uint64_t kMaxGroupSharedBytes = 32768;

// Bytes of a scalar, vector or matrix type (float3: 12, float4x4: 64, double2: 16); 0 for other
// types (structs are not counted).
std::uint64_t TypeBytes(const std::string& type)
{
    HlslTypeName name;
    if (!ParseHlslTypeName(type, name) || name.scalar.substr(0, 3) == "min") {
        return 0;
    }
    return (name.scalar == "double" ? 8u : 4u) * static_cast<std::uint64_t>(name.Components());
}

bool Number(const EffectTokens& t, std::size_t k, std::uint64_t& out)
{
    double d = 0;
    if (!t.IsNumber(k) || !ParseNumber(t.Text(k), d) || d < 0 || d > 1e12) {
        return false;
    }
    out = static_cast<std::uint64_t>(d);
    return true;
}

// A count written as an integer literal, perhaps negated, at token k; k moves past it.
bool SignedCount(const EffectTokens& t, std::size_t& k, std::int64_t& out)
{
    const bool negative = t.Is(k, "-");
    std::uint64_t magnitude = 0;
    if (!Number(t, negative ? k + 1 : k, magnitude)) {
        return false;
    }
    out = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    k += negative ? 2 : 1;
    return true;
}

void CheckThreadGroup(EffectTokens& t, std::size_t k)
{
    // [numthreads(X, Y, Z)] with three literal counts; anything else is left to the HLSL compiler.
    std::int64_t c[3] = {};
    std::size_t i = k + 2;
    if (!t.Is(k + 1, "(") || !SignedCount(t, i, c[0]) || !t.Is(i++, ",") || !SignedCount(t, i, c[1]) ||
        !t.Is(i++, ",") || !SignedCount(t, i, c[2]) || !t.Is(i, ")")) {
        return;
    }
    std::string error;
    if (!ThreadGroupFits(c[0], c[1], c[2], error)) {
        t.Error(t.At(k), error);
    }
}

bool RepeatsAComponent(const std::string& swizzle)
{
    if (swizzle.empty() || swizzle.size() > 4 ||
        (swizzle.find_first_not_of("xyzw") != std::string::npos &&
         swizzle.find_first_not_of("rgba") != std::string::npos)) {
        return false;
    }
    for (std::size_t i = 0; i < swizzle.size(); ++i) {
        if (swizzle.find(swizzle[i], i + 1) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A struct whose body [open, close] declares a member twice: the second declaration, reported.
void CheckMembersOnce(EffectTokens& t, std::size_t open, std::size_t close)
{
    std::set<std::string> members;
    for (std::size_t k = open + 1; k < close; ++k) {
        if (t.Is(k, "{")) {  // a nested struct's own members are its own
            k = t.Match(k);
            continue;
        }
        const bool declarator = t.IsIdent(k) && k > open + 1 && (t.IsIdent(k - 1) || t.Is(k - 1, ",")) &&
                                (t.Is(k + 1, ";") || t.Is(k + 1, ",") || t.Is(k + 1, ":") || t.Is(k + 1, "["));
        if (declarator && !members.insert(t.Text(k)).second) {
            t.Error(t.At(k), "'" + t.Text(k) + "': redefinition of a struct member");
        }
    }
}

// Names declared only with vector types (float3 v), so that `v.xx` is surely a swizzle, not a member.
std::set<std::string> VectorNames(const EffectTokens& t)
{
    std::set<std::string> vectors, others;
    for (std::size_t k = 0; k + 1 < t.Size(); ++k) {
        if (!t.IsIdent(k) || !t.IsIdent(k + 1) || t.Is(k + 2, "(")) {
            continue;
        }
        HlslTypeName name;
        const bool vector = ParseHlslTypeName(t.Text(k), name) && name.vector && !name.Matrix() && name.rows >= 2;
        (vector ? vectors : others).insert(t.Text(k + 1));
    }
    for (const std::string& name : others) {
        vectors.erase(name);
    }
    return vectors;
}

}  // namespace

bool ThreadGroupFits(std::int64_t x, std::int64_t y, std::int64_t z, std::string& error)
{
    constexpr std::int64_t kMaxThreads = 1024, kMaxX = 1024, kMaxY = 1024, kMaxZ = 64;
    if (x > 0 && y > 0 && z > 0 && x <= kMaxX && y <= kMaxY && z <= kMaxZ && x * y * z <= kMaxThreads) {
        return true;
    }
    error = "thread group size (" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) +
            ") is outside shader model 5's limits: X and Y 1 to 1024, Z 1 to 64, X * Y * Z at most 1024";
    return false;
}

void RefuseWhatDirect3DRefuses(EffectTokens& t)
{
    const std::set<std::string> vectors = VectorNames(t);
    static const char* const kAssignments[] = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="};
    std::uint64_t sharedBytes = 0;
    std::size_t firstShared = 0;
    for (std::size_t k = 0; k < t.Size(); ++k) {
        if (t.Is(k, "numthreads") && k > 0 && t.Is(k - 1, "[")) {
            CheckThreadGroup(t, k);
        } else if (t.Is(k, "struct") && t.IsIdent(k + 1) && t.Is(k + 2, "{") && t.Match(k + 2) < t.Size()) {
            CheckMembersOnce(t, k + 2, t.Match(k + 2));
        } else if (t.Is(k, "case") && (t.IsNumber(k + 1) || (t.Is(k + 1, "-") && t.IsNumber(k + 2)))) {
            const std::string& label = t.Text(t.IsNumber(k + 1) ? k + 1 : k + 2);
            const bool hex = label.size() > 1 && (label[1] == 'x' || label[1] == 'X');
            if (!hex && label.find_first_of(".eEfFhH") != std::string::npos) {
                t.Error(t.At(k + 1), "a case label is an integer, not '" + label + "'");
            }
        } else if (t.Is(k, "[") && k > 0 && t.IsIdent(k - 1) && (t.Is(k + 1, "-") || t.Is(k + 1, "0")) && k > 1 &&
                   t.IsIdent(k - 2) && TypeBytes(t.Text(k - 2)) != 0) {
            // TYPE NAME[0] or TYPE NAME[-N]: an array has 1 to 65536 elements.
            std::uint64_t n = 0;
            if ((t.Is(k + 1, "0") && t.Is(k + 2, "]")) || (t.Is(k + 1, "-") && Number(t, k + 2, n))) {
                t.Error(t.At(k + 1), "'" + t.Text(k - 1) + "': an array has at least one element");
            }
        } else if (t.Is(k, "groupshared") && t.IsIdent(k + 1) && t.IsIdent(k + 2)) {
            std::uint64_t bytes = TypeBytes(t.Text(k + 1));
            for (std::size_t j = k + 3; bytes != 0 && t.Is(j, "["); j += 3) {
                std::uint64_t n = 0;
                bytes = Number(t, j + 1, n) && t.Is(j + 2, "]") ? bytes * n : 0;
            }
            if (sharedBytes == 0) {
                firstShared = k;
            }
            sharedBytes += bytes;
        } else if (t.Is(k, ".") && k > 0 && vectors.count(t.Text(k - 1)) != 0 && t.IsIdent(k + 1) &&
                   RepeatsAComponent(t.Text(k + 1))) {
            for (const char* op : kAssignments) {
                if (t.Is(k + 2, op)) {
                    t.Error(t.At(k + 1),
                            "the swizzle '" + t.Text(k + 1) + "' names a component twice, so it cannot be assigned to");
                    break;
                }
            }
        }
    }
    if (sharedBytes > kMaxGroupSharedBytes) {
        t.Error(t.At(firstShared), "groupshared memory of " + std::to_string(sharedBytes) + " bytes is past the " +
                                       std::to_string(kMaxGroupSharedBytes) + " bytes shader model 5 allows");
    }
}
