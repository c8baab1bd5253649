// The type of a division is decided by its operands, not by where the result goes: int / int is an
// integer division (truncating toward zero) even when assigned to a float, so float f = 7 / 2 is 3;
// with one float operand the int converts to float first and 7 / 2.0 = 3.5. i = (7, 2, -7):
// texel 0: (float f = i.x / i.y, i.z / i.y, i.x / (float)i.y, (float)(i.x / i.y) * 2) = (3, -3, 3.5, 6)
// texel 1, literals: (float(7 / 2), -7 / 2, 7 / 2.0, 7.0 / 2) = (3, -3, 3.5, 3.5)
// texel 2: (i.x * 0.5 = 3.5, (i.x * 1) / 2 = 3, (i.z / i.y) * i.y + i.z % i.y = -7, 7u / 2 = 3)
// set gI = int 7 2 -7
// set gU = uint 7
// expect 3 -3 3.5 6
// expect 3 -3 3.5 3.5
// expect 3.5 3 -7 3
int3 gI;
uint gU;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float f0 = gI.x / gI.y;
    float f1 = gI.z / gI.y;
    gOut[int2(0, 0)] = float4(f0, f1, gI.x / (float)gI.y, (float)(gI.x / gI.y) * 2);
    gOut[int2(1, 0)] = float4(float(7 / 2), -7 / 2, 7 / 2.0, 7.0 / 2);
    gOut[int2(2, 0)] = float4(gI.x * 0.5, (gI.x * 1) / 2, (gI.z / gI.y) * gI.y + gI.z % gI.y, gU / 2);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
