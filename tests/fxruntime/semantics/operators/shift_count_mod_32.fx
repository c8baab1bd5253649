// Shift counts are taken modulo 32: 1 << 33 = 2, 0x80000000 >> 32 = 0x80000000, -8 >> 33 = -4
// (arithmetic for int), 1 << -1 = 0x80000000 (the count's low five bits are 31).
// set gS = int 33 32 -1 0
// output uint
// expect 2 2147483648 4294967292 2147483648
float4 gUnused;
int4 gS;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    uint one = 1, top = 0x80000000;
    int minusEight = -8 + gS.w;
    gOut[int2(0, 0)] = uint4(one << gS.x, top >> gS.y, uint(minusEight >> gS.x), one << gS.z);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
