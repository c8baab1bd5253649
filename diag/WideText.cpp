#include "diag/WideText.h"

namespace {

constexpr wchar_t ReplacementChar = static_cast<wchar_t>(0xFFFD);

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0u) == 0x80u;
}

}  // namespace

std::size_t DecodeUtf8(const char* text, wchar_t& out)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = bytes[0];
    out = ReplacementChar;
    if (lead < 0x80u) {
        out = static_cast<wchar_t>(lead);
        return 1;
    }
    std::size_t count;
    std::uint32_t value;
    std::uint32_t minimum;
    if (lead >= 0xC2u && lead <= 0xDFu) {
        count = 2;
        value = lead & 0x1Fu;
        minimum = 0x80u;
    } else if (lead >= 0xE0u && lead <= 0xEFu) {
        count = 3;
        value = lead & 0x0Fu;
        minimum = 0x800u;
    } else if (lead >= 0xF0u && lead <= 0xF4u) {
        count = 4;
        value = lead & 0x07u;
        minimum = 0x10000u;
    } else {
        return 1;
    }
    // A terminator is not a continuation byte, so this never reads past the end of the text.
    for (std::size_t i = 1; i < count; ++i) {
        if (!IsContinuation(bytes[i]))
            return 1;
        value = (value << 6) | (bytes[i] & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFFu || (value >= 0xD800u && value <= 0xDFFFu))
        return 1;
    // wchar_t is 32-bit on this platform; a 16-bit one could not hold characters past U+FFFF.
    if (sizeof(wchar_t) < 4 && value > 0xFFFFu)
        return count;
    out = static_cast<wchar_t>(value);
    return count;
}

std::string NarrowToUtf8(const wchar_t* text)
{
    std::string out;
    for (; text != nullptr && *text != L'\0'; ++text) {
        auto value = static_cast<std::uint32_t>(*text);
        if (value > 0x10FFFFu || (value >= 0xD800u && value <= 0xDFFFu))
            value = 0xFFFDu;
        if (value < 0x80u) {
            out += static_cast<char>(value);
        } else if (value < 0x800u) {
            out += static_cast<char>(0xC0u | (value >> 6));
            out += static_cast<char>(0x80u | (value & 0x3Fu));
        } else if (value < 0x10000u) {
            out += static_cast<char>(0xE0u | (value >> 12));
            out += static_cast<char>(0x80u | ((value >> 6) & 0x3Fu));
            out += static_cast<char>(0x80u | (value & 0x3Fu));
        } else {
            out += static_cast<char>(0xF0u | (value >> 18));
            out += static_cast<char>(0x80u | ((value >> 12) & 0x3Fu));
            out += static_cast<char>(0x80u | ((value >> 6) & 0x3Fu));
            out += static_cast<char>(0x80u | (value & 0x3Fu));
        }
    }
    return out;
}
