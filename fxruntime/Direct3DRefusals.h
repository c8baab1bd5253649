#pragma once
// What Direct3D's compiler refuses and glslang's HLSL front end takes without a word, refused here at
// its place with the rule Direct3D applies, so an effect that compiles here compiles there:
// - a thread group past shader model 5's limits: X and Y at most 1024, Z at most 64, X * Y * Z at
//   most 1024, none 0 (`[numthreads(2048, 1, 1)]`);
// - more than 32768 bytes of groupshared memory (counted from declarations with literal sizes);
// - a struct member declared twice, a case label that is not an integer (`case 1.5:`), an array of 0
//   or a negative number of elements;
// - a swizzle that names a component twice as the target of an assignment (`v.xx = ...`) or as the
//   argument of an out or inout parameter, where `v` is declared with a vector type;
// - packoffset anywhere but on a constant buffer's own members; a constant buffer packed by hand in
//   part (a packoffset, or a register other than cN on a member) and not throughout;
// - a switch whose case has statements and no break or return at its end (shader models 4 and 5 do
//   not fall through from one case into the next, nor off the last), whose last label has no
//   statement, or that uses `continue` outside a loop of its own.
#include <cstdint>
#include <set>
#include <string>

#include "fxruntime/EffectTokens.h"

// macroNames: the macros the file and its includes define; a statement that uses one is not judged,
// since its tokens are not what the HLSL compiler reads.
void RefuseWhatDirect3DRefuses(EffectTokens& tokens, const std::set<std::string>& macroNames);

// Whether shader model 5 runs a thread group of X * Y * Z; else false, with the message. The literal
// counts are checked in the text; counts a macro gives are checked again in the compiled module.
bool ThreadGroupFits(std::int64_t x, std::int64_t y, std::int64_t z, std::string& error);
