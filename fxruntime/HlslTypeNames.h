#pragma once
// The shape of an HLSL numeric type name (float, int3, half2x4, min16float4), read by hand: the
// front end's passes ask it of nearly every identifier, where a regular expression cost more than the
// rest of the pass.
#include <string>
#include <string_view>

struct HlslTypeName {
    std::string_view scalar;  // "float", "int", ...
    int rows = 1;             // the vector's components, or the matrix's rows
    int columns = 0;          // 0 for a scalar or vector
    bool vector = false;      // written with a count (float1 too)
    bool Matrix() const { return columns != 0; }
    int Components() const { return Matrix() ? rows * columns : rows; }
};

// False for anything that is not a numeric scalar, vector or matrix type name.
inline bool ParseHlslTypeName(std::string_view word, HlslTypeName& out)
{
    static constexpr std::string_view kScalars[] = {"min16float", "min10float", "min16uint", "min16int",
                                                    "min12int",   "double",     "dword",     "float",
                                                    "half",       "uint",       "bool",      "int"};
    for (std::string_view scalar : kScalars) {
        if (word.substr(0, scalar.size()) != scalar) {
            continue;
        }
        const std::string_view rest = word.substr(scalar.size());
        out = HlslTypeName{};
        out.scalar = scalar;
        auto digit = [](char c) { return c >= '1' && c <= '4'; };
        if (rest.empty()) {
            return true;
        }
        if (rest.size() == 1 && digit(rest[0])) {
            out.rows = rest[0] - '0';
            out.vector = true;
            return true;
        }
        if (rest.size() == 3 && digit(rest[0]) && rest[1] == 'x' && digit(rest[2])) {
            out.rows = rest[0] - '0';
            out.columns = rest[2] - '0';
            return true;
        }
        return false;
    }
    return false;
}
