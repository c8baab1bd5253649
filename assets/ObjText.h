#pragma once
// Low-level text helpers of the OBJ/MTL reader: line splitting on a one-character delimiter and the
// number conversions. They work on views into the file buffer so that the reader allocates nothing
// per token; the results are exactly those of ObjLoader::SplitString and of std::stoi/std::stof in
// the C locale (decimal only), which the tests check against each other, with one exception in
// ParseFloat: tiny values (below).

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
// ("0x10" reads as 0, "inf" is invalid). A value beyond the largest float is out of range.
//
// Where it differs from std::stof: a value too small for a normal float reads as the nearest float,
// a denormal or a zero with the sign as written ("1e-40" is 9.99995e-41, "1.4e-45" is the smallest
// denormal 1.4013e-45, "-1e-50" is -0). std::stof throws out_of_range for each of these, because the
// C library's strtof reports ERANGE for any underflow that is not exact, although the value lies
// inside the float range; a model coordinate written that small means "next to nothing", and refusing
// it would end the show's start-up. Exactly representable denormals and every other input read as
// std::stof reads them.
NumberStatus ParseFloat(std::string_view text, float& value);

}  // namespace objtext
