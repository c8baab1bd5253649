// A swizzle on the left of = writes the named components in its order, from the right-hand value's
// components in order; the right side is read completely before anything is written.
// a = (1, 2, 3, 4):
// texel 0: v = 0; v.zx = a.xy: v.z = 1, v.x = 2: (2, 0, 1, 0)
// texel 1: v = a; v.yx = v.xy swaps: (2, 1, 3, 4)
// texel 2: v = a; v.wzyx = v reverses: (4, 3, 2, 1)
// texel 3: v = a; v.xw = v.wx + 10: (14, 2, 3, 11)
// texel 4: v = a; v.y = 7; v.zw = 9 (a scalar fills both): (1, 7, 9, 9)
// texel 5: v = a; v.ba = (5, 6), colour names: (1, 2, 5, 6)
// texel 6: float4 arr[2] = 0; arr[k].zy = (8, 9) with k = 1: arr[1] = (0, 9, 8, 0)
// texel 7: v = a; Set(v.wy), Set's out float2 = (5, 6): v.w = 5, v.y = 6: (1, 6, 3, 5)
// set gA = 1 2 3 4
// set gK = int 1
// expect 2 0 1 0
// expect 2 1 3 4
// expect 4 3 2 1
// expect 14 2 3 11
// expect 1 7 9 9
// expect 1 2 5 6
// expect 0 9 8 0
// expect 1 6 3 5
float4 gA;
int gK;
RWTexture2D<float4> gOut;
void Set(out float2 r)
{
    r = float2(5, 6);
}
[numthreads(1, 1, 1)]
void CS()
{
    float4 v = 0;
    v.zx = gA.xy;
    gOut[int2(0, 0)] = v;
    v = gA;
    v.yx = v.xy;
    gOut[int2(1, 0)] = v;
    v = gA;
    v.wzyx = v;
    gOut[int2(2, 0)] = v;
    v = gA;
    v.xw = v.wx + 10;
    gOut[int2(3, 0)] = v;
    v = gA;
    v.y = 7;
    v.zw = 9;
    gOut[int2(4, 0)] = v;
    v = gA;
    v.ba = float2(5, 6);
    gOut[int2(5, 0)] = v;
    float4 arr[2] = { float4(0, 0, 0, 0), float4(0, 0, 0, 0) };
    arr[gK].zy = float2(8, 9);
    gOut[int2(6, 0)] = arr[1];
    v = gA;
    Set(v.wy);
    gOut[int2(7, 0)] = v;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
