// Unsigned division by zero gives 0xFFFFFFFF for the quotient and the remainder.
// Signed division truncates toward zero and the remainder takes the dividend's sign:
// -7 / 2 = -3, -7 % 2 = -1, 7 / -2 = -3, 7 % -2 = 1.
// set gU = uint 7 0 0 0
// set gI = int -7 2 7 -2
// output uint
// expect 4294967295 4294967295 0 0
// expect 4294967293 4294967295 4294967293 1
uint4 gU;
int4 gI;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = uint4(gU.x / gU.y, gU.x % gU.y, gU.y / gU.x, gU.y % gU.x);
    gOut[int2(1, 0)] = uint4(gI.x / gI.y, gI.x % gI.y, gI.z / gI.w, gI.z % gI.w);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
