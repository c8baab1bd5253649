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

namespace objtext {

void SplitFields(char delim, std::string_view text, std::vector<std::string_view>& fields)
{
    fields.clear();
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        const void* hit = std::memchr(p, delim, static_cast<size_t>(end - p));
        if (hit == nullptr) {
            // The last piece: not empty here, since p is before the end.
            fields.emplace_back(p, static_cast<size_t>(end - p));
            break;
        }
        const char* stop = static_cast<const char*>(hit);
        fields.emplace_back(p, static_cast<size_t>(stop - p));
        p = stop + 1;
    }
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

// The converters read a NUL-terminated string; a NUL inside the token ends it the same way.
std::string_view UpToNul(std::string_view text)
{
    const size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// Decides the rare results (overflow, underflow, denormals) with the C library itself, so that the
// boundaries are exactly those of std::stof: strtof reports ERANGE for overflow and for an underflow
// that loses precision, but not for an exact denormal.
NumberStatus ParseFloatWithCLibrary(std::string_view number, float& value)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const std::string copy(number);
    errno = 0;
    const float result = strtof_l(copy.c_str(), nullptr, cLocale);
    if (errno == ERANGE) {
        return NumberStatus::outOfRange;
    }
    value = result;
    return NumberStatus::ok;
}

}  // namespace

NumberStatus ParseInt(std::string_view text, int32_t& value)
{
    text = UpToNul(text);
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
    text = UpToNul(text);
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
    const std::from_chars_result parsed = std::from_chars(begin, end, result, std::chars_format::general);
    if (parsed.ec == std::errc() && std::fpclassify(result) != FP_SUBNORMAL) {
        value = result;
        return NumberStatus::ok;
    }
    if (parsed.ec != std::errc() && parsed.ec != std::errc::result_out_of_range) {
        return NumberStatus::invalid;
    }
    return ParseFloatWithCLibrary(std::string_view(begin, static_cast<size_t>(parsed.ptr - begin)), value);
}

}  // namespace objtext
