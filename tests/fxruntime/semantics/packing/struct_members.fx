// A struct in a constant buffer starts a new register, and its members pack inside it by the usual
// rules; array elements, structs included, each start a register, the last one unpadded.
// struct Outer { float a; Inner i; } with Inner { float2 p; float q; }: i starts at 16, so raw
// 1 _ _ _ 2 3 4 gives a = 1, i.p = (2, 3), i.q = 4.
// E gE[3] with E { float2 a; float b; } (12 bytes): elements at 0, 16, 32: raw 1 2 3 _ 4 5 6 _ 7 8 9
// gives gE[1] = ((4, 5), 6), gE[2] = ((7, 8), 9).
// struct H { float w[2]; float2 z; }: w[1] at 16 ends at 20, z at 20: raw 1 _ _ _ 2 3 4.
// texel 0: (a, i.p, i.q) = (1, 2, 3, 4); texel 1: (gE[1].a, gE[1].b, gE[2].b) = (4, 5, 6, 9)
// texel 2: (gE[k].a, gE[k].b, gE[0].a.y) with k = 2 = (7, 8, 9, 2); texel 3: (w[0], w[1], z) = (1, 2, 3, 4)
// An array of structs that hold arrays: A { float2 v[2]; } is 24 bytes (v[1] at 16), so the
// elements of gA[2] are 32 bytes apart: raw 1 2 _ _ 3 4 _ _ 5 6 _ _ 7 8.
// texel 4: (gA[0].v[1], gA[1].v[0]) = (3, 4, 5, 6); texel 5: (gA[j].v[j], gA[j].v[1 - j]) with j = 1 =
// (7, 8, 5, 6)
// set gO = 1 -1 -1 -1 2 3 4
// set gE = 1 2 3 -1 4 5 6 -1 7 8 9
// set gH = 1 -1 -1 -1 2 3 4
// set gK = int 2
// set gA = 1 2 -1 -1 3 4 -1 -1 5 6 -1 -1 7 8
// set gJ = int 1
// expect 1 2 3 4
// expect 4 5 6 9
// expect 7 8 9 2
// expect 1 2 3 4
// expect 3 4 5 6
// expect 7 8 5 6
struct Inner
{
    float2 p;
    float q;
};
struct Outer
{
    float a;
    Inner i;
};
struct E
{
    float2 a;
    float b;
};
struct H
{
    float w[2];
    float2 z;
};
struct A
{
    float2 v[2];
};
Outer gO;
E gE[3];
H gH;
int gK;
A gA[2];
int gJ;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gO.a, gO.i.p, gO.i.q);
    gOut[int2(1, 0)] = float4(gE[1].a, gE[1].b, gE[2].b);
    gOut[int2(2, 0)] = float4(gE[gK].a, gE[gK].b, gE[0].a.y);
    gOut[int2(3, 0)] = float4(gH.w[0], gH.w[1], gH.z);
    gOut[int2(4, 0)] = float4(gA[0].v[1], gA[1].v[0]);
    gOut[int2(5, 0)] = float4(gA[gJ].v[gJ], gA[gJ].v[1 - gJ]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
