#include "diag/WideText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FixedWideText, CutsAtSizeLessOneAndStaysTerminated)
{
    FixedWideText<6> text;
    text.Append(L"abc").AppendUnsigned(12345).Append(L'z').AppendNarrow("q");
    EXPECT_STREQ(text.Text(), L"abc12");
    EXPECT_EQ(text.Length(), 5u);

    FixedWideText<1> none;
    none.Append(L"abc").AppendHex8(0xFFu);
    EXPECT_STREQ(none.Text(), L"");

    FixedWideText<32> numbers;
    numbers.AppendUnsigned(0)
        .Append(L' ')
        .AppendUnsigned(4294967295u)
        .Append(L' ')
        .AppendHex8(0xABCu)
        .Append(static_cast<const wchar_t*>(nullptr))
        .AppendNarrow(nullptr);
    EXPECT_STREQ(numbers.Text(), L"0 4294967295 00000abc");
}

TEST(DecodeUtf8, DecodesWellFormedAndReplacesTheRest)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::wstring decoded;
    };
    const Case cases[] = {
        {"ascii", "Fx", L"Fx"},
        {"two bytes", "\xC3\xA9", L"\u00E9"},
        {"three bytes", "\xE2\x82\xAC", L"\u20AC"},
        {"four bytes", "\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600))},
        {"stray continuation",
         "\x80"
         "a",
         L"\uFFFD"
         "a"},
        {"overlong", "\xC0\xAF", L"\uFFFD\uFFFD"},
        {"overlong three", "\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},
        {"surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"cut at the end", "a\xE2\x82", L"a\uFFFD\uFFFD"},
        {"invalid lead", "\xFF", L"\uFFFD"},
    };
    for (const Case& c : cases) {
        FixedWideText<16> text;
        text.AppendNarrow(c.bytes.c_str());
        EXPECT_EQ(std::wstring(text.Text()), c.decoded) << c.what;
    }
}

TEST(NarrowToUtf8, EncodesAndReplacesInvalidCodePoints)
{
    const wchar_t text[] = {L'a', 0xE9, 0x20AC, static_cast<wchar_t>(0x1F600), 0xD800, static_cast<wchar_t>(0x110000),
                            0};
    EXPECT_EQ(NarrowToUtf8(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(NarrowToUtf8(nullptr), "");

    // What the decoder reads back is what was encoded.
    FixedWideText<16> back;
    back.AppendNarrow(NarrowToUtf8(L"\u00E9\u20AC").c_str());
    EXPECT_STREQ(back.Text(), L"\u00E9\u20AC");
}

}  // namespace
