#include "fxruntime/Direct3DRefusals.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>
#include <set>
#include <vector>

#include "fxruntime/EffectDeclarations.h"
#include "fxruntime/EffectLexer.h"
#include "fxruntime/HlslTypeNames.h"

namespace {

constexpr std::uint64_t kMaxGroupSharedBytes = 32768;

// Bytes of a scalar, vector or matrix type (float3: 12, float4x4: 64, double2: 16); 0 for other
// types (structs are not counted).
std::uint64_t TypeBytes(const std::string& type)
{
    HlslTypeName name;
    if (!ParseHlslTypeName(type, name) || name.scalar.substr(0, 3) == "min") {
        return 0;
    }
    return (name.scalar == "double" ? 8u : 4u) * static_cast<std::uint64_t>(name.Components());
}

bool Number(const EffectTokens& t, std::size_t k, std::uint64_t& out)
{
    double d = 0;
    if (!t.IsNumber(k) || !ParseNumber(t.Text(k), d) || d < 0 || d > 1e12) {
        return false;
    }
    out = static_cast<std::uint64_t>(d);
    return true;
}

// A count written as an integer literal, perhaps negated, at token k; k moves past it.
bool SignedCount(const EffectTokens& t, std::size_t& k, std::int64_t& out)
{
    const bool negative = t.Is(k, "-");
    std::uint64_t magnitude = 0;
    if (!Number(t, negative ? k + 1 : k, magnitude)) {
        return false;
    }
    out = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    k += negative ? 2 : 1;
    return true;
}

void CheckThreadGroup(EffectTokens& t, std::size_t k)
{
    // [numthreads(X, Y, Z)] with three literal counts; anything else is left to the HLSL compiler.
    std::int64_t c[3] = {};
    std::size_t i = k + 2;
    if (!t.Is(k + 1, "(") || !SignedCount(t, i, c[0]) || !t.Is(i++, ",") || !SignedCount(t, i, c[1]) ||
        !t.Is(i++, ",") || !SignedCount(t, i, c[2]) || !t.Is(i, ")")) {
        return;
    }
    std::string error;
    if (!ThreadGroupFits(c[0], c[1], c[2], error)) {
        t.Error(t.At(k), error);
    }
}

bool RepeatsAComponent(const std::string& swizzle)
{
    if (swizzle.empty() || swizzle.size() > 4 ||
        (swizzle.find_first_not_of("xyzw") != std::string::npos &&
         swizzle.find_first_not_of("rgba") != std::string::npos)) {
        return false;
    }
    for (std::size_t i = 0; i < swizzle.size(); ++i) {
        if (swizzle.find(swizzle[i], i + 1) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A struct whose body [open, close] declares a member twice: the second declaration, reported.
void CheckMembersOnce(EffectTokens& t, std::size_t open, std::size_t close)
{
    std::set<std::string> members;
    for (std::size_t k = open + 1; k < close; ++k) {
        if (t.Is(k, "{")) {  // a nested struct's own members are its own
            k = t.Match(k);
            continue;
        }
        const bool declarator = t.IsIdent(k) && k > open + 1 && (t.IsIdent(k - 1) || t.Is(k - 1, ",")) &&
                                (t.Is(k + 1, ";") || t.Is(k + 1, ",") || t.Is(k + 1, ":") || t.Is(k + 1, "["));
        if (declarator && !members.insert(t.Text(k)).second) {
            t.Error(t.At(k), "'" + t.Text(k) + "': redefinition of a struct member");
        }
    }
}

// Names declared only with vector types (float3 v), so that `v.xx` is surely a swizzle, not a member.
std::set<std::string> VectorNames(const EffectTokens& t)
{
    std::set<std::string> vectors, others;
    for (std::size_t k = 0; k + 1 < t.Size(); ++k) {
        // `return v` and the like are no declarations of v.
        if (!t.IsIdent(k) || !t.IsIdent(k + 1) || t.Is(k + 2, "(") || t.Is(k, "return") || t.Is(k, "else") ||
            t.Is(k, "case") || t.Is(k, "do")) {
            continue;
        }
        HlslTypeName name;
        const bool vector = ParseHlslTypeName(t.Text(k), name) && name.vector && !name.Matrix() && name.rows >= 2;
        (vector ? vectors : others).insert(t.Text(k + 1));
    }
    for (const std::string& name : others) {
        vectors.erase(name);
    }
    return vectors;
}

// Whether control can leave a statement at its end and run the statement after it: `Ends` for break
// and return (and blocks and if-else whose every way out is one), `FallsThrough` when it surely can,
// `Unknown` where the tokens cannot tell (loops, macros, statements cut short).
enum class Exit { Ends, FallsThrough, Unknown };

std::size_t SkipAttributes(const EffectTokens& t, std::size_t k, std::size_t end)
{
    while (k < end && t.Is(k, "[")) {
        k = std::min(t.Match(k), end) + 1;
    }
    return std::min(k, end);
}

// The index after the `(...)` at k, or `end` when there is none.
std::size_t AfterParentheses(const EffectTokens& t, std::size_t k, std::size_t end)
{
    return t.Is(k, "(") && t.Match(k) < end ? t.Match(k) + 1 : end;
}

// The index after the statement that starts at k, within [k, end).
std::size_t StatementEnd(const EffectTokens& t, std::size_t k, std::size_t end)
{
    k = SkipAttributes(t, k, end);
    if (k >= end) {
        return end;
    }
    if (t.Is(k, "{") || t.Is(k, "switch")) {
        const std::size_t open = t.Is(k, "{") ? k : AfterParentheses(t, k + 1, end);
        return t.Is(open, "{") && t.Match(open) < end ? t.Match(open) + 1 : end;
    }
    if (t.Is(k, "if")) {
        // An else-if chain is walked, not recursed into: it may be thousands of branches long.
        for (;;) {
            const std::size_t after = StatementEnd(t, AfterParentheses(t, k + 1, end), end);
            if (!t.Is(after, "else") || after >= end) {
                return after;
            }
            k = SkipAttributes(t, after + 1, end);
            if (!t.Is(k, "if")) {
                return StatementEnd(t, k, end);
            }
        }
    }
    if (t.Is(k, "for") || t.Is(k, "while")) {
        return StatementEnd(t, AfterParentheses(t, k + 1, end), end);
    }
    if (t.Is(k, "do")) {
        const std::size_t body = StatementEnd(t, k + 1, end);
        const std::size_t condition = t.Is(body, "while") ? AfterParentheses(t, body + 1, end) : end;
        return t.Is(condition, ";") ? condition + 1 : end;
    }
    for (std::size_t j = k; j < end; ++j) {
        if (t.Is(j, "(") || t.Is(j, "[") || t.Is(j, "{")) {
            j = t.Match(j);
        } else if (t.Is(j, ";")) {
            return j + 1;
        }
    }
    return end;
}

Exit Combine(Exit a, Exit b)
{
    if (a == Exit::FallsThrough || b == Exit::FallsThrough) {
        return Exit::FallsThrough;
    }
    return a == Exit::Unknown || b == Exit::Unknown ? Exit::Unknown : Exit::Ends;
}

Exit ExitOf(const EffectTokens& t, std::size_t k, std::size_t end, const std::set<std::string>& macroNames);

// How control leaves the statements [k, end) one after another: it falls through only when each of
// them does (a break before the last leaves what follows unreachable, which Direct3D lets be).
Exit ExitOfAll(const EffectTokens& t, std::size_t k, std::size_t end, const std::set<std::string>& macroNames)
{
    while (k < end) {
        const std::size_t next = StatementEnd(t, k, end);
        const Exit exit = ExitOf(t, k, next, macroNames);
        if (exit != Exit::FallsThrough) {
            return exit;
        }
        k = next;
    }
    return Exit::FallsThrough;
}

// Whether the condition (...) at k holds no name but true and false: Direct3D folds it, so one of
// its branches is never taken.
bool ConstantCondition(const EffectTokens& t, std::size_t k, std::size_t end)
{
    const std::size_t close = std::min(t.Match(k), end);
    for (std::size_t j = k + 1; j < close; ++j) {
        if (t.IsIdent(j) && !t.Is(j, "true") && !t.Is(j, "false")) {
            return false;
        }
    }
    return true;
}

Exit ExitOf(const EffectTokens& t, std::size_t k, std::size_t end, const std::set<std::string>& macroNames)
{
    k = SkipAttributes(t, k, end);
    if (t.Is(k, "{")) {
        return ExitOfAll(t, k + 1, std::min(t.Match(k), end), macroNames);
    }
    if (t.Is(k, "if")) {
        Exit exit = Exit::Ends;
        for (;;) {
            if (!t.Is(k + 1, "(") || ConstantCondition(t, k + 1, end)) {
                return Exit::Unknown;
            }
            const std::size_t branch = AfterParentheses(t, k + 1, end);
            const std::size_t after = StatementEnd(t, branch, end);
            exit = Combine(exit, ExitOf(t, branch, after, macroNames));
            if (!t.Is(after, "else") || after >= end) {
                return Combine(exit, Exit::FallsThrough);  // the condition may be false
            }
            k = SkipAttributes(t, after + 1, end);
            if (!t.Is(k, "if")) {
                return Combine(exit, ExitOf(t, k, end, macroNames));
            }
        }
    }
    if (t.Is(k, "break") || t.Is(k, "return") || t.Is(k, "continue")) {
        return Exit::Ends;
    }
    if (t.Is(k, "for") || t.Is(k, "while") || t.Is(k, "do") || t.Is(k, "switch") || end == k || !t.Is(end - 1, ";")) {
        return Exit::Unknown;
    }
    for (std::size_t j = k; j < end; ++j) {
        if (macroNames.count(t.Text(j)) != 0 || t.Is(j, "break") || t.Is(j, "return")) {
            return Exit::Unknown;
        }
    }
    return Exit::FallsThrough;  // an expression, a declaration, discard, or `;`
}

// `continue` in the switch body [open, close], outside the loops and switches inside it.
void RefuseContinue(EffectTokens& t, std::size_t open, std::size_t close)
{
    for (std::size_t j = open + 1; j < close; ++j) {
        if (t.Is(j, "for") || t.Is(j, "while") || t.Is(j, "do") || t.Is(j, "switch")) {
            j = StatementEnd(t, j, close) - 1;
        } else if (t.Is(j, "continue")) {
            t.Error(t.At(j), "'continue' cannot be used in a switch, only in a loop inside it");
        }
    }
}

// The switch at k: each case's statements end in break or return, and the last label has some.
void CheckSwitch(EffectTokens& t, std::size_t k, const std::set<std::string>& macroNames)
{
    const std::size_t open = AfterParentheses(t, k + 1, t.Size());
    if (!t.Is(open, "{") || t.Match(open) >= t.Size() || t.DirectiveBetween(open, t.Match(open))) {
        return;
    }
    const std::size_t close = t.Match(open);
    RefuseContinue(t, open, close);
    std::size_t label = 0;  // the first label of the case being read; 0 before the first
    Exit exit = Exit::Unknown;
    bool statements = false;
    const auto endCase = [&] {
        if (label != 0 && statements && exit == Exit::FallsThrough) {
            t.Error(t.At(label), "this case's statements must end with break or return: a case does not fall "
                                 "through into the next one, nor off the end of the switch");
        }
    };
    for (std::size_t j = open + 1; j < close;) {
        const bool isCase = t.Is(j, "case"), isDefault = t.Is(j, "default") && t.Is(j + 1, ":");
        if (isCase || isDefault) {
            if (statements) {
                endCase();
                label = 0;
                statements = false;
            }
            label = label == 0 ? j : label;
            std::size_t colon = j + 1;
            while (colon < close && !t.Is(colon, ":")) {
                colon = t.Is(colon, "(") ? t.Match(colon) + 1 : colon + 1;
            }
            j = colon + 1;
            continue;
        }
        const std::size_t next = StatementEnd(t, j, close);
        const Exit statement = ExitOf(t, j, next, macroNames);
        exit = statements && exit != Exit::FallsThrough ? exit : statement;
        statements = true;
        j = next;
    }
    if (label != 0 && !statements) {
        t.Error(t.At(label), "the last case of a switch needs a statement (break)");
    }
    endCase();
}

bool IsTextureOrSampler(const std::string& type)
{
    return DeclarationReader::IsResourceType(type) || type == "sampler" || type == "SamplerState" ||
           type == "SamplerComparisonState";
}

// A constant buffer packed by hand (a member with packoffset, or one with a register other than cN)
// is packed by hand throughout: each number needs its packoffset, each texture or sampler a register
// or a packoffset. register(cN) on a number is ignored, so it packs nothing.
void CheckPackedByHand(EffectTokens& t, std::size_t open, std::size_t close)
{
    struct Member {
        std::size_t name;
        bool textureOrSampler, placed;
    };
    std::vector<Member> members;
    bool packOffsets = false, registers = false;
    std::size_t start = open + 1;
    for (std::size_t j = open + 1; j <= close && j < t.Size(); ++j) {
        if (j < close && (t.Is(j, "{") || t.Is(j, "(") || t.Is(j, "["))) {
            j = std::min(t.Match(j), close) - 1;
            continue;
        }
        if (j < close && !t.Is(j, ";")) {
            continue;
        }
        const bool resource = t.IsIdent(start) && IsTextureOrSampler(t.Text(start));
        std::size_t k = start + 1;
        if (t.Is(k, "<")) {
            k = std::min(t.Match(k), j) + 1;
        }
        while (k < j && t.IsIdent(k)) {  // one declarator: name [dims] [: semantic/packoffset/register]
            Member m{k, resource, false};
            for (++k; k < j && !t.Is(k, ",") && !t.Is(k, "="); ++k) {
                if (t.Is(k, "[")) {
                    k = std::min(t.Match(k), j);
                } else if (t.Is(k, ":") && t.Is(k + 1, "packoffset")) {
                    m.placed = packOffsets = true;
                } else if (t.Is(k, ":") && t.Is(k + 1, "register") && t.Is(k + 2, "(") && t.IsIdent(k + 3) &&
                           std::tolower(static_cast<unsigned char>(t.Text(k + 3)[0])) != 'c') {
                    m.placed = registers = true;
                }
            }
            members.push_back(m);
            while (k < j && !t.Is(k, ",")) {  // an initializer
                k = t.Is(k, "{") || t.Is(k, "(") ? std::min(t.Match(k), j) + 1 : k + 1;
            }
            ++k;
        }
        start = j + 1;
    }
    for (const Member& m : members) {
        const std::string name = "'" + t.Text(m.name) + "': ";
        if (m.placed || (!packOffsets && !registers)) {
            continue;
        }
        if (!packOffsets) {
            t.Error(t.At(m.name), name + "in a constant buffer whose members have registers, every number needs a "
                                         "packoffset");
        } else if (m.textureOrSampler) {
            t.Error(t.At(m.name), name + "in a constant buffer that uses packoffset, a texture or sampler needs a "
                                         "register (or a packoffset)");
        } else {
            t.Error(t.At(m.name), name + "in a constant buffer that uses packoffset, every member needs one");
        }
    }
}

// packoffset places a member of a constant buffer; anywhere else (a global, a struct's member, even in
// a constant buffer, a function's parameter or value) Direct3D refuses it. Each buffer is checked for
// packing by hand on the way.
void CheckPackOffsets(EffectTokens& t)
{
    std::vector<bool> bufferBodies;  // for each '{' open at k: whether it holds a constant buffer's members
    bool bufferNext = false;
    for (std::size_t k = 0; k < t.Size(); ++k) {
        if (t.Is(k, "cbuffer") || t.Is(k, "tbuffer")) {
            bufferNext = true;
        } else if (t.Is(k, ";")) {
            bufferNext = false;
        } else if (t.Is(k, "{")) {
            if (bufferNext && t.Match(k) < t.Size() && !t.DirectiveBetween(k, t.Match(k))) {
                CheckPackedByHand(t, k, t.Match(k));
            }
            bufferBodies.push_back(bufferNext);
            bufferNext = false;
        } else if (t.Is(k, "}") && !bufferBodies.empty()) {
            bufferBodies.pop_back();
        } else if (t.Is(k, "packoffset") && k > 0 && t.Is(k - 1, ":") &&
                   (bufferBodies.empty() || !bufferBodies.back())) {
            t.Error(t.At(k), "packoffset applies only to members of a cbuffer");
        }
    }
}

// Effect files reserve the technique keywords and `fxgroup`.
bool IsEffectKeyword(const std::string& word)
{
    return IsTechniqueKeyword(word) || word == "fxgroup";
}

// Whether the name at k is being declared: after its type, before what may follow a declarator.
bool DeclaresName(const EffectTokens& t, std::size_t k)
{
    static const char* const kAfter[] = {";", "=", ",", "[", ":", ")"};
    return k > 0 && t.IsIdent(k) && t.IsIdent(k - 1) && !t.Is(k - 1, "return") &&
           std::any_of(std::begin(kAfter), std::end(kAfter), [&](const char* a) { return t.Is(k + 1, a); });
}

bool IsDeclarationModifier(const std::string& word)
{
    static const std::set<std::string> kModifiers = {"static",    "uniform",      "const",  "extern",
                                                     "volatile",  "groupshared",  "shared", "precise",
                                                     "row_major", "column_major", "snorm",  "unorm"};
    return kModifiers.count(word) != 0;
}

// An out or inout parameter at k (the keyword) with a default value.
void CheckOutParameter(EffectTokens& t, std::size_t k)
{
    for (std::size_t j = k + 1; j < t.Size() && !t.Is(j, ",") && !t.Is(j, ")") && !t.Is(j, ";"); ++j) {
        if (t.Is(j, "(") || t.Is(j, "[")) {
            j = t.Match(j);
        } else if (t.Is(j, "=")) {
            t.Error(t.At(j), "'" + t.Text(j - 1) + "': an " + t.Text(k) + " parameter cannot have a default value");
            return;
        }
    }
}

// The attributes written one after another from k ([unroll] [loop] ...): none twice; and at file
// scope they belong to a function, not to a variable.
std::size_t CheckAttributes(EffectTokens& t, std::size_t k, bool fileScope)
{
    std::set<std::string> names;
    const std::size_t first = k;
    for (; t.Is(k, "[") && t.IsIdent(k + 1) && t.Match(k) < t.Size(); k = t.Match(k) + 1) {
        if (!names.insert(t.Text(k + 1)).second) {
            t.Error(t.At(k + 1), "the attribute '" + t.Text(k + 1) + "' is given twice");
        }
    }
    std::size_t type = k;
    while (IsDeclarationModifier(t.Text(type))) {
        ++type;
    }
    const std::size_t name = t.Is(type + 1, "<") && t.Match(type + 1) < t.Size() ? t.Match(type + 1) + 1 : type + 1;
    if (fileScope && !names.empty() && t.IsIdent(type) && DeclaresName(t, name)) {
        t.Error(t.At(first),
                "attributes belong to functions and statements, not to the variable '" + t.Text(name) + "'");
    }
    return k;
}

// The index after the array dimensions `[N][M]` that start at k.
std::size_t AfterDimensions(const EffectTokens& t, std::size_t k)
{
    while (t.Is(k, "[") && t.Match(k) < t.Size()) {
        k = t.Match(k) + 1;
    }
    return k;
}

// Declarations Direct3D refuses and the HLSL compiler we use takes: effect keywords as names, default
// values of out parameters, attributes given twice or to variables, a local const with no value,
// `struct T` naming a typedef or a built-in type, a struct that declares nothing, and an array with
// neither a size nor an initializer.
void CheckDeclarations(EffectTokens& t)
{
    std::set<std::string> typedefs;
    BodyScope scope;
    std::size_t statement = 0;  // the first token of the statement k is in
    int depth = 0;
    for (std::size_t k = 0; k < t.Size(); ++k) {
        scope.See(t, k);
        if (t.Is(k, "{") || t.Is(k, "}") || t.Is(k, ";")) {
            depth += t.Is(k, "{") ? 1 : t.Is(k, "}") ? -1 : 0;
            statement = k + 1;
            continue;
        }
        const bool statementStart = k == statement || (k > 0 && t.Is(k - 1, "else"));
        if (t.Is(k, "[") && statementStart && !t.Is(k + 1, "[")) {
            // An unterminated '[' is no attribute run; k moves on either way.
            k = std::max(k, CheckAttributes(t, k, depth == 0) - 1);
            statement = k + 1;
        } else if (IsEffectKeyword(t.Text(k)) && DeclaresName(t, k)) {
            t.Error(t.At(k), "'" + t.Text(k) + "' is a keyword of effect files; it cannot name a variable");
        } else if (t.Is(k, "out") || t.Is(k, "inout")) {
            CheckOutParameter(t, k);
        } else if (t.Is(k, "typedef")) {
            std::size_t end = k;
            while (end < t.Size() && !t.Is(end, ";") && !t.Is(end, "[")) {
                end = t.Is(end, "{") ? t.Match(end) + 1 : end + 1;
            }
            typedefs.insert(t.Text(end - 1));
        } else if (t.Is(k, "struct") && t.IsIdent(k + 1) && t.IsIdent(k + 2)) {
            HlslTypeName builtIn;
            if (typedefs.count(t.Text(k + 1)) != 0 || ParseHlslTypeName(t.Text(k + 1), builtIn)) {
                t.Error(t.At(k + 1), "'" + t.Text(k + 1) + "' is not a struct");
            }
        } else if (t.Is(k, "struct") && t.Is(k + 1, "{") && depth == 0 && t.Match(k + 1) < t.Size() &&
                   t.Is(t.Match(k + 1) + 1, ";") && !t.Is(statement, "typedef")) {
            t.Error(t.At(k), "a struct with no name and no variable of it declares nothing");
        } else if (t.Is(k, "const") && scope.InFunctionBody()) {
            std::size_t end = k;
            while (end < t.Size() && !t.Is(end, ";") && !t.Is(end, "=")) {
                end = t.Is(end, "(") || t.Is(end, "[") ? t.Match(end) + 1 : end + 1;
            }
            if (t.Is(end, ";") && t.IsIdent(end - 1)) {
                t.Error(t.At(end - 1), "'" + t.Text(end - 1) + "': a const local needs an initial value");
            }
        } else if (t.Is(k, "[") && t.Is(k + 1, "]") && DeclaresName(t, k - 1) && !t.Is(statement, "typedef") &&
                   !t.Is(AfterDimensions(t, k + 2), "=")) {
            t.Error(t.At(k - 1), "'" + t.Text(k - 1) + "': an array with no size needs an initializer to give it one");
        }
    }
}

// The parameters of each function the file defines or declares, by name: for each overload, whether
// each parameter is out or inout.
std::map<std::string, std::vector<std::vector<bool>>> OutParameters(const EffectTokens& t)
{
    std::map<std::string, std::vector<std::vector<bool>>> functions;
    int depth = 0;
    for (std::size_t k = 0; k < t.Size(); ++k) {
        depth += t.Is(k, "{") ? 1 : t.Is(k, "}") ? -1 : 0;
        if (depth != 0 || !t.Is(k, "(") || k < 2 || !t.IsIdent(k - 1) || !t.IsIdent(k - 2) || t.Match(k) >= t.Size()) {
            continue;
        }
        const std::size_t close = t.Match(k);
        std::vector<bool> outs;
        bool out = false;
        for (std::size_t j = k + 1; j < close; ++j) {
            out = out || t.Is(j, "out") || t.Is(j, "inout");
            if (t.Is(j, "(") || t.Is(j, "[") || t.Is(j, "<")) {
                j = std::min(t.Match(j), close);
            } else if (t.Is(j, ",") || j + 1 == close) {
                outs.push_back(out);
                out = false;
            }
        }
        functions[t.Text(k - 1)].push_back(outs);
        k = close;
    }
    return functions;
}

// Calls that hand `v.xx` (v a vector) to an out or inout parameter: the component would be written
// twice.
void CheckOutArguments(EffectTokens& t, const std::set<std::string>& vectors)
{
    const auto functions = OutParameters(t);
    for (std::size_t k = 1; k + 1 < t.Size(); ++k) {
        const auto called = functions.find(t.Text(k));
        if (called == functions.end() || !t.Is(k + 1, "(") || t.IsIdent(k - 1) || t.Match(k + 1) >= t.Size()) {
            continue;
        }
        const std::size_t close = t.Match(k + 1);
        std::size_t argument = 0, start = k + 2;
        for (std::size_t j = k + 2; j <= close; ++j) {
            if (j < close && (t.Is(j, "(") || t.Is(j, "["))) {
                j = std::min(t.Match(j), close) - 1;
                continue;
            }
            if (j < close && !t.Is(j, ",")) {
                continue;
            }
            // Every overload with this many arguments writes through this one.
            const bool written = std::all_of(called->second.begin(), called->second.end(), [&](const auto& outs) {
                return argument < outs.size() && outs[argument];
            });
            if (written && j == start + 3 && vectors.count(t.Text(start)) != 0 && t.Is(start + 1, ".") &&
                RepeatsAComponent(t.Text(start + 2))) {
                // Built by appending: GCC 12 misfires -Wrestrict on chains of operator+ here.
                std::string message = "'";
                message.append(t.Source(start, start + 2))
                    .append("' names a component twice, so it cannot be handed to an out or inout parameter");
                t.Error(t.At(start), message);
            }
            ++argument;
            start = j + 1;
        }
    }
}

}  // namespace

bool ThreadGroupFits(std::int64_t x, std::int64_t y, std::int64_t z, std::string& error)
{
    constexpr std::int64_t kMaxThreads = 1024, kMaxX = 1024, kMaxY = 1024, kMaxZ = 64;
    if (x > 0 && y > 0 && z > 0 && x <= kMaxX && y <= kMaxY && z <= kMaxZ && x * y * z <= kMaxThreads) {
        return true;
    }
    error = "thread group size (" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) +
            ") is outside shader model 5's limits: X and Y 1 to 1024, Z 1 to 64, X * Y * Z at most 1024";
    return false;
}

void RefuseWhatDirect3DRefuses(EffectTokens& t, const std::set<std::string>& macroNames)
{
    const std::set<std::string> vectors = VectorNames(t);
    static const char* const kAssignments[] = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="};
    std::uint64_t sharedBytes = 0;
    std::size_t firstShared = 0;
    CheckPackOffsets(t);
    CheckDeclarations(t);
    CheckOutArguments(t, vectors);
    for (std::size_t k = 0; k < t.Size(); ++k) {
        if (t.Is(k, "numthreads") && k > 0 && t.Is(k - 1, "[")) {
            CheckThreadGroup(t, k);
        } else if (t.Is(k, "struct") && t.IsIdent(k + 1) && t.Is(k + 2, "{") && t.Match(k + 2) < t.Size()) {
            CheckMembersOnce(t, k + 2, t.Match(k + 2));
        } else if (t.Is(k, "switch") && t.Is(k + 1, "(")) {
            CheckSwitch(t, k, macroNames);
        } else if (t.Is(k, "case") && (t.IsNumber(k + 1) || (t.Is(k + 1, "-") && t.IsNumber(k + 2)))) {
            const std::string& label = t.Text(t.IsNumber(k + 1) ? k + 1 : k + 2);
            const bool hex = label.size() > 1 && (label[1] == 'x' || label[1] == 'X');
            if (!hex && label.find_first_of(".eEfFhH") != std::string::npos) {
                t.Error(t.At(k + 1), "a case label is an integer, not '" + label + "'");
            }
        } else if (t.Is(k, "[") && k > 0 && t.IsIdent(k - 1) && (t.Is(k + 1, "-") || t.Is(k + 1, "0")) && k > 1 &&
                   t.IsIdent(k - 2) && TypeBytes(t.Text(k - 2)) != 0) {
            // TYPE NAME[0] or TYPE NAME[-N]: an array has 1 to 65536 elements.
            std::uint64_t n = 0;
            if ((t.Is(k + 1, "0") && t.Is(k + 2, "]")) || (t.Is(k + 1, "-") && Number(t, k + 2, n))) {
                t.Error(t.At(k + 1), "'" + t.Text(k - 1) + "': an array has at least one element");
            }
        } else if (t.Is(k, "groupshared") && t.IsIdent(k + 1) && t.IsIdent(k + 2)) {
            std::uint64_t bytes = TypeBytes(t.Text(k + 1));
            for (std::size_t j = k + 3; bytes != 0 && t.Is(j, "["); j += 3) {
                std::uint64_t n = 0;
                bytes = Number(t, j + 1, n) && t.Is(j + 2, "]") ? bytes * n : 0;
            }
            if (sharedBytes == 0) {
                firstShared = k;
            }
            sharedBytes += bytes;
        } else if (t.Is(k, ".") && k > 0 && vectors.count(t.Text(k - 1)) != 0 && t.IsIdent(k + 1) &&
                   RepeatsAComponent(t.Text(k + 1))) {
            for (const char* op : kAssignments) {
                if (t.Is(k + 2, op)) {
                    t.Error(t.At(k + 1),
                            "the swizzle '" + t.Text(k + 1) + "' names a component twice, so it cannot be assigned to");
                    break;
                }
            }
        }
    }
    if (sharedBytes > kMaxGroupSharedBytes) {
        t.Error(t.At(firstShared), "groupshared memory of " + std::to_string(sharedBytes) + " bytes is past the " +
                                       std::to_string(kMaxGroupSharedBytes) + " bytes shader model 5 allows");
    }
}
