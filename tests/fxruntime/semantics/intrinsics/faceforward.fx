// faceforward(n, i, ng) = -n * sign(dot(i, ng)): n when i and ng point against each other
// (dot < 0), -n when they point the same way (dot > 0). The test is on i and ng only; n is just
// returned or negated. (dot = 0 is left out: the formula would give 0 there.)
// n = (1, 2, 3): i = (0, 0, -1), ng = (0, 0, 1) gives n; i = (0, 0, 1) gives -n;
// i = (1, 1, 1), ng = (-1, 0, 0.5) (dot = -0.5) gives n; n = (0, 0, -1), i = ng = (0, 0, 1) gives
// (0, 0, 1), although dot(i, n) < 0.
// set gN = 1 2 3 0
// set gI = 0 0 -1 0
// set gNg = 0 0 1 0
// expect 1 2 3 0
// expect -1 -2 -3 0
// expect 1 2 3 0
// expect 0 0 1 0
// expect -1 -2 -3 4
float4 gN;
float4 gI;
float4 gNg;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(faceforward(gN.xyz, gI.xyz, gNg.xyz), 0);
    gOut[int2(1, 0)] = float4(faceforward(gN.xyz, -gI.xyz, gNg.xyz), 0);
    gOut[int2(2, 0)] = float4(faceforward(gN.xyz, float3(1, 1, 1), float3(-gNg.z, 0, 0.5)), 0);
    gOut[int2(3, 0)] = float4(faceforward(gI.xyz, -gI.xyz, gNg.xyz), 0);
    gOut[int2(4, 0)] = faceforward(float4(1, 2, 3, -4), float4(0, 0, 1, 0), float4(0, 0, 1, 0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
