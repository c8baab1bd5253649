#pragma once
// Tokens of an effect file, as the front end reads them: identifiers, numbers, strings and
// punctuation, with their place in the text. Comments and preprocessor lines are skipped (the
// HLSL compiler's preprocessor handles those); #include lines are reported so that the included
// files can be read, and #pragma pack_matrix lines for the layout of matrices the HLSL compiler is
// not handed as matrices.
#include <cstddef>
#include <string>
#include <vector>

enum class TokenKind { Identifier, Number, String, Punct };

struct Token {
    TokenKind kind;
    std::size_t begin;  // byte offsets into the text
    std::size_t end;
    int line;
    int column;
    std::string text;
};

struct IncludeDirective {
    std::string name;  // as written between the quotes or angle brackets
    int line;
    int column;
};

// #pragma pack_matrix(row_major | column_major): the default majorness of the matrices declared
// after it.
struct PackMatrixPragma {
    std::size_t offset;  // byte offset of the directive
    bool rowMajor;
};

// A byte range of the text, end excluded.
struct TextSpan {
    std::size_t begin;
    std::size_t end;
};

// A #define or #undef, as far as the effect-level parse reads macros: technique and pass names may
// be object-like macros, and a macro that writes a technique is refused by name.
struct MacroDirective {
    std::string name;
    bool undefine = false;  // #undef
    bool functionLike = false;
    std::string body;        // the replacement text, trimmed
    std::size_t offset = 0;  // of the directive's '#'
    int line = 0;
    int column = 1;
};

struct LexedText {
    std::vector<Token> tokens;
    std::vector<MacroDirective> macros;  // in the file's order
    std::vector<IncludeDirective> includes;
    std::vector<PackMatrixPragma> packMatrix;
    // The #line directives: left out of the text for the HLSL compiler, so that its messages give
    // lines of the file as it is (which is what an editor shows) rather than renumbered ones.
    std::vector<TextSpan> lineDirectives;
    std::string error;  // empty when the text could be split
    int errorLine = 0;
    int errorColumn = 1;
};

LexedText LexEffectText(const std::string& text);

bool IsIdentStart(char c);
bool IsIdentChar(char c);
std::string Upper(std::string s);
bool SameNoCase(const std::string& a, const std::string& b);
// The words that open a technique: technique (in any case), technique10, technique11.
bool IsTechniqueKeyword(const std::string& word);

// Reads numbers the way effect files write them: 1, 1.5f, -2, 0x0F, TRUE.
bool ParseNumber(const std::string& text, double& value);
