// length(v) = sqrt(dot(v, v)), distance(a, b) = length(a - b), normalize(v) = v / length(v).
// length((3, 4)) = 5, length((2, 3, 6)) = 7, length((1, 1, 1, 1)) = 2, length(-5) = 5;
// distance((1, 2, 3), (4, 6, 15)) = 13, distance((1, 1), (-2, 5)) = 5;
// normalize((0, 3, 4)) = (0, 0.6, 0.8), normalize((-3, 4)) = (-0.6, 0.8),
// normalize((2, -2, 2, -2)) = (0.5, -0.5, 0.5, -0.5).
// set gA = 3 4 2 6
// set gB = 1 2 3 15
// expect 5 7 2 5
// expect 13 5 0 0
// expect 0 0.6 0.8 0
// expect -0.6 0.8 0 0
// expect 0.5 -0.5 0.5 -0.5
// expect 5 7 13 0.6
float4 gA;
float4 gB;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(length(gA.xy), length(float3(gA.z, gA.x, gA.w)), length(gB.xxxx), length(-gA.x - gA.z));
    gOut[int2(1, 0)] = float4(distance(gB.xyz, float3(gA.yy, 0) + float3(0, 2, gB.w)), distance(gB.xx, float2(-gB.y, gA.y + 1)), 0, 0);
    gOut[int2(2, 0)] = float4(normalize(float3(0, gA.x, gA.y)), 0);
    gOut[int2(3, 0)] = float4(normalize(float2(-gA.x, gA.y)), 0, 0);
    gOut[int2(4, 0)] = normalize(float4(gA.z, -gA.z, gA.z, -gA.z));
    gOut[int2(5, 0)] = float4(length(float2(3, 4)), length(float3(2, 3, 6)), distance(float3(1, 2, 3), float3(4, 6, 15)), normalize(float3(0, 3, 4)).y);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
