#include "fxruntime/EffectLexer.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

class Lexer {
public:
    explicit Lexer(const std::string& text) : source(text) {}

    void Run(LexedText& out)
    {
        bool lineStart = true;
        while (cursor < source.size()) {
            const char c = source[cursor];
            if (c == '\n') {
                Advance();
                lineStart = true;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                Advance();
                continue;
            }
            if (c == '/' && Peek(1) == '/') {
                while (cursor < source.size() && source[cursor] != '\n') {
                    Advance();
                }
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                const int startLine = cursorLine;
                Advance();
                Advance();
                while (cursor < source.size() && !(source[cursor] == '*' && Peek(1) == '/')) {
                    Advance();
                }
                if (cursor >= source.size()) {
                    out.error = "unterminated comment";
                    out.errorLine = startLine;
                    return;
                }
                Advance();
                Advance();
                continue;
            }
            if (c == '#' && lineStart) {
                if (!Directive(out)) {
                    return;
                }
                continue;
            }
            if (static_cast<unsigned char>(c) >= 0x80) {
                // The HLSL compiler would name a "<bad token>" at the start of the line.
                char byte[8];
                std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(c));
                out.error = std::string("a non-ASCII character (byte ") + byte +
                            ") outside a comment or string; HLSL names and symbols are ASCII";
                out.errorLine = cursorLine;
                out.errorColumn = cursorColumn;
                return;
            }
            lineStart = false;
            out.tokens.push_back(ReadToken(c));
        }
    }

private:
    // The token at the cursor, which starts with `c` and is no blank, comment or directive.
    Token ReadToken(char c)
    {
        Token t{TokenKind::Punct, cursor, cursor, cursorLine, cursorColumn, {}};
        if (IsIdentStart(c)) {
            t.kind = TokenKind::Identifier;
            while (cursor < source.size() && IsIdentChar(source[cursor])) {
                Advance();
            }
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && std::isdigit(static_cast<unsigned char>(Peek(1))))) {
            t.kind = TokenKind::Number;
            const bool hex = c == '0' && (Peek(1) == 'x' || Peek(1) == 'X');
            while (cursor < source.size() && (IsIdentChar(source[cursor]) || source[cursor] == '.')) {
                const bool exponent = !hex && (source[cursor] == 'e' || source[cursor] == 'E') &&
                                      (Peek(1) == '+' || Peek(1) == '-');
                Advance();
                if (exponent) {
                    Advance();
                }
            }
        } else if (c == '"') {
            t.kind = TokenKind::String;
            Advance();
            while (cursor < source.size() && source[cursor] != '"' && source[cursor] != '\n') {
                Advance();
            }
            if (cursor < source.size() && source[cursor] == '"') {
                Advance();
            }
        } else {
            Advance();
        }
        t.end = cursor;
        t.text = source.substr(t.begin, t.end - t.begin);
        return t;
    }
    char Peek(int k) const
    {
        const auto at = static_cast<std::ptrdiff_t>(cursor) + k;
        return at >= 0 && static_cast<std::size_t>(at) < source.size() ? source[static_cast<std::size_t>(at)] : '\0';
    }
    void Advance()
    {
        if (source[cursor] == '\n') {
            ++cursorLine;
            cursorColumn = 1;
        } else {
            ++cursorColumn;
        }
        ++cursor;
    }
    // A directive runs to the end of the line, continued by a trailing backslash. False when it is
    // malformed in a way the text cannot be read past (out.error says how).
    bool Directive(LexedText& out)
    {
        const std::size_t offset = cursor;
        const int line = cursorLine;
        const int column = cursorColumn;
        std::string text;
        while (cursor < source.size() && source[cursor] != '\n') {
            if (source[cursor] == '\\' && Peek(1) == '\n') {
                Advance();
                Advance();
                continue;
            }
            text += source[cursor];
            Advance();
        }
        std::size_t p = 1;
        while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) {
            ++p;
        }
        if (text.compare(p, 6, "pragma") == 0) {
            std::string compact;
            for (std::size_t q = p + 6; q < text.size(); ++q) {
                if (!std::isspace(static_cast<unsigned char>(text[q]))) {
                    compact += text[q];
                }
            }
            if (compact == "pack_matrix(row_major)") {
                out.packMatrix.push_back({offset, true});
            }
            if (compact == "pack_matrix(column_major)") {
                out.packMatrix.push_back({offset, false});
            }
            return true;
        }
        if (text.compare(p, 4, "line") == 0 && (p + 4 == text.size() || !IsIdentChar(text[p + 4]))) {
            return LineDirective(out, text.substr(p + 4), {offset, cursor}, line, column);
        }
        if (text.compare(p, 6, "define") == 0 && p + 6 < text.size() && !IsIdentChar(text[p + 6])) {
            return Define(out, text.substr(p + 6), offset, line, column);
        }
        if (text.compare(p, 5, "undef") == 0 && p + 5 < text.size() && !IsIdentChar(text[p + 5])) {
            const std::string name = FirstIdentifier(text, p + 5);
            macroSizes.erase(name);
            out.macros.push_back({name, true, false, {}, offset, line, column});
            return true;
        }
        if (text.compare(p, 7, "include") != 0) {
            return true;
        }
        p += 7;
        while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) {
            ++p;
        }
        if (p >= text.size() || (text[p] != '"' && text[p] != '<')) {
            return true;
        }
        const char close = text[p] == '"' ? '"' : '>';
        const std::size_t q = text.find(close, p + 1);
        if (q == std::string::npos) {
            return true;
        }
        out.includes.push_back({text.substr(p + 1, q - p - 1), line, column});
        return true;
    }

    static std::string FirstIdentifier(const std::string& text, std::size_t p)
    {
        while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) {
            ++p;
        }
        std::size_t q = p;
        while (q < text.size() && IsIdentChar(text[q])) {
            ++q;
        }
        return text.substr(p, q - p);
    }

    // Keeps the number of tokens each macro expands to, counting the macros its body names by their
    // own expansions: a chain of macros that each use the one before twice reaches 2^40 tokens in 40
    // lines, which the HLSL compiler's preprocessor would expand for minutes while memory lasts.
    bool Define(LexedText& out, const std::string& rest, std::size_t offset, int line, int column)
    {
        const std::string name = FirstIdentifier(rest, 0);
        if (name.empty()) {
            return true;  // the HLSL compiler says what is wrong
        }
        std::size_t p = rest.find(name) + name.size();
        const bool functionLike = p < rest.size() && rest[p] == '(';
        if (functionLike) {
            const std::size_t close = rest.find(')', p);
            p = close == std::string::npos ? rest.size() : close + 1;
        }
        const std::size_t first = rest.find_first_not_of(" \t\r\n\\", p);
        const std::size_t last = rest.find_last_not_of(" \t\r\n\\");
        out.macros.push_back({name, false, functionLike,
                              first == std::string::npos ? std::string() : rest.substr(first, last - first + 1), offset,
                              line, column});
        std::uint64_t size = 0;
        while (p < rest.size() && size <= kMaxMacroTokens) {
            const char c = rest[p];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++p;
            } else if (IsIdentStart(c)) {
                std::size_t q = p;
                while (q < rest.size() && IsIdentChar(rest[q])) {
                    ++q;
                }
                const auto known = macroSizes.find(rest.substr(p, q - p));
                size += known != macroSizes.end() ? known->second : 1;
                p = q;
            } else {
                ++size;
                ++p;
            }
        }
        if (size > kMaxMacroTokens) {
            out.error = "the macro '" + name + "' expands to more than " + std::to_string(kMaxMacroTokens) +
                        " tokens; no shader needs that many";
            out.errorLine = line;
            out.errorColumn = column;
            return false;
        }
        macroSizes[name] = size;
        return true;
    }

    // "#line N" or "#line N "file"": N must be a line number the preprocessor can count from.
    static bool LineDirective(LexedText& out, const std::string& rest, TextSpan span, int line, int column)
    {
        std::size_t p = 0;
        while (p < rest.size() && std::isspace(static_cast<unsigned char>(rest[p]))) {
            ++p;
        }
        std::size_t q = p;
        while (q < rest.size() && !std::isspace(static_cast<unsigned char>(rest[q]))) {
            ++q;
        }
        const std::string number = rest.substr(p, q - p);
        const bool digits = !number.empty() && number.size() <= 10 &&
                            number.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::strtoull(number.c_str(), nullptr, 10) - 1 >= 2147483647ull) {
            out.error = "#line takes a line number from 1 to 2147483647, not \"" + number + "\"";
            out.errorLine = line;
            out.errorColumn = column;
            return false;
        }
        out.lineDirectives.push_back(span);
        return true;
    }

    static constexpr std::uint64_t kMaxMacroTokens = 1000000;

    const std::string& source;
    std::map<std::string, std::uint64_t> macroSizes;
    std::size_t cursor = 0;
    int cursorLine = 1;
    int cursorColumn = 1;
};

// Reads numbers the way effect files write them: 1, 1.5f, -2, 0x0F, TRUE.

}  // namespace

LexedText LexEffectText(const std::string& text)
{
    LexedText out;
    Lexer(text).Run(out);
    return out;
}

bool IsIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string Upper(std::string s)
{
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

bool SameNoCase(const std::string& a, const std::string& b)
{
    return Upper(a) == Upper(b);
}

bool IsTechniqueKeyword(const std::string& word)
{
    return word == "technique11" || word == "technique10" || SameNoCase(word, "technique");
}

bool ParseNumber(const std::string& text, double& value)
{
    std::string t = text;
    if (SameNoCase(t, "true")) {
        value = 1;
        return true;
    }
    if (SameNoCase(t, "false")) {
        value = 0;
        return true;
    }
    if (!t.empty() && (t.back() == 'f' || t.back() == 'F' || t.back() == 'h' || t.back() == 'H') &&
        !(t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))) {
        t.pop_back();
    }
    if (!t.empty() && (t.back() == 'u' || t.back() == 'U' || t.back() == 'l' || t.back() == 'L')) {
        t.pop_back();
    }
    if (t.empty()) {
        return false;
    }
    // strtod also reads "nan" and "inf", which are no HLSL literals and would reach integer casts.
    const std::size_t digit = t[0] == '-' || t[0] == '+' ? 1 : 0;
    if (digit >= t.size() || !(std::isdigit(static_cast<unsigned char>(t[digit])) || t[digit] == '.')) {
        return false;
    }
    char* end = nullptr;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        value = static_cast<double>(std::strtoull(t.c_str() + 2, &end, 16));
    } else {
        value = std::strtod(t.c_str(), &end);
    }
    return end != nullptr && *end == '\0';
}
