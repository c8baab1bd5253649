#pragma once
// Low-level text helpers of the OBJ/MTL reader: line splitting on a one-character delimiter and the
// number conversions. They work on views into the file buffer so that the reader allocates nothing
// per token; the results are exactly those of ObjLoader::SplitString and of std::stoi/std::stof in
// the C locale (decimal only), which the tests check against each other.

#include <cstdint>
#include <string_view>
#include <vector>

namespace objtext {

// Splits text on delim into views, with the rules of ObjLoader::SplitString for a delimiter of one
// character: every delimiter closes the piece before it (an empty piece included), and the piece
// after the last delimiter is kept only when it is not empty. An empty text gives no pieces.
void SplitFields(char delim, std::string_view text, std::vector<std::string_view>& fields);

// Hands out the lines of a text one at a time, each split on spaces like SplitFields. A line ends at a
// line feed (the last one need not) and a carriage return right before the line feed is dropped, as a
// text-mode read does. One scan finds both the line end and the tokens.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text) : rest(text) {}

    // False at the end of the text.
    bool Next(std::vector<std::string_view>& fields);
    size_t LineNumber() const { return lineNumber; }  // 1-based, of the line last handed out

private:
    std::string_view rest;
    size_t lineNumber = 0;
};

enum class NumberStatus {
    ok,
    invalid,     // no number at the start of the text
    outOfRange,  // the value does not fit the type
};

// std::stoi semantics in the C locale: skips leading white space (space, \t, \n, \v, \f, \r), takes an
// optional sign and the longest run of decimal digits and ignores the rest. A NUL byte ends the text,
// as it ends the string that std::stoi reads.
NumberStatus ParseInt(std::string_view text, int32_t& value);

// std::stof semantics in the C locale, restricted to decimal numbers: skips leading white space,
// takes an optional sign, digits, an optional fraction and an optional exponent, and ignores the rest
// ("1.5abc" is 1.5, "1e" is 1). Hexadecimal numbers and the words inf and nan are not numbers here
// ("0x10" reads as 0, "inf" is invalid). A value beyond the float range is out of range; so is one that
// underflows to zero or to an inexact denormal, because the C library's strtof reports ERANGE for those
// and std::stof turns that into out_of_range. An exactly representable denormal is accepted.
NumberStatus ParseFloat(std::string_view text, float& value);

}  // namespace objtext
