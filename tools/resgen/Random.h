#pragma once
// Deterministic generator (PCG32), so every run writes the same bytes whatever the C library.
#include <cstdint>

namespace resgen {

class Random {
public:
    explicit Random(uint64_t seed)
    {
        state_ = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        Next();
    }

    uint32_t Next()
    {
        uint64_t old = state_;
        state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
        uint32_t xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
        uint32_t rot = static_cast<uint32_t>(old >> 59u);
        return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
    }
    // Uniform in [0, 1).
    double Uniform() { return Next() * (1.0 / 4294967296.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    int Int(int lo, int hiInclusive)
    {
        return lo + static_cast<int>(Next() % static_cast<uint32_t>(hiInclusive - lo + 1));
    }

private:
    uint64_t state_;
};

// Stateless hash of integer coordinates to [0, 1), for per-cell features in textures.
inline double Hash01(int x, int y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return h * (1.0 / 4294967296.0);
}

}  // namespace resgen
