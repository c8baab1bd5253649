// exp(x) = e^x, exp2(x) = 2^x, log is base e, log2 base 2, log10 base 10; log and log10 of 0 are
// -INF (documented for both). (log2(0) is left out: its page says +INF, which cannot be meant.)
// exp(1, -2, 0, 0.5) = (2.71828183, 0.13533528, 1, 1.64872127); exp2(3, -1.5, 0, 10) =
// (8, 0.35355339, 1, 1024); log(e^2, 1, 0.5, 0) = (2, 0, -0.69314718, -inf);
// log2(8, 0.125, 3, 1024) = (3, -3, 1.5849625, 10); log10(1000, 0.01, 2, 0) = (3, -2, 0.30103, -inf).
// tolerance 1e-5
// set gA = 1 -2 0 0.5
// set gB = 3 -1.5 0 10
// set gC = 7.3890561 1 0.5 0
// set gD = 8 0.125 3 1024
// set gE = 1000 0.01 2 0
// expect 2.71828183 0.13533528 1 1.64872127
// expect 8 0.35355339 1 1024
// expect 2 0 -0.69314718 -inf
// expect 3 -3 1.5849625 10
// expect 3 -2 0.30103 -inf
// expect 2.71828183 8 3 -2
float4 gA;
float4 gB;
float4 gC;
float4 gD;
float4 gE;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = exp(gA);
    gOut[int2(1, 0)] = exp2(gB);
    gOut[int2(2, 0)] = log(gC);
    gOut[int2(3, 0)] = log2(gD);
    gOut[int2(4, 0)] = log10(gE);
    gOut[int2(5, 0)] = float4(exp(1.0), exp2(3.0), log2(8.0), log10(0.01));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
