// * and / on vectors work per component, and a scalar operand applies to every component.
// a = (1.5, -2, 8, 3), b = (2, 4, -0.5, 3): a * b = (3, -8, -4, 9), a / b = (0.75, -0.5, -16, 1),
// a * 2 = (3, -4, 16, 6), 12 / b = (6, 3, -24, 4). Integer vectors divide per component with
// truncation toward zero and % takes the dividend's sign: (7, -7, 9, 100) / (2, 2, -4, 7) =
// (3, -3, -2, 14), % = (1, -1, 1, 2). Texels 6 and 7 repeat texels 0 and 4 with literals.
// set gA = 1.5 -2 8 3
// set gB = 2 4 -0.5 3
// set gI = int 7 -7 9 100
// set gJ = int 2 2 -4 7
// expect 3 -8 -4 9
// expect 0.75 -0.5 -16 1
// expect 3 -4 16 6
// expect 6 3 -24 4
// expect 3 -3 -2 14
// expect 1 -1 1 2
// expect 3 -8 -4 9
// expect 3 -3 -2 14
float4 gA;
float4 gB;
int4 gI;
int4 gJ;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = gA * gB;
    gOut[int2(1, 0)] = gA / gB;
    gOut[int2(2, 0)] = gA * 2;
    gOut[int2(3, 0)] = 12 / gB;
    gOut[int2(4, 0)] = float4(gI / gJ);
    gOut[int2(5, 0)] = float4(gI % gJ);
    gOut[int2(6, 0)] = float4(1.5, -2, 8, 3) * float4(2, 4, -0.5, 3);
    gOut[int2(7, 0)] = float4(int4(7, -7, 9, 100) / int4(2, 2, -4, 7));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
