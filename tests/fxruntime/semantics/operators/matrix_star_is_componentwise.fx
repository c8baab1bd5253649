// On matrices * multiplies matching elements, as every arithmetic operator does in HLSL; the
// matrix product is mul(). M = [[1, 2], [3, 4]], N = [[5, 6], [7, 8]]:
// M * N = [[5, 12], [21, 32]], mul(M, N) = [[19, 22], [43, 50]], M + N = [[6, 8], [10, 12]],
// M / N = [[0.2, 1/3], [3/7, 0.5]], M * 2 = [[2, 4], [6, 8]]. Each texel is (row 0, row 1);
// texel 5 is M * N with literal matrices.
// set gM = 1 2 0 0 3 4
// set gN = 5 6 0 0 7 8
// tolerance 1e-5
// expect 5 12 21 32
// expect 19 22 43 50
// expect 6 8 10 12
// expect 0.2 0.333333343 0.428571433 0.5
// expect 2 4 6 8
// expect 5 12 21 32
row_major float2x2 gM;
row_major float2x2 gN;
RWTexture2D<float4> gOut;
float4 Rows(float2x2 m) { return float4(m[0], m[1]); }
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = Rows(gM * gN);
    gOut[int2(1, 0)] = Rows(mul(gM, gN));
    gOut[int2(2, 0)] = Rows(gM + gN);
    gOut[int2(3, 0)] = Rows(gM / gN);
    gOut[int2(4, 0)] = Rows(gM * 2);
    gOut[int2(5, 0)] = Rows(float2x2(1, 2, 3, 4) * float2x2(5, 6, 7, 8));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
