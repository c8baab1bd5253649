// degrees(x) = x * 180 / pi, radians(x) = x * pi / 180:
// degrees(pi, -1, pi/2, 0) = (180, -57.2957795, 90, 0); radians(90, 180, -45, 360) = (pi/2, pi, -pi/4, 2pi).
// tolerance 1e-5
// set gR = 3.14159265 -1 1.57079633 0
// set gD = 90 180 -45 360
// expect 180 -57.2957795 90 0
// expect 1.57079633 3.14159265 -0.78539816 6.28318531
// expect 180 57.2957795 1.57079633 -0.78539816
float4 gR;
float4 gD;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = degrees(gR);
    gOut[int2(1, 0)] = radians(gD);
    gOut[int2(2, 0)] = float4(degrees(3.14159265), degrees(1.0), radians(90.0), radians(-45.0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
