// Comparisons of vectors compare per component and give a bool vector; converted to float, true is
// 1 and false 0. a = (1, 2, 3, 4), b = (4, 2, 1, 4): a < b = (1, 0, 0, 0), a <= b = (1, 1, 0, 1),
// a == b = (0, 1, 0, 1), a != b = (1, 0, 1, 0), a > b = (0, 0, 1, 0), a >= b = (0, 1, 1, 1),
// !(a < b) = (0, 1, 1, 1). Integer vectors i = (-1, 5, 0, 7), j = (0, 5, -3, 8): i < j = (1, 0, 0, 1).
// A vector compared with a scalar compares each component with it: a > 2 = (0, 0, 1, 1).
// Texels 9-13 repeat checks with literals, which the compiler folds: a < b; a <= b; a >= b;
// a > 2; int4 i < j.
// set gA = 1 2 3 4
// set gB = 4 2 1 4
// set gI = int -1 5 0 7
// set gJ = int 0 5 -3 8
// expect 1 0 0 0
// expect 1 1 0 1
// expect 0 1 0 1
// expect 1 0 1 0
// expect 0 0 1 0
// expect 0 1 1 1
// expect 0 1 1 1
// expect 1 0 0 1
// expect 0 0 1 1
// expect 1 0 0 0
// expect 1 1 0 1
// expect 0 1 1 1
// expect 0 0 1 1
// expect 1 0 0 1
float4 gA;
float4 gB;
int4 gI;
int4 gJ;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    bool4 lt = gA < gB;
    gOut[int2(0, 0)] = float4(lt);
    gOut[int2(1, 0)] = float4(gA <= gB);
    gOut[int2(2, 0)] = float4(gA == gB);
    gOut[int2(3, 0)] = float4(gA != gB);
    gOut[int2(4, 0)] = float4(gA > gB);
    gOut[int2(5, 0)] = float4(gA >= gB);
    gOut[int2(6, 0)] = float4(!lt);
    gOut[int2(7, 0)] = float4(gI < gJ);
    gOut[int2(8, 0)] = float4(gA > 2);
    gOut[int2(9, 0)] = float4(float4(1, 2, 3, 4) < float4(4, 2, 1, 4));
    gOut[int2(10, 0)] = float4(float4(1, 2, 3, 4) <= float4(4, 2, 1, 4));
    gOut[int2(11, 0)] = float4(float4(1, 2, 3, 4) >= float4(4, 2, 1, 4));
    gOut[int2(12, 0)] = float4(float4(1, 2, 3, 4) > 2);
    gOut[int2(13, 0)] = float4(int4(-1, 5, 0, 7) < int4(0, 5, -3, 8));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
