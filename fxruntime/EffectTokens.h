#pragma once
// The tokens of one effect file with the helpers the front end's readers share: looking at
// tokens, matching brackets, reporting at a token, and blanking effect constructs out of the text
// handed to the HLSL compiler.
#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "fxruntime/EffectLexer.h"
#include "fxruntime/EffectSource.h"

class EffectTokens {
public:
    EffectTokens(EffectSource& out, std::string path, const std::string& text)
        : effect(out),
          filePath(std::move(path)),
          fileText(text),
          blankedText(text)
    {}

    EffectSourceLocation At(std::size_t k) const
    {
        if (k >= tokens.size()) {
            if (tokens.empty()) {
                return {filePath, 1, 1};
            }
            return {filePath, tokens.back().line, tokens.back().column + static_cast<int>(tokens.back().text.size())};
        }
        return {filePath, tokens[k].line, tokens[k].column};
    }
    void Report(const EffectSourceLocation& where, bool error, const char* code, const std::string& text)
    {
        effect.diagnostics.push_back({where.file, where.line, where.column, error, code, text});
    }
    void Error(const EffectSourceLocation& where, const std::string& text) { Report(where, true, "X3000", text); }
    bool Is(std::size_t k, const char* text) const { return k < tokens.size() && tokens[k].text == text; }
    bool IsIdent(std::size_t k) const { return k < tokens.size() && tokens[k].kind == TokenKind::Identifier; }
    bool IsNumber(std::size_t k) const { return k < tokens.size() && tokens[k].kind == TokenKind::Number; }
    const std::string& Text(std::size_t k) const
    {
        static const std::string kEnd = "end of file";
        return k < tokens.size() ? tokens[k].text : kEnd;
    }
    std::size_t Size() const { return tokens.size(); }
    bool Expect(std::size_t& k, const char* text)
    {
        if (Is(k, text)) {
            ++k;
            return true;
        }
        Error(At(k), std::string("expected '") + text + "' but found '" + Text(k) + "'");
        return false;
    }
    // Index of the bracket that closes the one at k, or Size() when unbalanced.
    std::size_t Match(std::size_t k) const
    {
        const std::string open = tokens[k].text;
        const std::string close = open == "(" ? ")" : open == "{" ? "}" : open == "[" ? "]" : ">";
        int depth = 0;
        for (std::size_t j = k; j < tokens.size(); ++j) {
            if (tokens[j].text == open) {
                ++depth;
            }
            if (tokens[j].text == close && --depth == 0) {
                return j;
            }
        }
        return tokens.size();
    }
    // Blanks the tokens [a, b] out of the text, keeping line breaks so that lines stay put.
    void Blank(std::size_t a, std::size_t b)
    {
        BlankBytes(tokens[a].begin, b < tokens.size() ? tokens[b].end : fileText.size());
    }
    // Blanks the bytes [from, to) of the text for the HLSL compiler, line breaks kept.
    void BlankBytes(std::size_t from, std::size_t to)
    {
        for (std::size_t i = from; i < to && i < blankedText.size(); ++i) {
            if (blankedText[i] != '\n') {
                blankedText[i] = ' ';
            }
        }
    }
    // Replaces the tokens [a, b] by `text` in the text for the HLSL compiler once the file is read
    // (replacements may change lengths; blanking keeps offsets, so it is done at once).
    void Replace(std::size_t a, std::size_t b, std::string text)
    {
        if (a < tokens.size() && b < tokens.size() && a <= b) {
            replacements.push_back({tokens[a].begin, tokens[b].end, std::move(text)});
        }
    }
    // Whether token k lies in a replacement already made (a later one overlapping it would be lost).
    bool Edited(std::size_t k) const
    {
        return k < tokens.size() && std::any_of(replacements.begin(), replacements.end(), [&](const Edit& e) {
                   return tokens[k].begin >= e.begin && tokens[k].end <= e.end;
               });
    }
    const Token& Tok(std::size_t k) const { return tokens[k]; }
    // Whether a preprocessor line lies between tokens a and b: the tokens of both branches of an #if
    // are here, so they alone do not show what the HLSL compiler will see.
    bool DirectiveBetween(std::size_t a, std::size_t b) const
    {
        if (a >= tokens.size()) {
            return false;
        }
        const std::size_t to = b < tokens.size() ? tokens[b].end : fileText.size();
        for (std::size_t i = fileText.find('\n', tokens[a].begin); i < to; i = fileText.find('\n', i + 1)) {
            const std::size_t first = fileText.find_first_not_of(" \t\r", i + 1);
            if (first < to && fileText[first] == '#') {
                return true;
            }
        }
        return false;
    }
    EffectSource& Out() { return effect; }
    const std::string& Path() const { return filePath; }
    std::string Source(std::size_t a, std::size_t b) const
    {  // tokens [a, b] as written
        if (a > b || b >= tokens.size()) {
            return {};
        }
        std::string s = fileText.substr(tokens[a].begin, tokens[b].end - tokens[a].begin);
        for (char& c : s) {
            if (c == '\n' || c == '\r' || c == '\t') {
                c = ' ';
            }
        }
        return s;
    }

    // State-field values: one token (an enumeration name, TRUE/FALSE or a number), a signed number,
    // or float4(...) for colours, in the tokens [v, end).
    bool FloatValue(std::size_t v, std::size_t end, float& out) const;
    bool Float4Value(std::size_t v, std::size_t end, float (&out)[4]) const;

protected:
    // The text for the HLSL compiler: blanked constructs, then the replacements, last first.
    std::string StrippedText() const
    {
        std::string s = blankedText;
        std::vector<Edit> edits = replacements;
        std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin > b.begin; });
        std::size_t limit = s.size();
        for (const Edit& e : edits) {
            if (e.end > limit) {
                continue;  // overlaps a later one; the first wins
            }
            // Line breaks inside the replaced span stay, so that every later line keeps its number.
            const auto breaks = std::count(s.begin() + static_cast<std::ptrdiff_t>(e.begin),
                                           s.begin() + static_cast<std::ptrdiff_t>(e.end), '\n');
            s.replace(e.begin, e.end - e.begin, e.text + std::string(static_cast<std::size_t>(breaks), '\n'));
            limit = e.begin;
        }
        return s;
    }

    struct Edit {
        std::size_t begin, end;
        std::string text;
    };
    EffectSource& effect;
    std::string filePath;
    const std::string& fileText;
    std::string blankedText;
    std::vector<Token> tokens;
    std::vector<Edit> replacements;
};

inline bool EffectTokens::FloatValue(std::size_t v, std::size_t end, float& out) const
{
    double d = 0;
    bool negative = false;
    if (Is(v, "-")) {
        negative = true;
        ++v;
    }
    if (end != v + 1 || !ParseNumber(Text(v), d)) {
        return false;
    }
    out = static_cast<float>(negative ? -d : d);
    return true;
}
inline bool EffectTokens::Float4Value(std::size_t v, std::size_t end, float (&out)[4]) const
{
    std::vector<double> values;
    for (std::size_t j = v; j < end; ++j) {
        double d = 0;
        if (IsNumber(j)) {
            if (!ParseNumber(tokens[j].text, d)) {
                return false;
            }
            values.push_back(j > v && tokens[j - 1].text == "-" ? -d : d);
        }
    }
    if (values.size() != 4) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<float>(values[static_cast<std::size_t>(i)]);
    }
    return true;
}

// What the passes that rewrite function bodies ask of each token, kept while they walk the tokens in
// order: whether it lies in a function body, and whether its statement is a static or const
// declaration (which may need constant initializers). A brace at file scope after ')' (or after a
// semantic, `) : SV_Target {`) opens a body; other file-scope braces (state blocks, techniques) do
// not count.
class BodyScope {
public:
    // Call for every token, in order, before looking at it.
    void See(const EffectTokens& t, std::size_t k)
    {
        if (t.Is(k, "{")) {
            if (bodyDepth > 0 || (k > 0 && (t.Is(k - 1, ")") || (k > 2 && t.Is(k - 2, ":"))))) {
                ++bodyDepth;
            }
        } else if (t.Is(k, "}")) {
            bodyDepth = std::max(bodyDepth - 1, 0);
        } else if (t.Is(k, ";")) {
            constantDeclaration = false;
        } else if (t.Is(k, "static") || t.Is(k, "const")) {
            constantDeclaration = true;
        }
    }
    bool InFunctionBody() const { return bodyDepth > 0; }
    bool InConstantDeclaration() const { return constantDeclaration; }

private:
    int bodyDepth = 0;
    bool constantDeclaration = false;
};
