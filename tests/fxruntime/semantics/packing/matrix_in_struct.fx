// A matrix of more than one register starts a new register and takes one register per column
// (column_major, the default) or per row (row_major); its last register is not padded, so a scalar
// after it packs into that register.
// struct S { float s; float3x3 m; float t; }: m's columns at 16, 32, 48 (12 bytes each), t at 60.
// M = [[1, 2, 3], [4, 5, 6], [7, 8, 9]]: raw 0.5 _ _ _ 1 4 7 _ 2 5 8 _ 3 6 9 10.
// struct T { float a; row_major float2x3 r; float b; }: r's rows at 16 and 32, b at 44:
// raw 1 _ _ _ 2 3 4 _ 5 6 7 8 gives r = [[2, 3, 4], [5, 6, 7]], b = 8.
// texel 0: (s, m[0]) = (0.5, 1, 2, 3); texel 1: (m[1], t) = (4, 5, 6, 10); texel 2: (m[2], m._m12)
// = (7, 8, 9, 6); texel 3: (a, r[0]) = (1, 2, 3, 4); texel 4: (r[1], b) = (5, 6, 7, 8)
// set gS = 0.5 -1 -1 -1 1 4 7 -1 2 5 8 -1 3 6 9 10
// set gT = 1 -1 -1 -1 2 3 4 -1 5 6 7 8
// expect 0.5 1 2 3
// expect 4 5 6 10
// expect 7 8 9 6
// expect 1 2 3 4
// expect 5 6 7 8
struct S
{
    float s;
    float3x3 m;
    float t;
};
struct T
{
    float a;
    row_major float2x3 r;
    float b;
};
S gS;
T gT;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gS.s, gS.m[0]);
    gOut[int2(1, 0)] = float4(gS.m[1], gS.t);
    gOut[int2(2, 0)] = float4(gS.m[2], gS.m._m12);
    gOut[int2(3, 0)] = float4(gT.a, gT.r[0]);
    gOut[int2(4, 0)] = float4(gT.r[1], gT.b);
}
technique11 T0 { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
