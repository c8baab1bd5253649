// min and max pick per component; clamp(x, lo, hi) = max(lo, min(x, hi)) per component.
// a = (1, -2, 3.5, 0.5), b = (-1, 2, 3.25, 0.5): min = (-1, -2, 3.25, 0.5), max = (1, 2, 3.5, 0.5);
// clamp(a, (-0.5, -0.5, 0, 0), (0.5, 0.5, 3, 1)) = (0.5, -0.5, 3, 0.5); a scalar bound applies to
// every component: clamp(a, -1.5, 1.25) = (1, -1.5, 1.25, 0.5).
// set gA = 1 -2 3.5 0.5
// set gB = -1 2 3.25 0.5
// expect -1 -2 3.25 0.5
// expect 1 2 3.5 0.5
// expect 0.5 -0.5 3 0.5
// expect 1 -1.5 1.25 0.5
// expect -1 -2 3.25 0.5
// expect 0.5 -0.5 3 0.5
float4 gA;
float4 gB;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = min(gA, gB);
    gOut[int2(1, 0)] = max(gA, gB);
    gOut[int2(2, 0)] = clamp(gA, float4(-0.5, -0.5, 0, 0), float4(0.5, 0.5, 3, 1));
    gOut[int2(3, 0)] = clamp(gA, -1.5, 1.25);
    gOut[int2(4, 0)] = min(float4(1, -2, 3.5, 0.5), float4(-1, 2, 3.25, 0.5));
    gOut[int2(5, 0)] = clamp(float4(1, -2, 3.5, 0.5), float4(-0.5, -0.5, 0, 0), float4(0.5, 0.5, 3, 1));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
