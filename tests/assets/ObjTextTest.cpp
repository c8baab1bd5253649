#include "assets/ObjText.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/ObjLoader.h"

namespace {

using objtext::NumberStatus;

std::vector<std::string> Split(std::string_view delimiter, std::string_view text)
{
    std::vector<std::string> tokens{"left over"};
    ObjLoader::SplitString(delimiter, text, tokens);
    return tokens;
}

TEST(SplitString, FollowsTheTokenRules)
{
    struct Case {
        std::string_view delimiter;
        std::string_view text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {" ", "v 1 2 3", {"v", "1", "2", "3"}},
        {" ", "v 1 2 3 ", {"v", "1", "2", "3"}},  // a trailing delimiter adds nothing
        {" ", " v 1", {"", "v", "1"}},            // a leading one gives an empty first token
        {" ", "a  b", {"a", "", "b"}},            // each repeated delimiter gives one empty token
        {" ", "a   b", {"a", "", "", "b"}},
        {" ", "a  ", {"a", ""}},
        {" ", " ", {""}},
        {" ", "", {}},
        {" ", "x", {"x"}},
        {" ", "a\tb c", {"a\tb", "c"}},  // a tab is an ordinary character
        {"/", "1/2/3", {"1", "2", "3"}},
        {"/", "1//3", {"1", "", "3"}},
        {"/", "1/2", {"1", "2"}},
        {"/", "1/2/", {"1", "2"}},
        {"/", "/2/3", {"", "2", "3"}},
        {"/", "1", {"1"}},
        {"--", "a--b", {"a", "b"}},
        // After an empty token the scan moves on by one character only, so the second half of a
        // longer delimiter becomes text.
        {"--", "a----b", {"a", "", "-b"}},
        {"--", "ab-", {"ab-"}},  // a partial delimiter at the end is text
        {"--", "a-b", {"a-b"}},
        {"--", "--a", {"", "-a"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Split(c.delimiter, c.text), c.tokens) << "delimiter '" << c.delimiter << "' text '" << c.text << "'";
    }
}

TEST(SplitString, EmptyDelimiterGivesOneEmptyTokenPerCharacter)
{
    EXPECT_EQ(Split("", "abc"), (std::vector<std::string>{"", "", ""}));
}

// The reader splits lines with the view-based splitter; it must give exactly SplitString's tokens.
TEST(SplitFields, MatchesSplitStringOnRandomText)
{
    std::mt19937 random(12345);
    const char alphabet[] = {' ', ' ', '/', 'a', '1', '\t'};
    std::vector<std::string_view> fields;
    for (int round = 0; round < 5000; ++round) {
        std::string text(random() % 12, ' ');
        for (char& c : text) {
            c = alphabet[random() % sizeof alphabet];
        }
        for (char delim : {' ', '/'}) {
            objtext::SplitFields(delim, text, fields);
            const std::vector<std::string> expected = Split(std::string(1, delim), text);
            ASSERT_EQ(std::vector<std::string>(fields.begin(), fields.end()), expected)
                << "text '" << text << "' delimiter '" << delim << "'";
        }
    }
}

// The reader's line splitter against the plain rules: lines end at a line feed, a carriage return right
// before it is dropped, and each line is split like SplitString on " ".
TEST(LineSplitter, MatchesLinesSplitWithSplitString)
{
    std::mt19937 random(777);
    const char alphabet[] = {' ', ' ', '\n', '\r', 'a', 'b', 'c', 'd'};
    std::vector<std::string_view> fields;
    for (int round = 0; round < 5000; ++round) {
        // Long enough for lines that span several 16-character blocks of the scan.
        std::string text(random() % 80, ' ');
        for (char& c : text) {
            c = alphabet[random() % sizeof alphabet];
        }
        std::vector<std::vector<std::string>> expected;
        for (size_t start = 0; start < text.size();) {
            size_t stop = text.find('\n', start);
            const size_t next = stop == std::string::npos ? text.size() : stop + 1;
            std::string line = text.substr(start, (stop == std::string::npos ? text.size() : stop) - start);
            if (stop != std::string::npos && !line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            expected.push_back(Split(" ", line));
            start = next;
        }
        std::vector<std::vector<std::string>> actual;
        objtext::LineSplitter lines(text);
        while (lines.Next(fields)) {
            actual.emplace_back(fields.begin(), fields.end());
            ASSERT_EQ(lines.LineNumber(), actual.size());
        }
        ASSERT_EQ(actual, expected) << "text '" << text << "'";
    }
}

// What std::stoi / std::stof say about a text, as the status of our converters.
template <typename Convert>
NumberStatus StandardStatus(Convert convert)
{
    try {
        convert();
        return NumberStatus::ok;
    } catch (const std::invalid_argument&) {
        return NumberStatus::invalid;
    } catch (const std::out_of_range&) {
        return NumberStatus::outOfRange;
    }
}

TEST(ParseInt, AgreesWithStoi)
{
    const std::string texts[] = {
        "0",
        "7",
        "-7",
        "+7",
        "007",
        "12abc",
        "  \t42",
        "\v\f\r9",
        "2147483647",
        "2147483648",
        "-2147483648",
        "-2147483649",
        "99999999999999999999999",
        "-",
        "+",
        "",
        "abc",
        "+-1",
        "--1",
        " ",
        "1 2",
        "0x1F",
        "1.9",
        std::string("5\0"
                    "9",
                    3),
        "\n3",
    };
    for (const std::string& text : texts) {
        int32_t ours = -12345;
        const NumberStatus status = objtext::ParseInt(text, ours);
        int standard = 0;
        ASSERT_EQ(status, StandardStatus([&] { standard = std::stoi(text); })) << "text '" << text << "'";
        if (status == NumberStatus::ok) {
            EXPECT_EQ(ours, standard) << "text '" << text << "'";
        }
    }
}

// Compares ParseFloat with std::stof on one text. The two differ only where std::stof refuses a
// value below the smallest normal float; the reader then takes the C library's nearest float.
void ExpectAgreesWithStof(const std::string& text, int& underflows)
{
    float ours = -12345.0f;
    const NumberStatus status = objtext::ParseFloat(text, ours);
    float standard = 0.0f;
    const NumberStatus standardStatus = StandardStatus([&] { standard = std::stof(text); });
    if (standardStatus == NumberStatus::outOfRange && status == NumberStatus::ok) {
        ++underflows;
        const float nearest = std::strtof(text.c_str(), nullptr);
        EXPECT_LT(std::fabs(ours), FLT_MIN) << "only underflows may read where std::stof refuses: '" << text << "'";
        EXPECT_EQ(std::bit_cast<uint32_t>(ours), std::bit_cast<uint32_t>(nearest)) << "text '" << text << "'";
        return;
    }
    ASSERT_EQ(status, standardStatus) << "text '" << text << "'";
    if (status == NumberStatus::ok) {
        EXPECT_EQ(ours, standard) << "text '" << text << "'";
        EXPECT_EQ(std::signbit(ours), std::signbit(standard)) << "text '" << text << "'";
    }
}

TEST(ParseFloat, AgreesWithStofOnDecimalNumbers)
{
    const std::string texts[] = {
        "0",
        "-0",
        "1",
        "1.5",
        "-1.5",
        "+.5",
        "-.5e1",
        "5.",
        "1.5abc",
        "1e",
        "1e+",
        "1e-",
        "1e5x",
        " \t\v\f\r7",
        "0.1",
        "3.14159265358979",
        "123456789012345678901234567890",
        "1e38",
        "3.4028235e38",
        "3.4028236e38",
        "1e39",
        "1e999",
        "-1e999",
        "1e-38",
        "1.17549435e-38",
        "1.1754942e-38",
        "1e-40",
        "1e-45",
        "1e-46",
        "1e-50",
        "0e999999",
        "00000.0000001e-300",
        "1e99999999999999999999",
        "1e-99999999999999999999",
        "1.40129846432481707092372958328991613128026194187651577175706828388979108268586060148663818836212158203125e-"
        "45",
        "",
        "-",
        "+",
        ".",
        ".e1",
        "e5",
        "abc",
        "+-1",
        " ",
        std::string("2.5\0"
                    "9",
                    5),
        "1,5",
    };
    int underflows = 0;
    for (const std::string& text : texts) {
        ExpectAgreesWithStof(text, underflows);
    }
    // 1e-38, 1.1754942e-38, 1e-40, 1e-45, 1e-46, 1e-50, 00000.0000001e-300, 1e-99999999999999999999; the
    // exact denormal 1.40129846...e-45 std::stof reads too.
    EXPECT_EQ(underflows, 8);
}

TEST(ParseFloat, AgreesWithStofOnRandomDecimals)
{
    std::mt19937 random(4242);
    int underflows = 0;
    const char alphabet[] = "0123456789.-+e";
    for (int round = 0; round < 100000; ++round) {
        std::string text(1 + random() % 14, '0');
        for (char& c : text) {
            // Mostly digits, sometimes a point, sign or exponent.
            c = random() % 4 == 0 ? alphabet[random() % 14] : alphabet[random() % 10];
        }
        ExpectAgreesWithStof(text, underflows);
        if (HasFailure()) {
            return;
        }
    }
    EXPECT_GT(underflows, 0) << "the random texts should reach below the normal range now and then";
}

TEST(ParseFloat, ReadsDecimalNumbersOnly)
{
    struct Case {
        std::string_view text;
        NumberStatus status;
        float value;
    };
    const Case cases[] = {
        {"0x10", NumberStatus::ok, 0.0f},  // a hexadecimal number stops after its 0
        {"inf", NumberStatus::invalid, 0.0f}, {"-infinity", NumberStatus::invalid, 0.0f},
        {"nan", NumberStatus::invalid, 0.0f}, {"1e400x", NumberStatus::outOfRange, 0.0f},
    };
    for (const Case& c : cases) {
        float value = 0.0f;
        EXPECT_EQ(objtext::ParseFloat(c.text, value), c.status) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

}  // namespace
