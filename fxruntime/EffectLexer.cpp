#include "fxruntime/EffectLexer.h"

#include <cctype>
#include <cstdlib>

namespace {

class Lexer {
public:
    explicit Lexer(const std::string& text) : s_(text) {}

    void Run(LexedText& out)
    {
        std::vector<Token>& tokens = out.tokens;
        bool lineStart = true;
        while (i_ < s_.size()) {
            const char c = s_[i_];
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
                while (i_ < s_.size() && s_[i_] != '\n')
                    Advance();
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                const int startLine = line_;
                Advance();
                Advance();
                while (i_ < s_.size() && !(s_[i_] == '*' && Peek(1) == '/'))
                    Advance();
                if (i_ >= s_.size()) {
                    out.error = "unterminated comment";
                    out.errorLine = startLine;
                    return;
                }
                Advance();
                Advance();
                continue;
            }
            if (c == '#' && lineStart) {
                Directive(out);
                continue;
            }
            lineStart = false;
            Token t{TokenKind::Punct, i_, i_, line_, column_, {}};
            if (IsIdentStart(c)) {
                t.kind = TokenKind::Identifier;
                while (i_ < s_.size() && IsIdentChar(s_[i_]))
                    Advance();
            } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                       (c == '.' && std::isdigit(static_cast<unsigned char>(Peek(1))))) {
                t.kind = TokenKind::Number;
                const bool hex = c == '0' && (Peek(1) == 'x' || Peek(1) == 'X');
                while (i_ < s_.size() && (IsIdentChar(s_[i_]) || s_[i_] == '.')) {
                    const bool exponent = !hex && (s_[i_] == 'e' || s_[i_] == 'E') &&
                                          (Peek(1) == '+' || Peek(1) == '-');
                    Advance();
                    if (exponent)
                        Advance();
                }
            } else if (c == '"') {
                t.kind = TokenKind::String;
                Advance();
                while (i_ < s_.size() && s_[i_] != '"' && s_[i_] != '\n')
                    Advance();
                if (i_ < s_.size() && s_[i_] == '"')
                    Advance();
            } else {
                Advance();
            }
            t.end = i_;
            t.text = s_.substr(t.begin, t.end - t.begin);
            tokens.push_back(std::move(t));
        }
    }

private:
    char Peek(int k) const
    {
        const auto at = static_cast<std::ptrdiff_t>(i_) + k;
        return at >= 0 && static_cast<std::size_t>(at) < s_.size() ? s_[static_cast<std::size_t>(at)] : '\0';
    }
    void Advance()
    {
        if (s_[i_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        ++i_;
    }
    // A directive runs to the end of the line, continued by a trailing backslash.
    void Directive(LexedText& out)
    {
        const std::size_t offset = i_;
        const int line = line_;
        const int column = column_;
        std::string text;
        while (i_ < s_.size() && s_[i_] != '\n') {
            if (s_[i_] == '\\' && Peek(1) == '\n') {
                Advance();
                Advance();
                continue;
            }
            text += s_[i_];
            Advance();
        }
        std::size_t p = 1;
        while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p])))
            ++p;
        if (text.compare(p, 6, "pragma") == 0) {
            std::string compact;
            for (std::size_t q = p + 6; q < text.size(); ++q)
                if (!std::isspace(static_cast<unsigned char>(text[q])))
                    compact += text[q];
            if (compact == "pack_matrix(row_major)")
                out.packMatrix.push_back({offset, true});
            if (compact == "pack_matrix(column_major)")
                out.packMatrix.push_back({offset, false});
            return;
        }
        if (text.compare(p, 7, "include") != 0)
            return;
        p += 7;
        while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p])))
            ++p;
        if (p >= text.size() || (text[p] != '"' && text[p] != '<'))
            return;
        const char close = text[p] == '"' ? '"' : '>';
        const std::size_t q = text.find(close, p + 1);
        if (q == std::string::npos)
            return;
        out.includes.push_back({text.substr(p + 1, q - p - 1), line, column});
    }

    const std::string& s_;
    std::size_t i_ = 0;
    int line_ = 1;
    int column_ = 1;
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
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool SameNoCase(const std::string& a, const std::string& b)
{
    return Upper(a) == Upper(b);
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
        !(t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')))
        t.pop_back();
    if (!t.empty() && (t.back() == 'u' || t.back() == 'U' || t.back() == 'l' || t.back() == 'L'))
        t.pop_back();
    if (t.empty())
        return false;
    // strtod also reads "nan" and "inf", which are no HLSL literals and would reach integer casts.
    const std::size_t digit = t[0] == '-' || t[0] == '+' ? 1 : 0;
    if (digit >= t.size() || !(std::isdigit(static_cast<unsigned char>(t[digit])) || t[digit] == '.'))
        return false;
    char* end = nullptr;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        value = static_cast<double>(std::strtoull(t.c_str() + 2, &end, 16));
    } else {
        value = std::strtod(t.c_str(), &end);
    }
    return end != nullptr && *end == '\0';
}
