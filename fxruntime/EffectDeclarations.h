#pragma once
// The declarations of an effect file that the compiler needs beyond what the HLSL compiler
// reports: textures, writable textures and samplers with their registers and array sizes;
// constant buffers with their registers; the members of constant buffers, of $Globals and of
// structs (where they are declared, packoffset, bools, matrices one row or one column wide); and
// the rewrites of the text that let the HLSL compiler and the GLSL translation take what Direct3D
// takes (one-wide matrices become vectors, sampler arrays become single samplers).
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "fxruntime/EffectLexer.h"
#include "fxruntime/EffectTokens.h"

class DeclarationReader {
public:
    explicit DeclarationReader(EffectTokens& tokens) : tokens(tokens) {}
    void SetPragmas(std::vector<PackMatrixPragma> pragmas) { packMatrixPragmas = std::move(pragmas); }

    // Variable declarations in the statement [start, end) of `scope` (a constant buffer, "$Globals"
    // or a struct): each declarator's member record. packoffset is read in constant buffers only.
    void Members(std::size_t start, std::size_t end, const std::string& scope, bool constantBuffer);

    // A resource declaration whose type is at k (Texture2D<float4> a, b[2] : register(t1);).
    // Returns the index after the statement, or k + 1 when the type is used otherwise.
    std::size_t Resource(std::size_t k);

    // `SamplerState name[N] : register(sN)` up to the state block or ';': the declaration record
    // (its elements and register) and the index after it.
    std::size_t SamplerDeclaration(std::size_t k, EffectResourceDecl& decl);

    // ": register(xN)" at k, for a declaration of class `cls` ('t', 'u', 's' or 'b'); `after`
    // receives the index past it. An absent register gives reg.given false and after == k.
    EffectRegister Register(std::size_t k, char cls, const std::string& what, std::size_t& after);

    // The rewrites, after the whole file is read.
    void RewriteOneWideMatrices();
    void RewriteSamplerArrays();

    static bool IsResourceType(const std::string& word);

private:
    // A global declared const but not static is a uniform the shader may not write, whose value the
    // application sets (its initializer is only the starting value); the HLSL compiler we use would
    // make it a constant, so the word goes from its text. [start, typeAt): the modifiers; end: the
    // statement's end, or its '=' + 1.
    void KeepConstGlobalUniform(std::size_t start, std::size_t typeAt, std::size_t end);
    // The index after the suffix (`: SEMANTIC`, `: packoffset(...)`, `: register(...)`) at k, or
    // after all of them, within end.
    std::size_t AfterSuffix(std::size_t k, std::size_t end) const;
    std::size_t AfterSuffixes(std::size_t k, std::size_t end) const;
    // The packoffset among the suffixes at k of the constant-buffer member `member`, read into decl
    // and checked against the member's type (startsRegister: an array or a struct).
    void ReadPackOffsetOf(std::size_t k, std::size_t end, const std::string& member, const std::string& type,
                          bool startsRegister, EffectMemberDecl& decl);
    bool RowMajorAt(std::size_t k) const;
    // Array dimensions [N][M] at k; false (with an error) when one is not a literal number.
    bool Dimensions(std::size_t& k, std::vector<std::uint32_t>& dims, const std::string& what);
    // A resource's array size at k, if any, into decl.elements; false (with an error) when it is not
    // a literal or the array has more than one dimension.
    bool ResourceArraySize(std::size_t& k, EffectResourceDecl& decl);

    EffectTokens& tokens;
    std::vector<PackMatrixPragma> packMatrixPragmas;
};

// The first token of the initializer after `eq` that is not a literal number, a sign, a brace, a
// comma or a constructor (float3(...)); its ';' when there is none.
std::size_t NonLiteralAt(const EffectTokens& tokens, std::size_t eq);

// Registers given twice, or given to the wrong kind of declaration, as errors naming both
// declarations.
void CheckRegisters(EffectSource& source);
