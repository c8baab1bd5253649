// countbits(x) is the number of set bits; reversebits(x) moves bit i to bit 31 - i.
// countbits(0, 0xFFFFFFFF, 0x80000001, 0x0F0F0F0F) = (0, 32, 2, 16);
// reversebits(1, 0x80000000, 0x12345678, 0xF0000000) = (0x80000000, 1, 0x1E6A2C48, 0xF).
// set gC = uint 0 0xFFFFFFFF 0x80000001 0x0F0F0F0F
// set gR = uint 1 0x80000000 0x12345678 0xF0000000
// output uint
// expect 0 32 2 16
// expect 2147483648 1 510274632 15
// expect 32 16 2147483648 510274632
uint4 gC;
uint4 gR;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = countbits(gC);
    gOut[int2(1, 0)] = reversebits(gR);
    gOut[int2(2, 0)] = uint4(countbits(0xFFFFFFFFu), countbits(0x0F0F0F0Fu), reversebits(1u), reversebits(0x12345678u));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
