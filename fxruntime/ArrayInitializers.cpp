#include "fxruntime/ArrayInitializers.h"

#include "fxruntime/HlslTypeNames.h"

namespace {

// The components of a vector or matrix type name (float4: 4, int2x3: 6); 0 for anything else.
std::size_t ComponentsOf(const std::string& type)
{
    HlslTypeName name;
    if (!ParseHlslTypeName(type, name) || (!name.vector && !name.Matrix())) {
        return 0;
    }
    return static_cast<std::size_t>(name.Components());
}

// The scalars of a brace list [open, close] of literal numbers (each optionally negated), as written;
// false when the list holds anything else.
bool LiteralScalars(const EffectTokens& t, std::size_t open, std::size_t close, std::vector<std::string>& out)
{
    for (std::size_t k = open + 1; k < close; ++k) {
        std::string value;
        if (t.Is(k, "-") || t.Is(k, "+")) {
            value = t.Text(k);
            ++k;
        }
        if (!t.IsNumber(k)) {
            return false;
        }
        out.push_back(value + t.Text(k));
        ++k;
        if (k < close && !t.Is(k, ",")) {
            return false;
        }
    }
    return !out.empty();
}

}  // namespace

void RegroupArrayInitializers(EffectTokens& t)
{
    BodyScope scope;
    for (std::size_t k = 0; k < t.Size(); ++k) {
        if (!scope.InFunctionBody() && (t.Is(k, "cbuffer") || t.Is(k, "tbuffer") || t.Is(k, "struct"))) {
            // Members are read elsewhere; skip the block.
            while (k < t.Size() && !t.Is(k, "{") && !t.Is(k, ";")) {
                ++k;
            }
            if (t.Is(k, "{")) {
                k = t.Match(k);
            }
            continue;
        }
        scope.See(t, k);
        // TYPE NAME [ N? ] = { literals }
        const std::size_t components = t.IsIdent(k) ? ComponentsOf(t.Text(k)) : 0;
        if (components < 2 || !t.IsIdent(k + 1) || !t.Is(k + 2, "[") ||
            (!scope.InFunctionBody() && !scope.InConstantDeclaration())) {
            continue;
        }
        const std::size_t openBracket = k + 2;
        const std::size_t closeBracket = t.Is(openBracket + 1, "]") ? openBracket + 1 : openBracket + 2;
        if (!t.Is(closeBracket, "]") || (closeBracket == openBracket + 2 && !t.IsNumber(openBracket + 1)) ||
            !t.Is(closeBracket + 1, "=") || !t.Is(closeBracket + 2, "{")) {
            continue;
        }
        const std::size_t open = closeBracket + 2, close = t.Match(open);
        std::vector<std::string> scalars;
        if (close >= t.Size() || !LiteralScalars(t, open, close, scalars)) {
            continue;
        }
        if (scalars.size() % components != 0) {
            if (closeBracket == openBracket + 1) {  // no size, and none follows from the list
                t.Error(t.At(k + 1), "'" + t.Text(k + 1) + "': " + std::to_string(scalars.size()) +
                                         " numbers do not fill whole " + t.Text(k) + " elements");
            }
            continue;
        }
        const std::size_t elements = scalars.size() / components;
        if (closeBracket == openBracket + 2 && t.Text(openBracket + 1) != std::to_string(elements)) {
            continue;  // a size that disagrees with the list: the HLSL compiler's message
        }
        std::string list = "{";
        for (std::size_t e = 0; e < elements; ++e) {
            if (e > 0) {
                list += ", ";
            }
            list.append(t.Text(k)).append("(");
            for (std::size_t c = 0; c < components; ++c) {
                list.append(c == 0 ? "" : ", ").append(scalars[e * components + c]);
            }
            list += ")";
        }
        list += "}";
        // Built by appending: GCC 12 misfires -Wrestrict on chains of operator+ here.
        std::string replacement = "[";
        replacement.append(std::to_string(elements)).append("] = ").append(list);
        t.Replace(openBracket, close, replacement);
        k = close;
    }
}
