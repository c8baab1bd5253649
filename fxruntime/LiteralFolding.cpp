#include "fxruntime/LiteralFolding.h"

#include "fxruntime/HlslTypeNames.h"

namespace {

bool IsNumericType(const std::string& word)
{
    HlslTypeName name;
    return ParseHlslTypeName(word, name) && name.scalar != "double" && name.scalar.substr(0, 3) != "min";
}

// A literal glslang takes as float, int, uint or bool (not a double or 64-bit one).
bool IsPlainLiteral(const EffectTokens& t, std::size_t k)
{
    if (t.Is(k, "true") || t.Is(k, "false")) {
        return true;
    }
    if (!t.IsNumber(k)) {
        return false;
    }
    const std::string& text = t.Text(k);
    const bool hex = text.size() > 1 && (text[1] == 'x' || text[1] == 'X');
    return hex || text.find_first_of("lL") == std::string::npos;
}

// The literal at k, with a sign before it that belongs to it (after '(', ',' or an operator): its
// first token, or Size() when there is none.
std::size_t SignedLiteralStart(const EffectTokens& t, std::size_t k)
{
    if (IsPlainLiteral(t, k)) {
        return k;
    }
    if ((t.Is(k, "-") || t.Is(k, "+")) && IsPlainLiteral(t, k + 1)) {
        return k;
    }
    return t.Size();
}

class Wrapper {
public:
    explicit Wrapper(EffectTokens& t) : tokens(t) {}

    // Wraps the literal starting at k; returns its last token.
    std::size_t Wrap(std::size_t k)
    {
        const std::size_t last = IsPlainLiteral(tokens, k) ? k : k + 1;
        if (!tokens.Edited(k) && !tokens.Edited(last)) {
            std::string text = "fx_literal(";
            text += tokens.Source(k, last);
            text += ')';
            tokens.Replace(k, last, text);
        }
        return last;
    }

    // The brackets [open, close] hold only literals separated by commas (and operators, for a cast's
    // parenthesized expression when `operators` is set); wraps them all.
    void WrapAll(std::size_t open, std::size_t close, bool operators)
    {
        std::vector<std::size_t> literals;
        for (std::size_t k = open + 1; k < close; ++k) {
            const std::size_t start = SignedLiteralStart(tokens, k);
            if (start != tokens.Size()) {
                literals.push_back(start);
                k = IsPlainLiteral(tokens, k) ? k : k + 1;
            } else if (!(tokens.Is(k, ",") ||
                         (operators && (tokens.Is(k, "/") || tokens.Is(k, "*") || tokens.Is(k, "+") ||
                                        tokens.Is(k, "-") || tokens.Is(k, "(") || tokens.Is(k, ")"))))) {
                return;  // something else: not a list of literals
            }
        }
        for (std::size_t k : literals) {
            Wrap(k);
        }
    }

private:
    EffectTokens& tokens;
};

}  // namespace

void KeepLiteralsFromFolding(EffectTokens& t)
{
    Wrapper wrap(t);
    BodyScope scope;
    for (std::size_t k = 0; k < t.Size(); ++k) {
        scope.See(t, k);
        if (!scope.InFunctionBody() || scope.InConstantDeclaration()) {
            continue;
        }
        if (t.IsIdent(k) && IsNumericType(t.Text(k)) && t.Is(k + 1, "(")) {
            // TYPE(literal, ...): a constructor of literals.
            const std::size_t close = t.Match(k + 1);
            if (close < t.Size()) {
                wrap.WrapAll(k + 1, close, false);
            }
        } else if (t.Is(k, "(") && t.IsIdent(k + 1) && IsNumericType(t.Text(k + 1)) && t.Is(k + 2, ")")) {
            // (TYPE) literal  or  (TYPE)(expression of literals): a cast.
            const std::size_t start = SignedLiteralStart(t, k + 3);
            if (start != t.Size()) {
                wrap.Wrap(start);
            } else if (t.Is(k + 3, "(") && t.Match(k + 3) < t.Size()) {
                wrap.WrapAll(k + 3, t.Match(k + 3), true);
            }
        } else if (t.Is(k, "%") && SignedLiteralStart(t, k + 1) != t.Size()) {
            k = wrap.Wrap(SignedLiteralStart(t, k + 1));
        }
    }
}
