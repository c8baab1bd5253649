// reflect(i, n) = i - 2 * dot(n, i) * n, with n used as given (it is not normalized):
// i = (1, -1, 0), n = (0, 1, 0): (1, 1, 0); the same i with n = (0, 2, 0): dot = -2, so
// i + 4 n = (1, 7, 0); i = (3, 4, 0), n = (0.6, 0.8, 0): dot = 5, i - 10 n = (-3, -4, 0);
// 4 components: i = (1, 2, 3, 4), n = (0, 0, 0, 1): (1, 2, 3, -4);
// 2 components: i = (2, -1), n = (0.6, 0.8): dot = 0.4, i - 0.8 n = (1.52, -1.64).
// set gI = 1 -1 0 0
// set gN = 0 1 0 0
// set gI2 = 3 4 0 0
// set gN2 = 0.6 0.8 0 0
// expect 1 1 0 0
// expect 1 7 0 0
// expect -3 -4 0 0
// expect 1 2 3 -4
// expect 1.52 -1.64 0 0
// expect 1 1 0 0
float4 gI;
float4 gN;
float4 gI2;
float4 gN2;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(reflect(gI.xyz, gN.xyz), 0);
    gOut[int2(1, 0)] = float4(reflect(gI.xyz, 2 * gN.xyz), 0);
    gOut[int2(2, 0)] = float4(reflect(gI2.xyz, gN2.xyz), 0);
    gOut[int2(3, 0)] = reflect(float4(1, 2, 3, 4) * gN.y, gN.wzwy);
    gOut[int2(4, 0)] = float4(reflect(float2(2, -1) * gN.y, gN2.xy), 0, 0);
    gOut[int2(5, 0)] = float4(reflect(float3(1, -1, 0), float3(0, 1, 0)), 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
