// ldexp(x, exp) = x * 2^exp, where exp is a float: x = (1.5, 3, -1, 5), exp = (3, -2, 0, 10) gives
// (12, 0.75, -1, 5120); a fractional exponent (0.5, -1.5, 2.5, -0.5) scales by 2^exp as well:
// (1.5 * 1.41421356, 3 * 0.35355339, -1 * 5.65685425, 5 * 0.70710678).
// set gX = 1.5 3 -1 5
// set gE = 3 -2 0 10
// set gE2 = 0.5 -1.5 2.5 -0.5
// expect 12 0.75 -1 5120
// expect 2.12132034 1.06066017 -5.65685425 3.53553391
// expect 12 0.75 -1 2.12132034
float4 gX;
float4 gE;
float4 gE2;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = ldexp(gX, gE);
    gOut[int2(1, 0)] = ldexp(gX, gE2);
    gOut[int2(2, 0)] = float4(ldexp(1.5, 3.0), ldexp(3.0, -2.0), ldexp(-1.0, 0.0), ldexp(1.5, 0.5));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
