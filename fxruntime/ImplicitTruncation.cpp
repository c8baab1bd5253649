#include "fxruntime/ImplicitTruncation.h"

#include <map>
#include <string>

#include "fxruntime/HlslTypeNames.h"

namespace {

// The component count of a scalar or vector type name (float, float3, half2, uint ...); 0 when
// the word is no such type.
int Width(const std::string& word)
{
    HlslTypeName name;
    return ParseHlslTypeName(word, name) && !name.Matrix() ? name.rows : 0;
}

int SwizzleWidth(const std::string& word)
{
    if (word.empty() || word.size() > 4) {
        return 0;
    }
    const bool xyzw = word.find_first_not_of("xyzw") == std::string::npos;
    const bool rgba = word.find_first_not_of("rgba") == std::string::npos;
    return xyzw || rgba ? static_cast<int>(word.size()) : 0;
}

class Checker {
public:
    explicit Checker(EffectTokens& t) : tokens(t) {}

    void Run()
    {
        Collect();
        int depth = 0;
        int functionWidth = 0;  // return width of the function whose body is open; 0 when unknown
        int functionDepth = -1;
        for (std::size_t k = 0; k < tokens.Size(); ++k) {
            const std::string& w = tokens.Text(k);
            if (w == "{") {
                ++depth;
                continue;
            }
            if (w == "}") {
                if (--depth == functionDepth) {
                    functionDepth = -1, functionWidth = 0;
                }
                continue;
            }
            // A function definition: TYPE NAME ( ... ) [: SEMANTIC] {
            if (depth == 0 && tokens.IsIdent(k) && tokens.IsIdent(k + 1) && tokens.Is(k + 2, "(")) {
                const std::size_t close = tokens.Match(k + 2);
                std::size_t body = close + 1;
                if (tokens.Is(body, ":")) {
                    body += 2;
                }
                if (close < tokens.Size() && tokens.Is(body, "{")) {
                    functionWidth = Width(w);
                    functionDepth = depth;
                    k = body - 1;
                    continue;
                }
            }
            if (depth == 0) {
                continue;
            }
            // TYPE NAME = EXPR ;  (also after a comma: float a = 1, b = float2(...);)
            const int declared = Width(w);
            if (declared > 0 && tokens.IsIdent(k + 1) && tokens.Is(k + 2, "=")) {
                Check(declared, k + 3, EndOfExpression(k + 3));
                continue;
            }
            if (!tokens.IsIdent(k) || declared > 0) {
                continue;
            }
            const bool statementStart = k > 0 &&
                                        (tokens.Is(k - 1, ";") || tokens.Is(k - 1, "{") || tokens.Is(k - 1, "}") ||
                                         tokens.Is(k - 1, ")") || tokens.Is(k - 1, "else"));
            if (w == "return" && functionWidth > 0 && !tokens.Is(k + 1, ";")) {
                Check(functionWidth, k + 1, EndOfExpression(k + 1));
                continue;
            }
            if (!statementStart) {
                continue;
            }
            // NAME = EXPR ;   NAME.swizzle = EXPR ;
            const auto known = variableWidths.find(w);
            if (known == variableWidths.end() || known->second <= 0) {
                continue;
            }
            if (tokens.Is(k + 1, "=") && !tokens.Is(k + 2, "=")) {
                Check(known->second, k + 2, EndOfExpression(k + 2));
            } else if (tokens.Is(k + 1, ".") && tokens.IsIdent(k + 2) && tokens.Is(k + 3, "=") &&
                       !tokens.Is(k + 4, "=")) {
                const int lhs = SwizzleWidth(tokens.Text(k + 2));
                if (lhs > 0) {
                    Check(lhs, k + 4, EndOfExpression(k + 4));
                }
            }
        }
    }

private:
    // Widths of every variable and function declared with a scalar or vector type. A name declared
    // with two widths (in two functions, say) is not known.
    void Collect()
    {
        for (std::size_t k = 0; k + 1 < tokens.Size(); ++k) {
            const int width = Width(tokens.Text(k));
            if (width == 0 || !tokens.IsIdent(k + 1)) {
                continue;
            }
            if (k > 0 && tokens.Is(k - 1, "<")) {
                continue;  // a template argument: RWTexture2D<float> x
            }
            auto& table = tokens.Is(k + 2, "(") ? functionWidths : variableWidths;
            const std::string& name = tokens.Text(k + 1);
            // Arrays are not assigned as a whole; leave them out.
            const int value = tokens.Is(k + 2, "[") ? -1 : width;
            const auto it = table.find(name);
            if (it == table.end()) {
                table[name] = value;
            } else if (it->second != value) {
                it->second = -1;
            }
        }
    }

    std::size_t EndOfExpression(std::size_t k) const
    {
        int depth = 0;
        for (; k < tokens.Size(); ++k) {
            const std::string& w = tokens.Text(k);
            if (w == "(" || w == "[" || w == "{") {
                ++depth;
            }
            if (w == ")" || w == "]" || w == "}") {
                if (depth == 0) {
                    return k;
                }
                --depth;
            }
            if (depth == 0 && (w == ";" || w == ",")) {
                return k;
            }
        }
        return k;
    }

    // The width of the expression [a, b) when it is certain; 0 otherwise.
    int ExpressionWidth(std::size_t a, std::size_t b) const
    {
        if (b <= a || !tokens.IsIdent(a)) {
            return 0;
        }
        const std::string& w = tokens.Text(a);
        if (tokens.Is(a + 1, "(") && tokens.Match(a + 1) == b - 1) {
            const int constructed = Width(w);
            if (constructed > 0) {
                return constructed;
            }
            const auto f = functionWidths.find(w);
            return f != functionWidths.end() && f->second > 0 ? f->second : 0;
        }
        const auto v = variableWidths.find(w);
        if (v == variableWidths.end() || v->second <= 0) {
            return 0;
        }
        if (b == a + 1) {
            return v->second;
        }
        if (b == a + 3 && tokens.Is(a + 1, ".") && tokens.IsIdent(a + 2)) {
            return SwizzleWidth(tokens.Text(a + 2));
        }
        return 0;
    }

    void Check(int lhs, std::size_t a, std::size_t b)
    {
        const int rhs = ExpressionWidth(a, b);
        if (rhs > lhs && lhs > 0) {
            tokens.Report(tokens.At(a), false, "X3206", "implicit truncation of vector type");
        }
    }

    EffectTokens& tokens;
    std::map<std::string, int> variableWidths, functionWidths;
};

}  // namespace

void WarnImplicitTruncations(EffectTokens& tokens)
{
    Checker(tokens).Run();
}
