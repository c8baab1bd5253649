#pragma once
// Random constant buffers of scalars, vectors, matrices (column- and row-major, one row or one
// column wide included) and arrays of them, with the offsets Direct3D 11's packing rules give
// them, worked out here independently of the compiler: 16-byte registers; a member that does not
// fit in what is left of a register starts the next; arrays and matrices of more than one register
// line start a register; array elements are a whole number of registers apart, the last unpadded.
#include <cstdint>
#include <string>
#include <vector>

namespace fxtest {

struct RandomMember {
    std::string name;
    std::string base;  // "float", "int", "uint", "bool"
    std::uint32_t rows = 1, columns = 1;
    bool matrix = false;
    bool rowMajor = false;
    std::uint32_t elements = 0;  // 0: no array
    // Direct3D's layout.
    std::uint32_t offset = 0, size = 0, stride = 0;

    // Strings are appended piece by piece: GCC 12 warns wrongly about chains of string additions.
    std::string Type() const
    {
        std::string t = base;
        if (matrix || columns > 1)
            t += std::to_string(matrix ? rows : columns);
        if (matrix) {
            t += 'x';
            t += std::to_string(columns);
        }
        return t;
    }
    // Byte offset of element (r, c) of array element e, from the buffer's start.
    std::uint32_t At(std::uint32_t e, std::uint32_t r, std::uint32_t c) const
    {
        const std::uint32_t inElement = !matrix ? 4 * c : rowMajor ? r * 16 + c * 4 : c * 16 + r * 4;
        return offset + e * stride + inElement;
    }
};

struct RandomBuffer {
    std::vector<RandomMember> members;
    std::uint32_t size = 0;

    std::string Declaration(const std::string& name) const
    {
        std::string s = "cbuffer ";
        s += name;
        s += "\n{\n";
        for (const RandomMember& m : members) {
            s += "    ";
            if (m.matrix)
                s += m.rowMajor ? "row_major " : "column_major ";
            s += m.Type();
            s += ' ';
            s += m.name;
            if (m.elements > 0) {
                s += '[';
                s += std::to_string(m.elements);
                s += ']';
            }
            s += ";\n";
        }
        s += "};\n";
        return s;
    }
};

// A small deterministic generator, the same on every standard library.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    std::uint32_t Below(std::uint32_t n)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % n;
    }

private:
    std::uint32_t state_;
};

inline RandomBuffer MakeRandomBuffer(Random& random, bool floatsOnly)
{
    static const char* const kBases[] = {"float", "int", "uint", "bool"};
    RandomBuffer b;
    const std::uint32_t count = 1 + random.Below(6);
    std::uint32_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        RandomMember m;
        m.name = 'm';
        m.name += std::to_string(i);
        m.base = floatsOnly ? "float" : kBases[random.Below(4)];
        const std::uint32_t shape = random.Below(3);
        if (shape == 1) {
            m.columns = 1 + random.Below(4);
        } else if (shape == 2) {
            m.base = "float";  // matrices of integers or bools are refused (see the dialect table)
            m.matrix = true;
            m.rows = 1 + random.Below(4);
            m.columns = 1 + random.Below(4);
            m.rowMajor = random.Below(2) == 1;
        }
        if (random.Below(4) == 0)
            m.elements = 1 + random.Below(3);
        // One element: a matrix is `lines` registers of `width` components, the last unpadded.
        const std::uint32_t lines = !m.matrix ? 1 : m.rowMajor ? m.rows : m.columns;
        const std::uint32_t width = !m.matrix ? m.columns : m.rowMajor ? m.columns : m.rows;
        const std::uint32_t element = (lines - 1) * 16 + 4 * width;
        bool startsRegister = lines > 1;
        m.size = element;
        if (m.elements > 0) {
            m.stride = (element + 15) / 16 * 16;
            m.size = (m.elements - 1) * m.stride + element;
            startsRegister = true;
        }
        if (startsRegister || at % 16 + m.size > 16)
            at = (at + 15) / 16 * 16;
        m.offset = at;
        at += m.size;
        b.members.push_back(m);
    }
    b.size = (at + 15) / 16 * 16;
    return b;
}

}  // namespace fxtest
