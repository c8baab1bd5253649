#include "fxruntime/MatrixRewrites.h"

#include <map>
#include <set>

#include "fxruntime/HlslTypeNames.h"

namespace {

// "float3x4" -> its rows, for float, half and double matrices of at least two rows and columns; 0
// for anything else (one-wide matrices are rewritten into vectors elsewhere).
int MatrixRows(const std::string& type)
{
    HlslTypeName name;
    if (!ParseHlslTypeName(type, name) || name.rows < 2 || name.columns < 2) {
        return 0;
    }
    const bool floats = name.scalar == "float" || name.scalar == "half" || name.scalar == "double" ||
                        name.scalar == "min16float";
    return floats ? name.rows : 0;
}

// Names declared with a matrix type, with that type; a name declared with two types is left out.
std::map<std::string, std::string> MatrixNames(const EffectTokens& t)
{
    std::map<std::string, std::string> names;
    std::set<std::string> ambiguous;
    for (std::size_t k = 0; k + 1 < t.Size(); ++k) {
        if (!t.IsIdent(k) || !t.IsIdent(k + 1) || t.Is(k + 2, "(")) {
            continue;
        }
        const std::string& name = t.Text(k + 1);
        const std::string type = MatrixRows(t.Text(k)) > 0 && !t.Is(k + 2, "[") ? t.Text(k) : "";
        const auto it = names.find(name);
        if (it != names.end() && it->second != type) {
            ambiguous.insert(name);
        }
        if (!type.empty()) {
            names.emplace(name, type);
        }
    }
    for (const std::string& name : ambiguous) {
        names.erase(name);
    }
    return names;
}

// Built by appending: GCC 12 misfires -Wrestrict on chains of operator+ here.
std::string RowByRow(const std::string& type, const std::string& a, const std::string& b)
{
    std::string s = type;
    s += "(";
    for (int r = 0; r < MatrixRows(type); ++r) {
        const std::string row = std::to_string(r);
        if (r > 0) {
            s += ", ";
        }
        s.append(a).append("[").append(row).append("] * ").append(b).append("[").append(row).append("]");
    }
    s += ")";
    return s;
}

}  // namespace

void RewriteMatrixElementProducts(EffectTokens& t)
{
    const std::map<std::string, std::string> matrices = MatrixNames(t);
    // Tokens that bind no tighter than * on either side of a product.
    static const std::set<std::string> kBefore = {"=",  "(",  ",",  "return", "+",  "-",  "?", ":", "{",  ";",
                                                  "+=", "-=", "==", "!=",     "&&", "||", "<", ">", "<=", ">="};
    static const std::set<std::string> kAfter = {";", ")", ",", "+", "-", "?", ":", "==", "!=", "&&", "||"};
    // An operand at k: a matrix name, or a matrix constructor TYPE(...); its type, text and last token.
    struct Operand {
        std::string type, text;
        std::size_t last = 0;
    };
    auto operandAt = [&](std::size_t k, Operand& out) {
        if (!t.IsIdent(k)) {
            return false;
        }
        if (MatrixRows(t.Text(k)) > 0 && t.Is(k + 1, "(")) {
            out.last = t.Match(k + 1);
            if (out.last >= t.Size()) {
                return false;
            }
            out.type = t.Text(k);
            std::string text(1, '(');
            text += t.Source(k, out.last);
            text += ')';
            out.text = std::move(text);
            return true;
        }
        const auto it = matrices.find(t.Text(k));
        if (it == matrices.end()) {
            return false;
        }
        out = {it->second, t.Text(k), k};
        return true;
    };
    for (std::size_t k = 1; k + 2 < t.Size(); ++k) {
        Operand a, b;
        if (!operandAt(k, a) || a.last + 2 >= t.Size() || !operandAt(a.last + 2, b) || a.type != b.type) {
            continue;
        }
        const std::size_t op = a.last + 1;
        if (t.Is(op, "*") && kBefore.count(t.Text(k - 1)) != 0 && kAfter.count(t.Text(b.last + 1)) != 0) {
            std::string product = "(";
            product.append(RowByRow(a.type, a.text, b.text)).append(")");
            t.Replace(k, b.last, product);
            k = b.last;
        } else if (t.Is(op, "*=") && a.last == k && t.Is(b.last + 1, ";") &&
                   (t.Is(k - 1, ";") || t.Is(k - 1, "{") || t.Is(k - 1, "}"))) {
            std::string assigned = a.text;
            assigned.append(" = ").append(RowByRow(a.type, a.text, b.text));
            t.Replace(k, b.last, assigned);
            k = b.last;
        }
    }
}

void RewriteMatrixElementRuns(EffectTokens& t)
{
    const std::map<std::string, std::string> matrices = MatrixNames(t);
    for (std::size_t k = 0; k + 2 < t.Size(); ++k) {
        const auto matrix = t.IsIdent(k) ? matrices.find(t.Text(k)) : matrices.end();
        if (matrix == matrices.end() || !t.Is(k + 1, ".") || !t.IsIdent(k + 2) || (k > 0 && t.Is(k - 1, "."))) {
            continue;
        }
        const std::string& run = t.Text(k + 2);
        // _mRC (from 0) or _RC (from 1), one after another.
        std::vector<std::string> names;
        std::size_t at = 0;
        while (at < run.size() && run[at] == '_') {
            const bool zeroBased = at + 1 < run.size() && run[at + 1] == 'm';
            const std::size_t digits = at + (zeroBased ? 2 : 1);
            const char low = zeroBased ? '0' : '1', high = zeroBased ? '3' : '4';
            if (digits + 2 > run.size() || run[digits] < low || run[digits] > high || run[digits + 1] < low ||
                run[digits + 1] > high) {
                break;
            }
            names.push_back(run.substr(at, digits + 2 - at));
            at = digits + 2;
        }
        // One element is a scalar glslang reads; a run that is written stays as it is.
        static const std::set<std::string> kAssignments = {"=", "+=", "-=", "*=", "/=", "%="};
        if (at != run.size() || names.size() < 2 || names.size() > 4 || kAssignments.count(t.Text(k + 3)) != 0) {
            continue;
        }
        const std::string& type = matrix->second;
        std::string vector = type.substr(0, type.find_first_of("1234"));
        vector += std::to_string(names.size());
        vector += '(';
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i > 0) {
                vector += ", ";
            }
            vector.append(t.Text(k)).append(".").append(names[i]);
        }
        vector += ')';
        t.Replace(k, k + 2, vector);
        k += 2;
    }
}
