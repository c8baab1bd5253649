#pragma once
// glslang folds expressions of literals itself, before SPIR-V, and gets several wrong: an ordering
// comparison of a literal vector with a scalar or another literal vector compares the first components
// only (`float4(-2.5, 0, 1, 0) > 0` is all false), any() and all() of literal vectors and an integer
// dot() of them come out wrong, `%` of float literals gives the dividend, and a cast of an
// out-of-range literal wraps instead of saturating. Inside function bodies, the literals of a
// constructor or cast made only of literals, and a literal right of `%`, are handed over wrapped in
// an identity function (`fx_literal`, defined ahead of the file), which glslang does not fold
// through; SPIRV-Tools inlines it and folds the same expressions afterwards, rightly, so the
// compiled code is as constant as before. Declarations marked static or const keep their literals
// as written, since they may need constant initializers.
#include "fxruntime/EffectTokens.h"

void KeepLiteralsFromFolding(EffectTokens& tokens);
