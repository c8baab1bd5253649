#pragma once
// Matrix expressions glslang translates otherwise than HLSL means them, rewritten before it sees them.
//
// In HLSL, `*` of two matrices multiplies element by element (mul() is the matrix product); glslang
// translates it as the matrix product. Where both operands are plain names of matrices of one shape,
// the product is rewritten here row by row: `a * b` with float3x3 a, b becomes
// `float3x3(a[0] * b[0], a[1] * b[1], a[2] * b[2])`, and `a *= b;` the same, assigned. Products
// with anything else around them (a member, an index, a call, a third factor) are left alone.
#include "fxruntime/EffectTokens.h"

void RewriteMatrixElementProducts(EffectTokens& tokens);

// Several element names read together (`m._m00_m11_m22`, `m._12_21`) are a vector of those elements;
// glslang cannot translate the read (it takes the write). Where `m` is the name of a matrix, a read is
// rewritten as the vector's constructor: `float3(m._m00, m._m11, m._m22)`.
void RewriteMatrixElementRuns(EffectTokens& tokens);
