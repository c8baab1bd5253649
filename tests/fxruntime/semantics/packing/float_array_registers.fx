// Arrays in a constant buffer are not packed: every element starts a 16-byte register, and the
// last element is not padded, so a scalar after the array packs into its last register.
// float gA[4] is 52 bytes: raw 1 _ _ _ 2 _ _ _ 3 _ _ _ 4 gives (1, 2, 3, 4); float2 gB[3] is 40
// bytes: raw 1 2 _ _ 3 4 _ _ 5 6 gives ((1, 2), (3, 4), (5, 6)). The same layout holds inside a
// struct: struct { float a[3]; float b; } has b at byte 36, so raw 1 _ _ _ 2 _ _ _ 3 4 gives
// a = (1, 2, 3), b = 4.
// texel 0: gA[0..3] = (1, 2, 3, 4)
// texel 1: (gA[k] with k = 2, the sum of gA in a loop, gAfter, 0) = (3, 10, 5, 0)
// texel 2: (gB[1], gB[k]) = (3, 4, 5, 6)
// texel 3: (gS.a[0], gS.a[k], gS.b, gS.a[1]) = (1, 3, 4, 2)
// set gA = 1 -1 -1 -1 2 -1 -1 -1 3 -1 -1 -1 4
// set gAfter = 5
// set gB = 1 2 -1 -1 3 4 -1 -1 5 6
// set gK = int 2
// set gS = 1 -1 -1 -1 2 -1 -1 -1 3 4
// expect 1 2 3 4
// expect 3 10 5 0
// expect 3 4 5 6
// expect 1 3 4 2
struct S
{
    float a[3];
    float b;
};
float gA[4];
float gAfter;
float2 gB[3];
int gK;
S gS;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gA[0], gA[1], gA[2], gA[3]);
    float sum = 0;
    for (int i = 0; i < 4; i++)
        sum += gA[i];
    gOut[int2(1, 0)] = float4(gA[gK], sum, gAfter, 0);
    gOut[int2(2, 0)] = float4(gB[1], gB[gK]);
    gOut[int2(3, 0)] = float4(gS.a[0], gS.a[gK], gS.b, gS.a[1]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
