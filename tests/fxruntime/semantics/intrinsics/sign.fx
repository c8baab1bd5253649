// sign(x) is -1 for x < 0, 0 for x == 0 (either zero) and 1 for x > 0, and its result is int for
// float and int arguments alike. So sign(-1.0) / 2 * 4 is the integer expression -1 / 2 * 4 = 0
// (a float result would give -2).
// Floats (-2.5, 0, 0.001, -0) give (-1, 0, 1, 0); ints (-9, 0, 12, -2147483648) give (-1, 0, 1, -1).
// set gV = -2.5 0 0.001 -0
// set gI = int -9 0 12 -2147483648
// output int
// expect -1 0 1 0
// expect -1 0 1 -1
// expect -1 0 1 0
// expect 0 0 -1 1
float4 gV;
int4 gI;
RWTexture2D<int4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = sign(gV);
    gOut[int2(1, 0)] = sign(gI);
    gOut[int2(2, 0)] = sign(float4(-2.5, 0, 0.001, -0.0));
    gOut[int2(3, 0)] = int4(sign(gV.x) / 2 * 4, sign(-1.0) / 2 * 4, sign(gV.x * 3), sign(gI.z));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
