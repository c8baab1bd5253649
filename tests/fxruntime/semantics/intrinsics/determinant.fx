// determinant(m) of a square matrix, by cofactor expansion:
// [[1, 2], [3, 4]] -> 1*4 - 2*3 = -2; [[3, 8], [4, 6]] -> -14;
// [[2, -3, 1], [2, 0, -1], [1, 4, 5]] -> 2*4 + 3*11 + 1*8 = 49; [[0.5, 2, 0], [1, 1, 1], [0, 3, -2]] -> 1.5;
// [[1, 2, 0, 3], [0, 1, 4, 1], [2, 0, 1, 0], [1, 3, 1, 2]] -> -40, and 40 with its first two rows swapped.
// set gR0 = 1 2 0 3
// set gR1 = 0 1 4 1
// set gR2 = 2 0 1 0
// set gR3 = 1 3 1 2
// set gS = 2 -3 1 0.5
// expect -2 -14 49 1.5
// expect -40 40 -40 40
// expect -2 49 -40 1.5
float4 gR0;
float4 gR1;
float4 gR2;
float4 gR3;
float4 gS;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float2x2 a = float2x2(gR0.x, gR0.y, gR0.w, gR3.z + gR3.w + gR1.y);
    float2x2 b = float2x2(gR0.w, 8, 4, 6 * gR3.x);
    float3x3 c = float3x3(gS.xyz, float3(2, 0, -1) * gR0.x, float3(1, 4, 5));
    float3x3 d = float3x3(gS.w, gS.x, 0, 1, 1, 1, 0, 3, -gS.x);
    gOut[int2(0, 0)] = float4(determinant(a), determinant(b), determinant(c), determinant(d));
    float4x4 m = float4x4(gR0, gR1, gR2, gR3);
    float4x4 swapped = float4x4(gR1, gR0, gR2, gR3);
    gOut[int2(1, 0)] = float4(determinant(m), determinant(swapped), determinant(transpose(m)), determinant(transpose(swapped)));
    gOut[int2(2, 0)] = float4(determinant(float2x2(1, 2, 3, 4)),
                              determinant(float3x3(2, -3, 1, 2, 0, -1, 1, 4, 5)),
                              determinant(float4x4(1, 2, 0, 3, 0, 1, 4, 1, 2, 0, 1, 0, 1, 3, 1, 2)),
                              determinant(float3x3(0.5, 2, 0, 1, 1, 1, 0, 3, -2)));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
