// abs(x) is |x| per component and keeps x's type: for int it stays int, so abs(-7) / 2 is the
// integer quotient 3 (a float abs would give 3.5).
// Floats (-2.5, 3.25, -0.125, 0) give (2.5, 3.25, 0.125, 0); ints (-7, 7, -100000, 0) give
// (7, 7, 100000, 0); the same literals give the same values.
// set gV = -2.5 3.25 -0.125 0
// set gI = int -7 7 -100000 0
// expect 2.5 3.25 0.125 0
// expect 7 7 100000 0
// expect 2.5 3.25 0.125 0
// expect 3 3 7 7
float4 gV;
int4 gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = abs(gV);
    gOut[int2(1, 0)] = abs(gI);
    gOut[int2(2, 0)] = abs(float4(-2.5, 3.25, -0.125, 0));
    gOut[int2(3, 0)] = float4(abs(gI.x) / 2, abs(-7) / 2, abs(gI.x), abs(-7));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
