#include "assets/ObjText.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace objtext {

void SplitFields(char delim, std::string_view text, std::vector<std::string_view>& fields)
{
    fields.clear();
    // Tokens are short, so a plain scan beats a library search per token.
    const char* const end = text.data() + text.size();
    const char* start = text.data();
    for (const char* p = start; p != end; ++p) {
        if (*p == delim) {
            fields.emplace_back(start, static_cast<size_t>(p - start));
            start = p + 1;
        }
    }
    if (start != end) {
        fields.emplace_back(start, static_cast<size_t>(end - start));
    }
}

bool LineSplitter::Next(std::vector<std::string_view>& fields)
{
    fields.clear();
    if (rest.empty()) {
        return false;
    }
    ++lineNumber;
    const char* const begin = rest.data();
    const char* const end = begin + rest.size();
    const char* start = begin;  // of the token under way
    const char* p = begin;
    const char* lineFeed = nullptr;
    // The text of a large model comes from memory, not cache; asking for the page ahead (harmless past
    // the end: a prefetch never faults) hides part of the wait.
    __builtin_prefetch(begin + 4096);
#if defined(__SSE2__)
    // Sixteen characters at a time: a mask of the spaces and line feeds, visited bit by bit. This scan
    // is most of the reader's time on large models. The last, shorter piece is left to the loop below so
    // that nothing past the text is read.
    const __m128i spaces = _mm_set1_epi8(' ');
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    while (lineFeed == nullptr && end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, spaces), _mm_cmpeq_epi8(chunk, lineFeeds))));
        for (; mask != 0; mask &= mask - 1) {
            const char* hit = p + __builtin_ctz(mask);
            if (*hit == '\n') {
                lineFeed = hit;
                break;
            }
            fields.emplace_back(start, static_cast<size_t>(hit - start));
            start = hit + 1;
        }
        p += 16;
    }
#endif
    for (; lineFeed == nullptr && p != end; ++p) {
        if (*p == '\n') {
            lineFeed = p;
        } else if (*p == ' ') {
            fields.emplace_back(start, static_cast<size_t>(p - start));
            start = p + 1;
        }
    }
    const char* lineEnd = lineFeed != nullptr ? lineFeed : end;
    const char* const next = lineFeed != nullptr ? lineFeed + 1 : end;
    if (lineFeed != nullptr && lineEnd != begin && lineEnd[-1] == '\r') {
        --lineEnd;
    }
    if (start < lineEnd) {
        fields.emplace_back(start, static_cast<size_t>(lineEnd - start));
    }
    rest.remove_prefix(static_cast<size_t>(next - begin));
    return true;
}

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decides the rare results (overflow, underflow to zero) with the C library itself, so that the
// overflow boundary is exactly that of std::stof. strtof reports ERANGE both for overflow (returning an
// infinity) and for an underflow that loses precision (returning the correctly rounded denormal or
// zero); only the first is outside the float range.
NumberStatus ParseFloatWithCLibrary(std::string_view number, float& value)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const std::string copy(number);
    errno = 0;
    // Should the C locale be unavailable, the process locale is the best left; the show never changes it
    // from "C".
    const float result = cLocale != nullptr ? strtof_l(copy.c_str(), nullptr, cLocale)
                                            : std::strtof(copy.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(result)) {
        return NumberStatus::outOfRange;
    }
    value = result;
    return NumberStatus::ok;
}

// Numbers such as "-0.123456": at most 24 bits of digits and at most ten of them after the point, with
// no exponent. Both the digits and the power of ten are then exact floats, so one division gives the
// correctly rounded value (the fast path of every exact decimal reader). False for anything else.
bool ParseShortDecimal(const char* p, const char* end, bool negative, float& value)
{
    constexpr uint32_t kExactLimit = uint32_t{1} << 24;
    static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    uint32_t digits = 0;
    for (; p != end && IsDigit(*p); ++p) {
        digits = digits * 10 + static_cast<uint32_t>(*p - '0');
        if (digits >= kExactLimit) {
            return false;
        }
    }
    int fractionDigits = 0;
    if (p != end && *p == '.') {
        for (++p; p != end && IsDigit(*p); ++p) {
            digits = digits * 10 + static_cast<uint32_t>(*p - '0');
            if (digits >= kExactLimit || ++fractionDigits > 10) {
                return false;
            }
        }
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        return false;
    }
    const float magnitude = static_cast<float>(digits) / kPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

NumberStatus ParseInt(std::string_view text, int32_t& value)
{
    // A NUL byte ends the number like any other character that is not part of it, as it ends the
    // C string that std::stoi reads.
    size_t p = 0;
    while (p < text.size() && IsCSpace(text[p])) {
        ++p;
    }
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || !IsDigit(text[p])) {
        return NumberStatus::invalid;
    }
    // Accumulate the magnitude; once it passes the int32 range the rest of the digits only matter
    // for finding where the number ends.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    bool tooLarge = false;
    for (; p < text.size() && IsDigit(text[p]); ++p) {
        if (!tooLarge) {
            magnitude = magnitude * 10 + (text[p] - '0');
            tooLarge = magnitude > kLimit;
        }
    }
    if (tooLarge || (!negative && magnitude == kLimit)) {
        return NumberStatus::outOfRange;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return NumberStatus::ok;
}

NumberStatus ParseFloat(std::string_view text, float& value)
{
    // A NUL byte cannot be part of the number, so it ends the scan as it ends std::stof's C string.
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && IsCSpace(*p)) {
        ++p;
    }
    // std::from_chars takes a minus sign but no plus sign.
    const char* begin = p;
    if (p != end && (*p == '+' || *p == '-')) {
        if (*p == '+') {
            begin = p + 1;
        }
        ++p;
    }
    // Only a decimal number may follow: this keeps out inf, nan and a second sign.
    const bool startsNumber = p != end && (IsDigit(*p) || (*p == '.' && p + 1 != end && IsDigit(p[1])));
    if (!startsNumber) {
        return NumberStatus::invalid;
    }
    float result = 0.0f;
    if (ParseShortDecimal(p, end, *begin == '-', result)) {
        value = result;
        return NumberStatus::ok;
    }
    // from_chars rounds correctly, denormals included; it reports underflow to zero and overflow
    // alike as out of range, which the C library then tells apart.
    const std::from_chars_result parsed = std::from_chars(begin, end, result, std::chars_format::general);
    if (parsed.ec == std::errc()) {
        value = result;
        return NumberStatus::ok;
    }
    if (parsed.ec != std::errc() && parsed.ec != std::errc::result_out_of_range) {
        return NumberStatus::invalid;
    }
    return ParseFloatWithCLibrary(std::string_view(begin, static_cast<size_t>(parsed.ptr - begin)), value);
}

}  // namespace objtext
