#pragma once
// Little-endian writer and bounds-checked reader for our binary formats (stage blobs, compiled
// effects). The reader never trusts its input: every read checks the bytes left, and a failed
// read leaves the caller to reject the whole blob.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ByteWriter {
public:
    void Bytes(const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        out.insert(out.end(), b, b + n);
    }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float f)
    {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Bool(bool b) { U32(b ? 1u : 0u); }
    void Str(const std::string& s)
    {
        U32(static_cast<std::uint32_t>(s.size()));
        Bytes(s.data(), s.size());
    }
    void Data(const std::vector<std::uint8_t>& d)
    {
        U32(static_cast<std::uint32_t>(d.size()));
        Bytes(d.data(), d.size());
    }
    void PatchU32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) {
            out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    }
    std::vector<std::uint8_t> out;
};

class ByteReader {
public:
    ByteReader(const void* data, std::size_t size) : cursor(static_cast<const std::uint8_t*>(data)), remaining(size) {}

    bool U32(std::uint32_t& v)
    {
        if (remaining < 4) {
            return false;
        }
        v = static_cast<std::uint32_t>(cursor[0]) | static_cast<std::uint32_t>(cursor[1]) << 8 |
            static_cast<std::uint32_t>(cursor[2]) << 16 | static_cast<std::uint32_t>(cursor[3]) << 24;
        cursor += 4;
        remaining -= 4;
        return true;
    }
    bool I32(std::int32_t& v)
    {
        std::uint32_t u = 0;
        if (!U32(u)) {
            return false;
        }
        v = static_cast<std::int32_t>(u);
        return true;
    }
    // Our formats carry no NaN or infinity (even LOD limits are FLT_MAX), so one is corruption.
    bool F32(float& f)
    {
        std::uint32_t u = 0;
        if (!U32(u)) {
            return false;
        }
        std::memcpy(&f, &u, 4);
        return std::isfinite(f);
    }
    bool Bool(bool& b)
    {
        std::uint32_t u = 0;
        if (!U32(u) || u > 1) {
            return false;
        }
        b = u == 1;
        return true;
    }
    bool Str(std::string& s, std::uint32_t maxLen, bool allowEmpty)
    {
        std::uint32_t n = 0;
        if (!U32(n) || n > maxLen || n > remaining || (n == 0 && !allowEmpty)) {
            return false;
        }
        if (std::memchr(cursor, 0, n) != nullptr) {
            return false;  // GL and our lookups treat NUL as the end
        }
        s.assign(reinterpret_cast<const char*>(cursor), n);
        cursor += n;
        remaining -= n;
        return true;
    }
    bool Data(std::vector<std::uint8_t>& d, std::uint32_t maxLen)
    {
        std::uint32_t n = 0;
        if (!U32(n) || n > maxLen || n > remaining) {
            return false;
        }
        d.assign(cursor, cursor + n);
        cursor += n;
        remaining -= n;
        return true;
    }
    // Each entry takes at least `minEntry` bytes, so a count beyond that is a lie about the length.
    bool Count(std::uint32_t& n, std::uint32_t maxCount, std::size_t minEntry)
    {
        return U32(n) && n <= maxCount && static_cast<std::size_t>(n) * minEntry <= remaining;
    }
    std::size_t Left() const { return remaining; }

private:
    const std::uint8_t* cursor;
    std::size_t remaining;
};
