// A scalar is promoted to a vector or a matrix by copying it into every component: in an
// initializer (float4 v = 2), in a cast ((float4)7), as one operand of a binary operator, and as the
// argument of a vector parameter. s = 3.5, a = (1, 2, 3, 4):
// texel 0: float4 v = 2: (2, 2, 2, 2); texel 1: float4 v = s: (3.5, 3.5, 3.5, 3.5)
// texel 2: 1 - a = (0, -1, -2, -3); texel 3: a * s + 1 = (4.5, 8, 11.5, 15)
// texel 4: float2x2 m = s: rows (3.5, 3.5), (3.5, 3.5)
// texel 5: (float3 t = 5, s) = (5, 5, 5, 3.5); texel 6: (float4)7 = (7, 7, 7, 7)
// texel 7: Same(2) with a float4 parameter = (2, 2, 2, 2); texel 8: int4 k = -3: (-3, -3, -3, -3)
// texel 9: a == 2 compares every component with 2: (0, 1, 0, 0)
// set gS = 3.5
// set gA = 1 2 3 4
// expect 2 2 2 2
// expect 3.5 3.5 3.5 3.5
// expect 0 -1 -2 -3
// expect 4.5 8 11.5 15
// expect 3.5 3.5 3.5 3.5
// expect 5 5 5 3.5
// expect 7 7 7 7
// expect 2 2 2 2
// expect -3 -3 -3 -3
// expect 0 1 0 0
float gS;
float4 gA;
RWTexture2D<float4> gOut;
float4 Same(float4 x) { return x; }
[numthreads(1, 1, 1)]
void CS()
{
    float4 v = 2;
    gOut[int2(0, 0)] = v;
    float4 w = gS;
    gOut[int2(1, 0)] = w;
    gOut[int2(2, 0)] = 1 - gA;
    gOut[int2(3, 0)] = gA * gS + 1;
    float2x2 m = gS;
    gOut[int2(4, 0)] = float4(m[0], m[1]);
    float3 t = 5;
    gOut[int2(5, 0)] = float4(t, gS);
    gOut[int2(6, 0)] = (float4)7;
    gOut[int2(7, 0)] = Same(2);
    int4 k = -3;
    gOut[int2(8, 0)] = float4(k);
    gOut[int2(9, 0)] = float4(gA == 2);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
