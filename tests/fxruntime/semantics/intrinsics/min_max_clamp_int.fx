// For int, min, max and clamp compare as signed numbers: a = (-5, 3, -2147483648, 7),
// b = (3, -5, 0, 7): min = (-5, -5, -2147483648, 7), max = (3, 3, 0, 7);
// clamp(c, -3, 3) with c = (-10, 10, 1, -3) = (-3, 3, 1, -3).
// set gA = int -5 3 -2147483648 7
// set gB = int 3 -5 0 7
// set gC = int -10 10 1 -3
// output int
// expect -5 -5 -2147483648 7
// expect 3 3 0 7
// expect -3 3 1 -3
// expect -5 3 -3 3
int4 gA;
int4 gB;
int4 gC;
RWTexture2D<int4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = min(gA, gB);
    gOut[int2(1, 0)] = max(gA, gB);
    gOut[int2(2, 0)] = clamp(gC, -3, 3);
    gOut[int2(3, 0)] = int4(min(-5, 3), max(-5, 3), clamp(-10, -3, 3), clamp(10, -3, 3));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
