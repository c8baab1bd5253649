// frexp(x, out exp) returns x's mantissa and sets exp to its exponent, as C's frexp does:
// x = mantissa * 2^exp with 0.5 <= |mantissa| < 1; for x = 0 both are 0.
// x = (8, -6, 0.375, 0): mantissas (0.5, -0.75, 0.75, 0), exponents (4, 3, -1, 0);
// x = (1, -0.1875, 1000, 3): mantissas (0.5, -0.75, 0.9765625, 0.75), exponents (1, -2, 10, 2).
// set gF = 8 -6 0.375 0
// set gG = 1 -0.1875 1000 3
// expect 0.5 -0.75 0.75 0
// expect 4 3 -1 0
// expect 0.5 -0.75 0.9765625 0.75
// expect 1 -2 10 2
// expect 0.5 4 -0.75 3
float4 gF;
float4 gG;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float4 e;
    gOut[int2(0, 0)] = frexp(gF, e);
    gOut[int2(1, 0)] = e;
    float4 e2;
    gOut[int2(2, 0)] = frexp(gG, e2);
    gOut[int2(3, 0)] = e2;
    float a, b;
    float ma = frexp(8.0, a);
    float mb = frexp(-6.0, b);
    gOut[int2(4, 0)] = float4(ma, a, mb, b);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
