#pragma once
// What Direct3D's compiler refuses and glslang's HLSL front end takes without a word, refused here at
// its place with the rule Direct3D applies, so an effect that compiles here compiles there:
// - a thread group past shader model 5's limits: X and Y at most 1024, Z at most 64, X * Y * Z at
//   most 1024, none 0 (`[numthreads(2048, 1, 1)]`);
// - more than 32768 bytes of groupshared memory (counted from declarations with literal sizes);
// - a struct member declared twice, a case label that is not an integer (`case 1.5:`), an array of 0
//   or a negative number of elements;
// - a swizzle that names a component twice as the target of an assignment (`v.xx = ...`), where `v`
//   is declared with a vector type.
#include <cstdint>
#include <string>

#include "fxruntime/EffectTokens.h"

void RefuseWhatDirect3DRefuses(EffectTokens& tokens);

// Whether shader model 5 runs a thread group of X * Y * Z; else false, with the message. The literal
// counts are checked in the text; counts a macro gives are checked again in the compiled module.
bool ThreadGroupFits(std::int64_t x, std::int64_t y, std::int64_t z, std::string& error);
