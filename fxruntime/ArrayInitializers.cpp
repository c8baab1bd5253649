#include "fxruntime/ArrayInitializers.h"

#include <string>
#include <vector>

#include "fxruntime/HlslTypeNames.h"

namespace {

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

// TYPE NAME [N?][M]... = { ...: the sizes (0 for an outer one left out), the components of TYPE and
// the elements of the inner dimensions.
struct ArrayDeclaration {
    std::vector<std::size_t> dims;
    std::size_t components = 0, inner = 1;
    std::size_t type = 0, equals = 0;  // the type's token and the '='
};

// An array of numbers declared at k with an initializer that HLSL fills scalar by scalar and the HLSL
// compiler we use would not: one of vectors or matrices, or one of more than one dimension.
bool ReadArrayDeclaration(const EffectTokens& t, std::size_t k, ArrayDeclaration& out)
{
    constexpr std::size_t kMaxElements = 65536;  // past this the rewrite is left to the HLSL compiler
    HlslTypeName name;
    if (!ParseHlslTypeName(t.Text(k), name) || !t.IsIdent(k + 1)) {
        return false;
    }
    out.components = static_cast<std::size_t>(name.Components());
    out.type = k;
    std::size_t j = k + 2;
    while (t.Is(j, "[")) {
        if (out.dims.empty() && t.Is(j + 1, "]")) {
            out.dims.push_back(0);
            j += 2;
            continue;
        }
        double size = 0;
        if (!t.IsNumber(j + 1) || !t.Is(j + 2, "]") || !ParseNumber(t.Text(j + 1), size) || size < 1 ||
            size > kMaxElements) {
            return false;
        }
        out.dims.push_back(static_cast<std::size_t>(size));
        out.inner *= out.dims.size() > 1 ? out.dims.back() : 1;
        if (out.inner > kMaxElements) {
            return false;
        }
        j += 3;
    }
    out.equals = j;
    return !out.dims.empty() && (out.components > 1 || out.dims.size() > 1) && t.Is(j, "=") && t.Is(j + 1, "{");
}

// "float4", or "float2[3]" for the elements of float2 a[][3].
std::string ElementText(const EffectTokens& t, const ArrayDeclaration& array)
{
    std::string text = t.Text(array.type);
    for (std::size_t d = 1; d < array.dims.size(); ++d) {
        text.append("[").append(std::to_string(array.dims[d])).append("]");
    }
    return text;
}

// The brace list of dimension `level` and below, the scalars taken in order from `next`: each
// innermost element one constructor (or one number, for an array of numbers).
std::string NestedList(const std::string& type, const ArrayDeclaration& array, std::size_t level,
                       const std::vector<std::string>& scalars, std::size_t& next)
{
    // Built by appending: GCC 12 misfires -Wrestrict on chains of operator+ here.
    std::string list = "{";
    for (std::size_t e = 0; e < array.dims[level]; ++e) {
        list.append(e == 0 ? "" : ", ");
        if (level + 1 < array.dims.size()) {
            list.append(NestedList(type, array, level + 1, scalars, next));
            continue;
        }
        if (array.components > 1) {
            list.append(type).append("(");
        }
        for (std::size_t c = 0; c < array.components; ++c) {
            list.append(c == 0 ? "" : ", ").append(scalars[next++]);
        }
        if (array.components > 1) {
            list.append(")");
        }
    }
    return list + "}";
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
        ArrayDeclaration array;
        if (!t.IsIdent(k) || (!scope.InFunctionBody() && !scope.InConstantDeclaration()) ||
            !ReadArrayDeclaration(t, k, array)) {
            continue;
        }
        const std::size_t open = array.equals + 1, close = t.Match(open);
        std::vector<std::string> scalars;
        if (close >= t.Size() || !LiteralScalars(t, open, close, scalars)) {
            continue;
        }
        const std::size_t perElement = array.components * array.inner;
        if (scalars.size() % perElement != 0) {
            if (array.dims[0] == 0) {  // no size, and none follows from the list
                t.Error(t.At(k + 1), "'" + t.Text(k + 1) + "': " + std::to_string(scalars.size()) +
                                         " numbers do not fill whole " + ElementText(t, array) + " elements");
            }
            continue;
        }
        array.dims[0] = array.dims[0] == 0 ? scalars.size() / perElement : array.dims[0];
        if (array.dims[0] != scalars.size() / perElement) {
            continue;  // a size that disagrees with the list: the HLSL compiler's message
        }
        std::string replacement;
        for (std::size_t d : array.dims) {
            replacement.append("[").append(std::to_string(d)).append("]");
        }
        std::size_t next = 0;
        replacement.append(" = ").append(NestedList(t.Text(k), array, 0, scalars, next));
        t.Replace(k + 2, close, replacement);
        k = close;
    }
}
