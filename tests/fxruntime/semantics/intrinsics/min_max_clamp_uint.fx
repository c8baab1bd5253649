// For uint, min, max and clamp compare as unsigned numbers, so 0x80000000 and 0xFFFFFFFF are the
// large ones (a signed comparison would take them as negative).
// a = (0x80000000, 1, 0xFFFFFFFF, 5), b = (1, 0x80000000, 0, 7): min = (1, 1, 0, 5),
// max = (0x80000000, 0x80000000, 0xFFFFFFFF, 7); clamp(c, 2, 0x80000000) with
// c = (0xFFFFFFF0, 1, 100, 0x80000001) = (0x80000000, 2, 100, 0x80000000).
// set gA = uint 0x80000000 1 0xFFFFFFFF 5
// set gB = uint 1 0x80000000 0 7
// set gC = uint 0xFFFFFFF0 1 100 0x80000001
// set gBounds = uint 2 0x80000000 0 0
// output uint
// expect 1 1 0 5
// expect 2147483648 2147483648 4294967295 7
// expect 2147483648 2 100 2147483648
uint4 gA;
uint4 gB;
uint4 gC;
uint4 gBounds;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = min(gA, gB);
    gOut[int2(1, 0)] = max(gA, gB);
    gOut[int2(2, 0)] = clamp(gC, gBounds.xxxx, gBounds.yyyy);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
