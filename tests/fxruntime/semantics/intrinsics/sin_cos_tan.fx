// sin, cos and tan of angles in radians, per component: for x = (pi/6, -pi/2, pi, 0),
// sin = (0.5, -1, 0, 0), cos = (0.8660254, 0, -1, 1); tan(pi/4, -pi/4, pi/3, 0) = (1, -1, 1.7320508, 0);
// sin(10) = -0.54402111, cos(10) = -0.83907153.
// tolerance 1e-5
// set gA = 0.52359879 -1.57079633 3.14159265 0
// set gB = 0.78539816 -0.78539816 1.04719755 0
// set gC = 10 0 0 0
// expect 0.5 -1 0 0
// expect 0.8660254 0 -1 1
// expect 1 -1 1.7320508 0
// expect -0.54402111 -0.83907153 0.5 0.5
float4 gA;
float4 gB;
float4 gC;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = sin(gA);
    gOut[int2(1, 0)] = cos(gA);
    gOut[int2(2, 0)] = tan(gB);
    gOut[int2(3, 0)] = float4(sin(gC.x), cos(gC.x), sin(0.52359879), cos(1.04719755));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
