#pragma once
// In HLSL, `*` of two matrices multiplies element by element (mul() is the matrix product); glslang
// translates it as the matrix product. Where both operands are plain names of matrices of one shape,
// the product is rewritten here row by row: `a * b` with float3x3 a, b becomes
// `float3x3(a[0] * b[0], a[1] * b[1], a[2] * b[2])`, and `a *= b;` the same, assigned. Products
// with anything else around them (a member, an index, a call, a third factor) are left alone.
#include "fxruntime/EffectTokens.h"

void RewriteMatrixElementProducts(EffectTokens& tokens);
