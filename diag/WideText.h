#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Bounded text building for the failure report. Every append stops at the buffer's size less
// one and the text stays terminated, so a long input is cut, never overruns, and the result is
// the same prefix a bounded printf would leave.
template <std::size_t Size>
class FixedWideText {
    static_assert(Size > 0);

public:
    const wchar_t* Text() const { return chars; }
    std::size_t Length() const { return length; }

    FixedWideText& Append(wchar_t c)
    {
        if (length + 1 < Size) {
            chars[length++] = c;
            chars[length] = L'\0';
        }
        return *this;
    }

    FixedWideText& Append(const wchar_t* text)
    {
        for (; text != nullptr && *text != L'\0' && length + 1 < Size; ++text)
            Append(*text);
        return *this;
    }

    // Narrow text is read as UTF-8; see WidenUtf8.
    FixedWideText& AppendNarrow(const char* text);

    FixedWideText& AppendUnsigned(std::uint32_t value)
    {
        wchar_t digits[10];
        int count = 0;
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count > 0)
            Append(digits[--count]);
        return *this;
    }

    // Eight lower-case hexadecimal digits, zero-padded (a 32-bit value never needs more).
    FixedWideText& AppendHex8(std::uint32_t value)
    {
        for (int shift = 28; shift >= 0; shift -= 4)
            Append(L"0123456789abcdef"[(value >> shift) & 0xFu]);
        return *this;
    }

private:
    wchar_t chars[Size] = {};
    std::size_t length = 0;
};

// Decodes one character of UTF-8 at text (which is not at its terminator). Returns the number of
// bytes used and stores the character. A byte that does not start a well-formed sequence
// (including a sequence cut by the terminator) yields U+FFFD and uses that one byte, so any
// byte string decodes without reading past its end.
std::size_t DecodeUtf8(const char* text, wchar_t& out);

// Wide text to UTF-8, for writing to byte streams. Characters that are not valid code points
// (lone surrogates, values above U+10FFFF) become U+FFFD.
std::string NarrowToUtf8(const wchar_t* text);

template <std::size_t Size>
FixedWideText<Size>& FixedWideText<Size>::AppendNarrow(const char* text)
{
    while (text != nullptr && *text != '\0' && length + 1 < Size) {
        wchar_t c;
        text += DecodeUtf8(text, c);
        Append(c);
    }
    return *this;
}
