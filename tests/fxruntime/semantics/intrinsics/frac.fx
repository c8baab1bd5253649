// frac(x) = x - floor(x), so it is never negative: frac(-1.25) = 0.75, not -0.25.
// (-1.25, 2.75, -0.5, 3) gives (0.75, 0.75, 0.5, 0); (-3.875, 0.125, -7, 100.5) gives
// (0.125, 0.125, 0, 0.5).
// set gV = -1.25 2.75 -0.5 3
// set gW = -3.875 0.125 -7 100.5
// expect 0.75 0.75 0.5 0
// expect 0.125 0.125 0 0.5
// expect 0.75 0.75 0.5 0
float4 gV;
float4 gW;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = frac(gV);
    gOut[int2(1, 0)] = frac(gW);
    gOut[int2(2, 0)] = float4(frac(-1.25), frac(2.75), frac(-0.5), frac(3.0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
