// dot(a, b) = sum of a[i] * b[i], in the arguments' component type: int for int vectors, so
// dot(int2(3, 1), int2(1, 0)) / 2 is the integer quotient 1.
// cross(a, b) = (a.y b.z - a.z b.y, a.z b.x - a.x b.z, a.x b.y - a.y b.x); swapping a and b negates it.
// a = (1, 2, 3, 4), b = (5, -6, 7, -8): dot over 4 components = -18, over 3 = 14, over 2 = -7;
// int (2, -3, 4) . (5, 6, -7) = -36, from uniforms and from literals;
// cross((1, 2, 3), (4, 5, 6)) = (-3, 6, -3), the other way (3, -6, 3); cross((1, 0, 0), (0, 1, 0)) = (0, 0, 1).
// set gA = 1 2 3 4
// set gB = 5 -6 7 -8
// set gC = 4 5 6 0
// set gI = int 2 -3 4 3
// set gJ = int 5 6 -7 1
// expect -18 14 -7 -36
// expect 1 1 -36 14
// expect -3 6 -3 0
// expect 3 -6 3 0
// expect 0 0 1 0
// expect -3 6 -3 -18
float4 gA;
float4 gB;
float4 gC;
int4 gI;
int4 gJ;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(dot(gA, gB), dot(gA.xyz, gB.xyz), dot(gA.xy, gB.xy), dot(gI.xyz, gJ.xyz));
    int2 threeOne = int2(gI.w, gJ.w);
    gOut[int2(1, 0)] = float4(dot(threeOne, int2(1, 0)) / 2, dot(int2(3, 1), int2(1, 0)) / 2,
                              dot(int3(2, -3, 4), int3(5, 6, -7)), dot(float3(1, 2, 3), float3(5, -6, 7)));
    gOut[int2(2, 0)] = float4(cross(gA.xyz, gC.xyz), 0);
    gOut[int2(3, 0)] = float4(cross(gC.xyz, gA.xyz), 0);
    gOut[int2(4, 0)] = float4(cross(float3(gA.x, 0, 0), float3(0, gA.x, 0)), 0);
    gOut[int2(5, 0)] = float4(cross(float3(1, 2, 3), float3(4, 5, 6)), dot(float4(1, 2, 3, 4), float4(5, -6, 7, -8)));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
