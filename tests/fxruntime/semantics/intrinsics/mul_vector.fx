// mul(v, M) takes v as a row vector: the result is sum_i v[i] * M[i], of M's column count;
// mul(M, v) takes v as a column vector: result[i] = dot(M[i], v), of M's row count;
// mul of two vectors is their dot product; mul with a scalar scales every component.
// M = float2x3 with rows (1, 2, 3), (4, 5, 6): mul((2, 1), M) = (6, 9, 12), mul(M, (1, 2, -1)) = (2, 8);
// N = float3x3 with rows (1, 2, 0), (0, 1, 3), (4, 0, 1), v = (1, -1, 2): mul(v, N) = (9, 1, -1),
// mul(N, v) = (-1, 5, 6); mul((1, 2, 3), (4, 5, 6)) = 32; mul(2, (1, 2, 3)) = mul((1, 2, 3), 2)
// = (2, 4, 6); row 1 of mul(3, M) = (12, 15, 18).
// set gR0 = 1 2 3 0
// set gR1 = 4 5 6 0
// set gV = 2 1 -1 0
// expect 6 9 12 0
// expect 2 8 0 0
// expect 9 1 -1 0
// expect -1 5 6 0
// expect 32 2 4 6
// expect 2 4 6 0
// expect 12 15 18 0
// expect 6 9 12 0
// expect 2 8 9 1
float4 gR0;
float4 gR1;
float4 gV;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float2x3 m = float2x3(gR0.xyz, gR1.xyz);
    gOut[int2(0, 0)] = float4(mul(gV.xy, m), 0);
    gOut[int2(1, 0)] = float4(mul(m, float3(gV.y, gV.x, gV.z)), 0, 0);
    float3x3 n = float3x3(gR0.x, gR0.y, 0, 0, gR0.x, gR0.z, gR1.x, 0, gR0.x);
    float3 v = float3(gR0.x, gV.z, gV.x);
    gOut[int2(2, 0)] = float4(mul(v, n), 0);
    gOut[int2(3, 0)] = float4(mul(n, v), 0);
    gOut[int2(4, 0)] = float4(mul(gR0.xyz, gR1.xyz), mul(gV.x, gR0.xyz));
    gOut[int2(5, 0)] = float4(mul(gR0.xyz, gV.x), 0);
    gOut[int2(6, 0)] = float4(mul(3 * gV.y, m)[1], 0);
    float2x3 lm = float2x3(1, 2, 3, 4, 5, 6);
    float3x3 ln = float3x3(1, 2, 0, 0, 1, 3, 4, 0, 1);
    gOut[int2(7, 0)] = float4(mul(float2(2, 1), lm), 0);
    gOut[int2(8, 0)] = float4(mul(lm, float3(1, 2, -1)), mul(float3(1, -1, 2), ln).xy);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
