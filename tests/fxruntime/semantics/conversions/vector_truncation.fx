// A vector converted to a narrower vector keeps its leftmost components (float4 -> float2 keeps
// x and y), and a vector converted to a scalar keeps its first component; this holds for casts,
// implicit conversions in assignments (warning X3206), arguments and return values. a = (1, 2, 3, 4):
// texel 0: float2 v = a: (1, 2, 0, 0)
// texel 1: ((float)a, float s = a, (float)a.wzyx, 0) = (1, 1, 4, 0)
// texel 2: (Tens(a) with a float2 parameter = 10 * 1 + 2, First2().x, First2().y with a float2
// function returning a) = (12, 1, 2, 0)
// texel 3: ((float3)a, (float)(int2)a.zw) = (1, 2, 3, 3)
// texel 4, literals: (float2 = float4(5, 6, 7, 8), float = float3(9, 8, 7), 0) = (5, 6, 9, 0)
// set gA = 1 2 3 4
// expect 1 2 0 0
// expect 1 1 4 0
// expect 12 1 2 0
// expect 1 2 3 3
// expect 5 6 9 0
float4 gA;
RWTexture2D<float4> gOut;
float Tens(float2 p) { return p.x * 10 + p.y; }
float2 First2() { return gA; }
[numthreads(1, 1, 1)]
void CS()
{
    float2 v = gA;
    gOut[int2(0, 0)] = float4(v, 0, 0);
    float s = gA;
    gOut[int2(1, 0)] = float4((float)gA, s, (float)gA.wzyx, 0);
    gOut[int2(2, 0)] = float4(Tens(gA), First2().x, First2().y, 0);
    gOut[int2(3, 0)] = float4((float3)gA, (float)(int2)gA.zw);
    float2 lv = float4(5, 6, 7, 8);
    float ls = float3(9, 8, 7);
    gOut[int2(4, 0)] = float4(lv, ls, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
