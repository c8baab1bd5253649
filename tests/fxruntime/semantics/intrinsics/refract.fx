// refract(i, n, eta): with d = dot(n, i) and k = 1 - eta^2 * (1 - d^2), the result is 0 when
// k < 0 (total internal reflection), else eta * i - (eta * d + sqrt(k)) * n.
// i = (0.6, -0.8, 0), n = (0, 1, 0), eta = 0.5: k = 0.91, result (0.3, -0.4 - (-0.4 + 0.95393920), 0)
// = (0.3, -0.95393920, 0); eta = 1 gives i back; i = (0.8, -0.6, 0), eta = 2: k = -1.56, result 0;
// 4 components: i = (0, -0.6, 0, 0.8), n = (0, 1, 0, 0), eta = 0.75: k = 0.64, (0, -0.8, 0, 0.6);
// 2 components: i = (0.6, -0.8), n = (0, 1), eta = 1.25: k = 0.4375, (0.75, -0.66143783).
// tolerance 1e-5
// set gI = 0.6 -0.8 0 0.8
// set gN = 0 1 0 0
// set gEta = 0.5 1 2 0.75
// expect 0.3 -0.9539392 0 0
// expect 0.6 -0.8 0 0
// expect 0 0 0 0
// expect 0 -0.8 0 0.6
// expect 0.75 -0.66143783 0 0
// expect 0.3 -0.9539392 0 0
// expect 0 0 0 0
float4 gI;
float4 gN;
float4 gEta;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(refract(gI.xyz, gN.xyz, gEta.x), 0);
    gOut[int2(1, 0)] = float4(refract(gI.xyz, gN.xyz, gEta.y), 0);
    gOut[int2(2, 0)] = float4(refract(gI.wxz, gN.xyz, gEta.z), 0);
    gOut[int2(3, 0)] = refract(float4(0, -gI.x, 0, gI.w), gN.zyzz * float4(0, 1, 0, 0) + float4(0, 0, 0, 0), gEta.w);
    gOut[int2(4, 0)] = float4(refract(gI.xy, gN.xy, gEta.x + gEta.w), 0, 0);
    gOut[int2(5, 0)] = float4(refract(float3(0.6, -0.8, 0), float3(0, 1, 0), 0.5), 0);
    gOut[int2(6, 0)] = float4(refract(float3(0.8, -0.6, 0), float3(0, 1, 0), 2.0), 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
