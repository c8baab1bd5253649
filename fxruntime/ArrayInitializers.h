#pragma once
// HLSL fills an initializer list's scalars into the elements in order, whatever their grouping:
// `float4 a[] = {10, 20, 30, 40, 50, 60, 70, 80};` is two float4 (a[1] = (50, 60, 70, 80)). The HLSL
// compiler we use makes each scalar an element of its own (a[1] = (20, 0, 0, 0)) and takes no size
// from the list. Arrays of vectors or matrices whose list holds only literal numbers are rewritten
// here into one constructor per element, with the size written out: `float4 a[2] = {float4(10, 20,
// 30, 40), float4(50, 60, 70, 80)};`. Lists with anything else are left to the HLSL compiler. An array
// with no size whose numbers do not fill whole elements is refused, as Direct3D refuses it.
#include "fxruntime/EffectTokens.h"

// Rewrites the cases in function bodies and in `static` or `const` declarations; the initializers of
// constant-buffer variables are read as the buffer's initial contents instead.
void RegroupArrayInitializers(EffectTokens& tokens);
