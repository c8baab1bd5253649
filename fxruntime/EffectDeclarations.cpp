#include "fxruntime/EffectDeclarations.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>

#include "fxruntime/HlslTypeNames.h"

namespace {

struct ResourceType {
    const char* name;
    EffectResourceKind kind;
    StageTextureDimension dimension;
};

constexpr ResourceType kResourceTypes[] = {
    {"Texture2D", EffectResourceKind::Texture, StageTextureDimension::Texture2D},
    {"Texture2DArray", EffectResourceKind::Texture, StageTextureDimension::Texture2DArray},
    {"Texture3D", EffectResourceKind::Texture, StageTextureDimension::Texture3D},
    {"TextureCube", EffectResourceKind::Texture, StageTextureDimension::TextureCube},
    {"RWTexture2D", EffectResourceKind::Uav, StageTextureDimension::Texture2D},
};

// HLSL resource types the device cannot bind; declaring one is an error at the declaration.
constexpr const char* kUnsupportedResourceTypes[] = {"Texture1D",
                                                     "Texture1DArray",
                                                     "TextureCubeArray",
                                                     "Texture2DMS",
                                                     "Texture2DMSArray",
                                                     "RWTexture1D",
                                                     "RWTexture1DArray",
                                                     "RWTexture2DArray",
                                                     "RWTexture3D",
                                                     "Buffer",
                                                     "RWBuffer",
                                                     "StructuredBuffer",
                                                     "RWStructuredBuffer",
                                                     "ByteAddressBuffer",
                                                     "RWByteAddressBuffer",
                                                     "AppendStructuredBuffer",
                                                     "ConsumeStructuredBuffer"};

const std::set<std::string>& Modifiers()
{
    static const std::set<std::string> kModifiers = {
        "row_major", "column_major", "uniform",       "extern", "precise", "nointerpolation",
        "linear",    "centroid",     "noperspective", "sample", "shared",  "volatile",
        "const",     "static",       "groupshared",   "snorm",  "unorm",   "globallycoherent",
        "in",        "out",          "inout"};
    return kModifiers;
}

// "float3x1" -> rows 3, columns 1, vector "float3"; false for anything else.
bool OneWideMatrix(const std::string& type, std::uint32_t& rows, std::uint32_t& columns, std::string& vector)
{
    HlslTypeName name;
    if (!ParseHlslTypeName(type, name) || !name.Matrix() || (name.rows != 1 && name.columns != 1)) {
        return false;
    }
    rows = static_cast<std::uint32_t>(name.rows);
    columns = static_cast<std::uint32_t>(name.columns);
    vector = std::string(name.scalar);
    if (rows * columns != 1) {
        vector += std::to_string(rows * columns);
    }
    return true;
}

// bool, float3, int4x4, min16float2 and the like.
bool IsNumericType(const std::string& type)
{
    HlslTypeName name;
    return ParseHlslTypeName(type, name);
}

bool IsOneComponentVector(const std::string& type)
{
    HlslTypeName name;
    return ParseHlslTypeName(type, name) && name.vector && name.rows == 1;
}

bool IsIntegerMatrix(const std::string& type)
{
    HlslTypeName name;
    return ParseHlslTypeName(type, name) && name.Matrix() && name.scalar != "float" && name.scalar != "half" &&
           name.scalar != "double" && name.scalar != "min16float" && name.scalar != "min10float";
}

bool IsBoolType(const std::string& type)
{
    return type == "bool" ||
           (type.size() == 5 && type.compare(0, 4, "bool") == 0 && type[4] >= '1' && type[4] <= '4') ||
           (type.size() == 7 && type.compare(0, 4, "bool") == 0 && type[5] == 'x');
}

char RegisterClass(EffectResourceKind kind)
{
    switch (kind) {
    case EffectResourceKind::Texture: return 't';
    case EffectResourceKind::Uav: return 'u';
    case EffectResourceKind::Sampler: return 's';
    }
    return 't';
}

std::string Where(const EffectSourceLocation& w)
{
    return w.file + "(" + std::to_string(w.line) + "," + std::to_string(w.column) + ")";
}

// packoffset(cN) or packoffset(cN.x) from the word at k to the ')' at close: register N, component
// x, y, z or w (or r, g, b, a) as a byte offset into decl, or an error naming the member.
void ReadPackOffset(EffectTokens& tokens, std::size_t k, std::size_t close, const std::string& member,
                    EffectMemberDecl& decl)
{
    const std::string& r = tokens.Text(k + 2);
    int component = 0;
    bool ok = r.size() >= 2 && (r[0] == 'c' || r[0] == 'C') &&
              std::all_of(r.begin() + 1, r.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
              r.size() <= 5;
    if (ok && close == k + 5 && tokens.Is(k + 3, ".")) {
        static const std::string kComponents = "xyzw", kColors = "rgba";
        const std::string& c = tokens.Text(k + 4);
        const std::size_t at = c.size() == 1 ? kComponents.find(c[0]) : std::string::npos;
        const std::size_t atColor = c.size() == 1 ? kColors.find(c[0]) : std::string::npos;
        component = static_cast<int>(at != std::string::npos ? at : atColor);
        ok = at != std::string::npos || atColor != std::string::npos;
    } else if (ok) {
        ok = close == k + 3;
    }
    if (!ok) {
        tokens.Error(tokens.At(k), "packoffset of '" + member + "' must read cN or cN.x (y, z, w)");
        return;
    }
    decl.hasPackOffset = true;
    decl.packOffset = static_cast<std::uint32_t>(std::stoul(r.substr(1))) * 16 +
                      4u * static_cast<std::uint32_t>(component);
}

// A packoffset read into decl, against the member's type: an array, a matrix or a struct (startsRegister
// for the first and last) begins at component x; a scalar or vector lies within one register. Types
// the name does not show (typedefs, structs named without the keyword) are checked once the buffer is
// laid out, if a shader uses it; Direct3D checks every buffer, used or not.
void CheckPackOffsetPlace(EffectTokens& tokens, const std::string& member, const std::string& type, bool startsRegister,
                          const EffectMemberDecl& decl)
{
    constexpr std::uint32_t kRegisterBytes = 16;
    HlslTypeName name;
    const bool numeric = ParseHlslTypeName(type, name);
    const std::uint32_t component = decl.packOffset % kRegisterBytes;
    if (!decl.hasPackOffset || (!numeric && !startsRegister)) {
        return;
    }
    const std::string what = "packoffset of '" + member + "'";
    if ((startsRegister || name.Matrix()) && component != 0) {
        tokens.Error(decl.where, what + " must name component x of a register, since it starts a register");
    } else if (numeric && !name.Matrix() &&
               component + (name.scalar == "double" ? 8u : 4u) * static_cast<std::uint32_t>(name.rows) >
                   kRegisterBytes) {
        tokens.Error(decl.where, what + " makes it straddle a register boundary");
    }
}

// The end of the initializer that starts at j ('='): the ',' after it at bracket depth 0, or `end`.
std::size_t InitializerEnd(const EffectTokens& tokens, std::size_t j, std::size_t end)
{
    int depth = 0;
    while (j < end && !(depth == 0 && tokens.Is(j, ","))) {
        if (tokens.Is(j, "{") || tokens.Is(j, "(")) {
            ++depth;
        }
        if (tokens.Is(j, "}") || tokens.Is(j, ")")) {
            --depth;
        }
        ++j;
    }
    return j;
}

// A matrix one row or one column wide, by the name of a variable or member declared with it.
struct OneWide {
    std::uint32_t rows, columns;
    std::size_t dimensions;  // array dimensions of the variable, indexed before the matrix
    std::string scalar;      // the element type, "float" of float4x1
};
using OneWideNames = std::map<std::string, OneWide>;

// The declarators after the one-wide matrix type at k: the type, then names separated by commas.
void NoteOneWideDeclarators(const EffectTokens& tokens, std::size_t k, std::uint32_t rows, std::uint32_t columns,
                            OneWideNames& names)
{
    std::size_t n = k + 1;
    while (tokens.IsIdent(n) && !tokens.Is(n + 1, "(")) {
        OneWide& entry = names[tokens.Text(n)];
        const std::string& type = tokens.Text(k);
        entry = {rows, columns, 0, type.substr(0, type.find_first_of("1234"))};
        ++n;
        for (; tokens.Is(n, "[") && tokens.Match(n) < tokens.Size(); ++entry.dimensions) {
            n = tokens.Match(n) + 1;
        }
        while (tokens.Is(n, ":") && tokens.IsIdent(n + 1)) {  // semantics, packoffset(...), register(...)
            n += 2;
            if (tokens.Is(n, "(") && tokens.Match(n) < tokens.Size()) {
                n = tokens.Match(n) + 1;
            }
        }
        if (tokens.Is(n, "=")) {
            break;
        }
        if (!tokens.Is(n, ",")) {
            break;
        }
        ++n;
    }
}

// Finds the one-wide matrices and rewrites their types to vectors; refuses the forms that cannot be
// rewritten (matrix<...>, typedefs, integer matrices) and makes float1 and the like scalars.
OneWideNames FindOneWideMatrices(EffectTokens& tokens)
{
    OneWideNames names;
    for (std::size_t k = 0; k < tokens.Size(); ++k) {
        if (!tokens.IsIdent(k)) {
            continue;
        }
        std::uint32_t rows = 0, columns = 0;
        std::string vector;
        if (tokens.Text(k) == "matrix" && tokens.Is(k + 1, "<")) {
            // matrix<float, 1, 4> is the same type; it is refused rather than guessed at.
            const std::size_t close = tokens.Match(k + 1);
            if (close == k + 7 && (tokens.Text(k + 4) == "1" || tokens.Text(k + 6) == "1")) {
                tokens.Error(tokens.At(k), "write a matrix one row or one column wide as " + tokens.Text(k + 2) +
                                               tokens.Text(k + 4) + "x" + tokens.Text(k + 6) + ", not matrix<...>");
            }
            continue;
        }
        if (IsOneComponentVector(tokens.Text(k))) {
            // float1 and the like are scalars to the HLSL compiler, which fails (or crashes) on arrays
            // of them in constant buffers.
            tokens.Replace(k, k, tokens.Text(k).substr(0, tokens.Text(k).size() - 1));
            continue;
        }
        if (IsIntegerMatrix(tokens.Text(k))) {
            // Compiled code has float matrices only; the HLSL compiler cannot make these.
            tokens.Error(tokens.At(k), "'" + tokens.Text(k) +
                                           "': matrices of integers or bools are not supported; use an array of "
                                           "vectors or a float matrix");
            continue;
        }
        if (!OneWideMatrix(tokens.Text(k), rows, columns, vector)) {
            continue;
        }
        if (k > 0 && tokens.Is(k - 1, "typedef")) {
            tokens.Error(tokens.At(k),
                         "a typedef of the matrix type '" + tokens.Text(k) + "' is not supported; use the type itself");
            continue;
        }
        tokens.Replace(k, k, vector);
        NoteOneWideDeclarators(tokens, k, rows, columns, names);
    }
    return names;
}

// A name also declared with another numeric type cannot be told apart from it in the code, so its
// element accesses could not be rewritten safely: refused instead.
bool RedeclaredOneWide(EffectTokens& tokens, const OneWideNames& names)
{
    for (std::size_t k = 0; k + 1 < tokens.Size(); ++k) {
        std::uint32_t rows = 0, columns = 0;
        std::string vector;
        if (!tokens.IsIdent(k) || !tokens.IsIdent(k + 1) || names.count(tokens.Text(k + 1)) == 0 ||
            !IsNumericType(tokens.Text(k)) || OneWideMatrix(tokens.Text(k), rows, columns, vector)) {
            continue;
        }
        tokens.Error(tokens.At(k + 1), "'" + tokens.Text(k + 1) +
                                           "' is also declared as a matrix one row or one column wide; give "
                                           "each its own name");
        return true;
    }
    return false;
}

// mul(column, row) of a one-column and a one-row matrix is their outer product, a full matrix; of
// the two vectors they became, mul would take the dot product. Row i is column[i] * row.
void RewriteOuterProducts(EffectTokens& tokens, const OneWideNames& names)
{
    for (std::size_t k = 0; k + 5 < tokens.Size(); ++k) {
        if (!tokens.Is(k, "mul") || !tokens.Is(k + 1, "(") || !tokens.Is(k + 3, ",") || !tokens.Is(k + 5, ")") ||
            names.count(tokens.Text(k + 2)) == 0 || names.count(tokens.Text(k + 4)) == 0) {
            continue;
        }
        const OneWide& column = names.at(tokens.Text(k + 2));
        const OneWide& row = names.at(tokens.Text(k + 4));
        if (column.dimensions != 0 || row.dimensions != 0 || column.columns != 1 || row.rows != 1 || column.rows == 1 ||
            row.columns == 1) {
            continue;
        }
        std::string outer = column.scalar;
        outer.append(std::to_string(column.rows)).append("x").append(std::to_string(row.columns)).append("(");
        for (std::uint32_t r = 0; r < column.rows; ++r) {
            if (r > 0) {
                outer += ", ";
            }
            outer.append(tokens.Text(k + 2))
                .append("[")
                .append(std::to_string(r))
                .append("] * ")
                .append(tokens.Text(k + 4));
        }
        outer += ")";
        tokens.Replace(k, k + 5, outer);
        k += 5;
    }
}

// `._m01` or `._12` (and runs of them) at `at` after the matrix `name`: the elements' letters in the
// vector.
void RewriteElementNames(EffectTokens& tokens, std::size_t at, std::uint32_t rows, std::uint32_t columns,
                         const std::string& name)
{
    static const char kLetters[] = "xyzw";
    static const std::regex kElement(R"(_m([0-3])([0-3])|_([1-4])([1-4]))");
    const std::string s = tokens.Text(at + 1);
    std::string letters;
    std::size_t consumed = 0;
    bool ok = true;
    for (std::sregex_iterator it(s.begin(), s.end(), kElement), e; it != e; ++it) {
        if (static_cast<std::size_t>(it->position()) != consumed) {
            ok = false;
        }
        consumed += static_cast<std::size_t>(it->length());
        const auto& m = *it;
        const std::uint32_t r = m[1].matched ? static_cast<std::uint32_t>(std::stoul(m[1]))
                                             : static_cast<std::uint32_t>(std::stoul(m[3])) - 1;
        const std::uint32_t c = m[2].matched ? static_cast<std::uint32_t>(std::stoul(m[2]))
                                             : static_cast<std::uint32_t>(std::stoul(m[4])) - 1;
        if (r >= rows || c >= columns) {
            ok = false;
        } else {
            letters += kLetters[rows == 1 ? c : r];
        }
    }
    if (!ok || consumed != s.size() || letters.empty()) {
        tokens.Error(tokens.At(at + 1), "'" + s + "' is not an element of the " + std::to_string(rows) + "x" +
                                            std::to_string(columns) + " matrix '" + name + "'");
        return;
    }
    tokens.Replace(at + 1, at + 1, letters);
}

// `[r]` or `[r][c]` at `at` after the matrix `name`: the index of the vector's component stays, the
// other (which can only be 0) goes.
void RewriteElementIndices(EffectTokens& tokens, std::size_t at, std::uint32_t rows, std::uint32_t columns,
                           const std::string& name)
{
    if (!tokens.Is(at, "[")) {
        return;
    }
    std::size_t close = tokens.Match(at);
    if (close >= tokens.Size()) {
        return;
    }
    if (rows == 1) {
        // m[0] is the one row: the vector itself.
        if (close != at + 2 || tokens.Text(at + 1) != "0") {
            tokens.Error(tokens.At(at),
                         "the one-row matrix '" + name + "' has only row 0; index it as " + name + "[0]");
            return;
        }
        tokens.Replace(at, close, "");
        at = close + 1;
        if (!tokens.Is(at, "[")) {
            return;
        }
        close = tokens.Match(at);
        if (close >= tokens.Size() || columns != 1) {
            return;  // m[0][c] is the vector's component c
        }
    } else {
        at = close + 1;
        if (!tokens.Is(at, "[")) {
            return;  // m[r]: the one column's element r, the vector's component r
        }
        close = tokens.Match(at);
        if (close >= tokens.Size()) {
            return;
        }
    }
    // m[r][0] of a one-column matrix: component r, already taken by m[r].
    if (close == at + 2 && tokens.Text(at + 1) == "0") {
        tokens.Replace(at, close, "");
    } else {
        tokens.Error(tokens.At(at), "the one-column matrix '" + name + "' has only column 0");
    }
}

}  // namespace

bool DeclarationReader::IsResourceType(const std::string& word)
{
    for (const ResourceType& r : kResourceTypes) {
        if (word == r.name) {
            return true;
        }
    }
    for (const char* r : kUnsupportedResourceTypes) {
        if (word == r) {
            return true;
        }
    }
    return false;
}

bool DeclarationReader::RowMajorAt(std::size_t k) const
{
    bool rowMajor = false;
    const std::size_t at = k < tokens.Size() ? tokens.Tok(k).begin : ~std::size_t{0};
    for (const PackMatrixPragma& p : packMatrixPragmas) {
        if (p.offset < at) {
            rowMajor = p.rowMajor;
        }
    }
    return rowMajor;
}

bool DeclarationReader::Dimensions(std::size_t& k, std::vector<std::uint32_t>& dims, const std::string& what)
{
    while (tokens.Is(k, "[")) {
        const std::size_t close = tokens.Match(k);
        double n = 0;
        if (close != k + 2 || !tokens.IsNumber(k + 1) || !ParseNumber(tokens.Text(k + 1), n) || n < 1 || n > 65536 ||
            n != static_cast<double>(static_cast<std::uint32_t>(n))) {
            tokens.Error(tokens.At(k), "the array size of '" + what + "' must be a literal number from 1 to 65536");
            return false;
        }
        dims.push_back(static_cast<std::uint32_t>(n));
        k = close + 1;
    }
    return true;
}

bool DeclarationReader::ResourceArraySize(std::size_t& k, EffectResourceDecl& decl)
{
    std::vector<std::uint32_t> dims;
    if (!Dimensions(k, dims, decl.name)) {
        return false;
    }
    if (dims.size() > 1) {
        tokens.Error(decl.where, "'" + decl.name + "' is an array of arrays; declare a one-dimensional array");
        return false;
    }
    if (!dims.empty()) {
        decl.elements = dims[0];
    }
    return true;
}

EffectRegister DeclarationReader::Register(std::size_t k, char cls, const std::string& what, std::size_t& after)
{
    EffectRegister reg;
    after = k;
    if (!tokens.Is(k, ":") || !tokens.Is(k + 1, "register") || !tokens.Is(k + 2, "(")) {
        return reg;
    }
    const std::size_t close = tokens.Match(k + 2);
    after = close < tokens.Size() ? close + 1 : tokens.Size();
    const std::string& r = tokens.Text(k + 3);
    if (close != k + 4 || r.size() < 2 || std::tolower(static_cast<unsigned char>(r[0])) != cls ||
        !std::all_of(r.begin() + 1, r.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
        r.size() > 6) {
        tokens.Error(tokens.At(k + 1), "'" + what + "' needs a register of the form " + std::string(1, cls) +
                                           "N, not '" + tokens.Source(k + 3, close - 1) + "'");
        return reg;
    }
    reg.given = true;
    reg.slot = static_cast<std::uint32_t>(std::stoul(r.substr(1)));
    return reg;
}

void DeclarationReader::Members(std::size_t start, std::size_t end, const std::string& scope, bool constantBuffer)
{
    std::size_t j = start;
    bool rowMajor = false, columnMajor = false;
    while (j < end && tokens.IsIdent(j) && Modifiers().count(tokens.Text(j)) != 0) {
        if (tokens.Text(j) == "row_major") {
            rowMajor = true;
        }
        if (tokens.Text(j) == "column_major") {
            columnMajor = true;
        }
        ++j;
    }
    if (j >= end || !tokens.IsIdent(j)) {
        return;
    }
    const std::size_t typeAt = j;
    std::string type = tokens.Text(j++);
    // `struct S name`: a member of struct type, named with the keyword (a struct defined here is not).
    const bool ofStructType = type == "struct" && tokens.IsIdent(j) && tokens.IsIdent(j + 1);
    if (ofStructType) {
        type = tokens.Text(j++);
    } else if (type == "typedef" || type == "struct" || type == "return") {
        return;
    }
    if (tokens.Is(j, "<")) {
        const std::size_t close = tokens.Match(j);
        if (close >= end) {
            return;
        }
        j = close + 1;
    }
    if (scope == "$Globals") {
        KeepConstGlobalUniform(start, typeAt, end);
    }
    std::uint32_t rows = 0, columns = 0;
    std::string vector;
    const bool oneWide = OneWideMatrix(type, rows, columns, vector);
    const bool isRowMajor = rowMajor || (!columnMajor && RowMajorAt(typeAt));
    while (j < end && tokens.IsIdent(j)) {
        const std::size_t nameAt = j++;
        if (tokens.Is(j, "(")) {
            return;  // a function declaration
        }
        EffectMemberDecl decl;
        decl.where = tokens.At(nameAt);
        decl.declaredBool = IsBoolType(type);
        if (oneWide) {
            decl.matrixRows = rows;
            decl.matrixColumns = columns;
            decl.rowMajor = isRowMajor;
        }
        const bool array = tokens.Is(j, "[");
        while (tokens.Is(j, "[")) {
            const std::size_t close = tokens.Match(j);
            if (close >= end) {
                return;
            }
            j = close + 1;
        }
        // packoffset outside a constant buffer is refused where every use of it is seen
        // (RefuseWhatDirect3DRefuses), struct members and parameters included.
        if (constantBuffer) {
            ReadPackOffsetOf(j, end, tokens.Text(nameAt), type, array || ofStructType, decl);
        }
        j = AfterSuffixes(j, end);
        tokens.Out().memberDecls[EffectMemberKey(scope, tokens.Text(nameAt))] = decl;
        if (tokens.Is(j, "=")) {
            j = InitializerEnd(tokens, j, end);
        }
        if (!tokens.Is(j, ",")) {
            return;
        }
        ++j;
    }
}

std::size_t NonLiteralAt(const EffectTokens& tokens, std::size_t eq)
{
    std::size_t j = eq + 1;
    for (; j < tokens.Size() && !tokens.Is(j, ";"); ++j) {
        HlslTypeName constructor;
        const bool sign = (tokens.Is(j, "-") || tokens.Is(j, "+")) && (tokens.Is(j - 1, "=") || tokens.Is(j - 1, ",") ||
                                                                       tokens.Is(j - 1, "(") || tokens.Is(j - 1, "{"));
        const bool literal = tokens.IsNumber(j) || SameNoCase(tokens.Text(j), "true") ||
                             SameNoCase(tokens.Text(j), "false") || tokens.Is(j, ",") || tokens.Is(j, "{") ||
                             tokens.Is(j, "}") || tokens.Is(j, "(") || tokens.Is(j, ")") || sign ||
                             (tokens.Is(j + 1, "(") && ParseHlslTypeName(tokens.Text(j), constructor));
        if (!literal) {
            return j;
        }
    }
    return j;
}

void DeclarationReader::KeepConstGlobalUniform(std::size_t start, std::size_t typeAt, std::size_t end)
{
    // An initializer the effect cannot read as numbers keeps the variable a constant of the shader.
    if (tokens.Is(end - 1, "=") && !tokens.Is(NonLiteralAt(tokens, end - 1), ";")) {
        return;
    }
    std::size_t constAt = typeAt;
    for (std::size_t k = start; k < typeAt; ++k) {
        if (tokens.Is(k, "static")) {
            return;
        }
        constAt = tokens.Is(k, "const") ? k : constAt;
    }
    if (constAt < typeAt) {
        tokens.Blank(constAt, constAt);
    }
}

std::size_t DeclarationReader::AfterSuffix(std::size_t k, std::size_t end) const
{
    if ((tokens.Is(k + 1, "packoffset") || tokens.Is(k + 1, "register")) && tokens.Is(k + 2, "(")) {
        const std::size_t close = tokens.Match(k + 2);
        return close < end ? close + 1 : end;
    }
    return std::min(k + 2, end);  // a semantic
}

std::size_t DeclarationReader::AfterSuffixes(std::size_t k, std::size_t end) const
{
    while (tokens.Is(k, ":") && k + 1 < end) {
        k = AfterSuffix(k, end);
    }
    return k;
}

void DeclarationReader::ReadPackOffsetOf(std::size_t k, std::size_t end, const std::string& member,
                                         const std::string& type, bool startsRegister, EffectMemberDecl& decl)
{
    for (; tokens.Is(k, ":") && k + 1 < end; k = AfterSuffix(k, end)) {
        if (tokens.Is(k + 1, "packoffset") && tokens.Is(k + 2, "(")) {
            ReadPackOffset(tokens, k + 1, tokens.Match(k + 2), member, decl);
            CheckPackOffsetPlace(tokens, member, type, startsRegister, decl);
            return;
        }
    }
}

std::size_t DeclarationReader::Resource(std::size_t k)
{
    const std::string type = tokens.Text(k);
    const ResourceType* known = nullptr;
    for (const ResourceType& r : kResourceTypes) {
        if (type == r.name) {
            known = &r;
        }
    }
    std::size_t n = k + 1;
    std::string elementType;
    if (tokens.Is(n, "<")) {
        const std::size_t close = tokens.Match(n);
        if (close >= tokens.Size()) {
            return k + 1;
        }
        if (close > n + 1) {
            elementType = tokens.Source(n + 1, close - 1);
        }
        n = close + 1;
    }
    if (!tokens.IsIdent(n)) {
        return k + 1;  // a type used elsewhere, e.g. in a cast
    }
    if (known == nullptr) {
        tokens.Error(tokens.At(k), "'" + type +
                                       "' is not supported; use Texture2D, Texture2DArray, Texture3D, TextureCube or "
                                       "RWTexture2D");
        return n;
    }
    while (tokens.IsIdent(n)) {
        EffectResourceDecl decl;
        decl.name = tokens.Text(n);
        decl.kind = known->kind;
        decl.dimension = known->dimension;
        decl.elementType = elementType;
        decl.where = tokens.At(n);
        ++n;
        if (!ResourceArraySize(n, decl)) {
            return n;
        }
        if (decl.kind == EffectResourceKind::Uav && decl.elements > 0) {
            tokens.Error(decl.where, "arrays of writable textures are not supported ('" + decl.name + "')");
            return n;
        }
        std::size_t after = n;
        decl.reg = Register(n, RegisterClass(decl.kind), decl.name, after);
        n = after;
        tokens.Out().resources.push_back(decl);
        if (!tokens.Is(n, ",")) {
            break;
        }
        ++n;
    }
    return n;
}

std::size_t DeclarationReader::SamplerDeclaration(std::size_t k, EffectResourceDecl& decl)
{
    decl.kind = EffectResourceKind::Sampler;
    decl.name = tokens.Text(k + 1);
    decl.where = tokens.At(k + 1);
    std::size_t n = k + 2;
    if (!ResourceArraySize(n, decl)) {
        return n;
    }
    std::size_t after = n;
    decl.reg = Register(n, 's', decl.name, after);
    return after;
}

void DeclarationReader::RewriteOneWideMatrices()
{
    // Matrices one row or one column wide cannot be compiled (the HLSL compiler makes vectors of one
    // component of them), so they are handed over as vectors of their elements. The vector behaves
    // as the matrix does in arithmetic, mul and casts; element access is rewritten below.
    const OneWideNames names = FindOneWideMatrices(tokens);
    if (names.empty() || RedeclaredOneWide(tokens, names)) {
        return;
    }
    RewriteOuterProducts(tokens, names);
    for (std::size_t k = 0; k < tokens.Size(); ++k) {
        // Struct members (s.m) are found by their name after the dot, the same way.
        if (!tokens.IsIdent(k) || names.count(tokens.Text(k)) == 0) {
            continue;
        }
        const auto [rows, columns, dimensions, scalar] = names.at(tokens.Text(k));
        const std::string& name = tokens.Text(k);
        // The array indices of an array of such matrices come first and stay as they are.
        std::size_t at = k + 1;
        std::size_t skipped = 0;
        for (; skipped < dimensions && tokens.Is(at, "[") && tokens.Match(at) < tokens.Size(); ++skipped) {
            at = tokens.Match(at) + 1;
        }
        if (skipped < dimensions) {
            continue;  // the array as a whole
        }
        // m._m01 / m._12 (and runs of them): the elements' places in the vector.
        if (tokens.Is(at, ".") && tokens.IsIdent(at + 1) && tokens.Text(at + 1).size() >= 3 &&
            tokens.Text(at + 1)[0] == '_') {
            RewriteElementNames(tokens, at, rows, columns, name);
            continue;
        }
        RewriteElementIndices(tokens, at, rows, columns, name);
    }
}

void DeclarationReader::RewriteSamplerArrays()
{
    // The GLSL translation cannot index arrays of samplers, so each element becomes a sampler of its
    // own; Direct3D 11 (shader model 5.0) indexes them with literals only, so nothing is lost.
    std::map<std::string, std::uint32_t> arrays;
    for (const EffectResourceDecl& r : tokens.Out().resources) {
        if (r.kind == EffectResourceKind::Sampler && r.elements > 0) {
            arrays[r.name] = r.elements;
        }
    }
    if (arrays.empty()) {
        return;
    }
    for (std::size_t k = 0; k < tokens.Size(); ++k) {
        if (!tokens.IsIdent(k) || arrays.count(tokens.Text(k)) == 0 || !tokens.Is(k + 1, "[")) {
            continue;
        }
        const std::string name = tokens.Text(k);
        const std::uint32_t count = arrays[name];
        const std::size_t close = tokens.Match(k + 1);
        if (close >= tokens.Size()) {
            continue;
        }
        const bool declaration = k > 0 &&
                                 (tokens.Is(k - 1, "SamplerState") || tokens.Is(k - 1, "SamplerComparisonState"));
        if (declaration) {
            std::string names;
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::string element = "fx_samplers_" + name + "_" + std::to_string(i);
                names += (i ? ", " : "") + element;
                tokens.Out().samplerElements[element] = {name, i};
            }
            tokens.Replace(k, close, names);
            continue;
        }
        double index = 0;
        if (close != k + 3 || !tokens.IsNumber(k + 2) || !ParseNumber(tokens.Text(k + 2), index) || index < 0 ||
            index > 65536 || index != static_cast<double>(static_cast<std::uint32_t>(index))) {
            tokens.Report(tokens.At(k + 1), true, "X3512", "sampler array index must be a literal expression");
            continue;
        }
        if (index >= count) {
            tokens.Report(tokens.At(k + 2), true, "X3504", "array index out of bounds");
            continue;
        }
        tokens.Replace(k, close, "fx_samplers_" + name + "_" + std::to_string(static_cast<std::uint32_t>(index)));
    }
}

void CheckRegisters(EffectSource& source)
{
    struct Range {
        std::uint32_t from, to;  // [from, to)
        std::string name;
        EffectSourceLocation where;
    };
    std::map<char, std::vector<Range>> taken;
    auto add = [&](char cls, const EffectRegister& reg, std::uint32_t count, const std::string& name,
                   const EffectSourceLocation& where) {
        if (!reg.given) {
            return;
        }
        const Range r{reg.slot, reg.slot + std::max(count, 1u), name, where};
        for (const Range& other : taken[cls]) {
            if (r.from < other.to && other.from < r.to) {
                source.diagnostics.push_back(
                    {where.file, where.line, where.column, true, "X4500",
                     "register " + std::string(1, cls) + std::to_string(std::max(r.from, other.from)) + " of '" + name +
                         "' is already used by '" + other.name + "' declared at " + Where(other.where)});
                return;
            }
        }
        taken[cls].push_back(r);
    };
    for (const EffectConstantBufferDecl& b : source.constantBuffers) {
        add('b', b.reg, 1, b.name, b.where);
    }
    for (const EffectResourceDecl& r : source.resources) {
        add(RegisterClass(r.kind), r.reg, r.elements, r.name, r.where);
    }
    // Direct3D 11's slot counts per stage.
    const std::map<char, std::pair<std::uint32_t, const char*>> kLimits = {{'b', {14, "constant buffer"}},
                                                                           {'t', {128, "texture"}},
                                                                           {'s', {16, "sampler"}},
                                                                           {'u', {8, "writable texture"}}};
    for (const auto& [cls, ranges] : taken) {
        for (const Range& r : ranges) {
            if (r.to > kLimits.at(cls).first) {
                source.diagnostics.push_back({r.where.file, r.where.line, r.where.column, true, "X4500",
                                              "'" + r.name + "' reaches register " + std::string(1, cls) +
                                                  std::to_string(r.to - 1) + "; a stage has " +
                                                  std::to_string(kLimits.at(cls).first) + " " + kLimits.at(cls).second +
                                                  " registers"});
            }
        }
    }
}
