// asin returns [-pi/2, pi/2] and acos [0, pi], per component:
// asin(0.5, -1, 0, 1) = (pi/6, -pi/2, 0, pi/2); acos(0.5, -1, 0, 1) = (pi/3, pi, pi/2, 0);
// asin(-0.5) = -pi/6, acos(-0.5) = 2pi/3. GLSL leaves their precision to the driver; llvmpipe is 2.1e-4 off at 0.5.
// tolerance 5e-4
// set gA = 0.5 -1 0 1
// expect 0.52359878 -1.57079633 0 1.57079633
// expect 1.04719755 3.14159265 1.57079633 0
// expect 0.52359878 3.14159265 -0.52359878 2.0943951
float4 gA;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = asin(gA);
    gOut[int2(1, 0)] = acos(gA);
    gOut[int2(2, 0)] = float4(asin(0.5), acos(-1.0), asin(-gA.x), acos(-gA.x));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
