// sqrt(x) is the square root, rsqrt(x) = 1 / sqrt(x), rcp(x) = 1 / x, per component.
// sqrt(16, 2.25, 0, 0.0001) = (4, 1.5, 0, 0.01); rsqrt(4, 0.0625, 16, 2) = (0.5, 4, 0.25, 0.70710678);
// rcp(4, -0.5, 3, 0.125) = (0.25, -2, 0.33333333, 8).
// tolerance 1e-5
// set gS = 16 2.25 0 0.0001
// set gR = 4 0.0625 16 2
// set gC = 4 -0.5 3 0.125
// expect 4 1.5 0 0.01
// expect 0.5 4 0.25 0.70710678
// expect 0.25 -2 0.33333333 8
// expect 4 0.5 0.25 -2
float4 gS;
float4 gR;
float4 gC;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = sqrt(gS);
    gOut[int2(1, 0)] = rsqrt(gR);
    gOut[int2(2, 0)] = rcp(gC);
    gOut[int2(3, 0)] = float4(sqrt(16.0), rsqrt(4.0), rcp(4.0), rcp(-0.5));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
