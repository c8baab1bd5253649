// Matrices of both majorities in one struct, in an array of structs and in a nested struct: each
// keeps its own majority (a struct does not impose one on its members). Every struct and every
// matrix wider than one line starts a register; an array element is rounded to whole registers.
// struct U { row_major float2x2 a; float2x2 b; }: a's rows at 0 and 16, b's columns at 32 and 48,
// 56 bytes, so gU[2] has a stride of 64. A0 = [[1, 2], [3, 4]], B0 = [[5, 6], [7, 8]],
// A1 = [[9, 10], [11, 12]], B1 = [[13, 14], [15, 16]] are raw 1 2 _ _ 3 4 _ _ 5 7 _ _ 6 8 _ _ 9 10 _ _
// 11 12 _ _ 13 15 _ _ 14 16.
// struct V { float x; U u; } at 128: x, then u from the next register: a = [[17, 18], [19, 20]],
// b = [[21, 22], [23, 24]] are raw 0.5 _ _ _ 17 18 _ _ 19 20 _ _ 21 23 _ _ 22 24.
// texel 0: (A0[0], A0[1]) = (1, 2, 3, 4); texel 1: (B0[0], B0[1]) = (5, 6, 7, 8)
// texel 2, k = 1: (A1[1], B1._m01, B1._m10) = (11, 12, 14, 15)
// texel 3: (x, a._m01, b[1]) = (0.5, 18, 23, 24)
// texel 4: (mul((1, 1), b) = column sums of b (44, 46), mul(a, (1, 0)) = a's first column (17, 19))
// texel 5: a copy of gU[k] whole: (A1[0], B1[1]) = (9, 10, 15, 16)
// set gU = 1 2 -1 -1 3 4 -1 -1 5 7 -1 -1 6 8 -1 -1 9 10 -1 -1 11 12 -1 -1 13 15 -1 -1 14 16
// set gV = 0.5 -1 -1 -1 17 18 -1 -1 19 20 -1 -1 21 23 -1 -1 22 24
// set gK = int 1
// expect 1 2 3 4
// expect 5 6 7 8
// expect 11 12 14 15
// expect 0.5 18 23 24
// expect 44 46 17 19
// expect 9 10 15 16
struct U
{
    row_major float2x2 a;
    float2x2 b;
};
struct V
{
    float x;
    U u;
};
U gU[2];
V gV;
int gK;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gU[0].a[0], gU[0].a[1]);
    gOut[int2(1, 0)] = float4(gU[0].b[0], gU[0].b[1]);
    gOut[int2(2, 0)] = float4(gU[gK].a[1], gU[gK].b._m01, gU[gK].b._m10);
    gOut[int2(3, 0)] = float4(gV.x, gV.u.a._m01, gV.u.b[1]);
    gOut[int2(4, 0)] = float4(mul(float2(1, 1), gV.u.b), mul(gV.u.a, float2(1, 0)));
    const U u = gU[gK];
    gOut[int2(5, 0)] = float4(u.a[0], u.b[1]);
}
technique11 T0 { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
