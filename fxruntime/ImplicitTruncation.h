#pragma once
// Direct3D's compiler warns when a vector is assigned to a narrower one (float x = float4(...));
// the HLSL compiler we use truncates silently. This finds the plain cases: a declaration, an
// assignment or a return whose right side is a constructor, a variable, a swizzle of one or a call
// of a function of the file, each with a width known for certain. Anything less certain is left
// alone, so the warning is never given wrongly.
#include "fxruntime/EffectTokens.h"

// Adds warning X3206 "implicit truncation of vector type" for each case in the file's tokens.
void WarnImplicitTruncations(EffectTokens& tokens);
