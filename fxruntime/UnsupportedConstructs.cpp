#include "fxruntime/UnsupportedConstructs.h"

#include <set>

#include "fxruntime/HlslTypeNames.h"

namespace {

// Names declared as variables of a numeric type without `const` (int a = ...; float b, c;), which
// a case label cannot name.
std::set<std::string> VariableNames(const EffectTokens& t)
{
    std::set<std::string> variables, constants;
    bool constant = false;
    for (std::size_t k = 0; k + 1 < t.Size(); ++k) {
        if (t.Is(k, ";") || t.Is(k, "{") || t.Is(k, "}") || t.Is(k, "(") || t.Is(k, ")")) {
            constant = false;
        } else if (t.Is(k, "const")) {
            constant = true;
        }
        HlslTypeName type;
        if (t.IsIdent(k) && ParseHlslTypeName(t.Text(k), type) && t.IsIdent(k + 1) && !t.Is(k + 2, "(")) {
            (constant ? constants : variables).insert(t.Text(k + 1));
        }
    }
    for (const std::string& name : constants) {
        variables.erase(name);
    }
    return variables;
}

}  // namespace

void RefuseUnsupportedConstructs(EffectTokens& t)
{
    const std::set<std::string> variables = VariableNames(t);
    for (std::size_t k = 0; k < t.Size(); ++k) {
        if (t.Is(k, "numthreads") && k > 0 && t.Is(k - 1, "[")) {
            std::size_t counts = 0;
            if (t.Is(k + 1, "(")) {
                const std::size_t close = t.Match(k + 1);
                bool empty = true;
                for (std::size_t j = k + 2; j < close && j < t.Size(); ++j) {
                    if (t.Is(j, ",")) {
                        counts += empty ? 0 : 1;
                        empty = true;
                    } else {
                        empty = false;
                    }
                }
                counts += empty ? 0 : 1;
            }
            if (counts != 3) {
                t.Error(t.At(k), "[numthreads] takes three thread counts, [numthreads(X, Y, Z)]");
            }
        } else if ((t.Is(k, "GetRenderTargetSampleCount") || t.Is(k, "GetRenderTargetSamplePosition")) &&
                   t.Is(k + 1, "(")) {
            t.Error(t.At(k), "'" + t.Text(k) +
                                 "' is not supported: the compiled code does not know the render target's samples");
        } else if (t.Is(k, "case")) {
            for (std::size_t j = k + 1; j < t.Size() && !t.Is(j, ":") && !t.Is(j, ";"); ++j) {
                if (variables.count(t.Text(j)) != 0) {
                    t.Error(t.At(j), "a case label is a constant, and '" + t.Text(j) + "' is a variable");
                    break;
                }
            }
        } else if (t.Is(k, "msad4") && t.Is(k + 1, "(")) {
            t.Error(t.At(k), "'msad4' is not supported");
        } else if ((t.Is(k, "interface") || t.Is(k, "class")) && t.IsIdent(k + 1) &&
                   (k == 0 || t.Is(k - 1, ";") || t.Is(k - 1, "}"))) {
            // glslang's own word for these is "'declaration' : Expected" at the start of the file.
            t.Error(t.At(k), "'" + t.Text(k) + " " + t.Text(k + 1) +
                                 "': interfaces and classes (dynamic shader linkage) are not supported");
        }
    }
}
