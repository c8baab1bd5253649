// 32-bit integer arithmetic wraps modulo 2^32 (two's complement for int): nothing saturates or traps.
// texel 0, int: (2147483647 + 1, -2147483648 - 1, 65536 * 65536, -(-2147483648)) =
// (-2147483648, 2147483647, 0, -2147483648), shown as uint bits
// texel 1, uint: (0 - 1, 0xFFFFFFFF + 1, 0xFFFFFFFF * 3, 0xFFFFFFFF * 0xFFFFFFFF) =
// (0xFFFFFFFF, 0, 0xFFFFFFFD, 1)
// texel 2: (0x7FFFFFFF * 3, 100000 * 100000, 46341 * 46341, 46341 * 46341 as int) = (0x7FFFFFFD,
// 10^10 mod 2^32 = 1410065408, 2147488281, 2147488281 bits of -2147479015)
// texel 3 repeats texel 0 with literals, which the compiler folds.
// set gI = int 2147483647 -2147483648 65536 -1
// set gU = uint 0 4294967295 3 0
// set gM = int 100000 46341
// output uint
// expect 2147483648 2147483647 0 2147483648
// expect 4294967295 0 4294967293 1
// expect 2147483645 1410065408 2147488281 2147488281
// expect 2147483648 2147483647 0 2147483648
int4 gI;
uint4 gU;
int2 gM;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = uint4(gI.x + 1, gI.y - 1, gI.z * gI.z, -gI.y);
    gOut[int2(1, 0)] = uint4(gU.x - 1, gU.y + 1, gU.y * gU.z, gU.y * gU.y);
    uint big = uint(gI.x) * 3;
    int sq = gM.y * gM.y;
    gOut[int2(2, 0)] = uint4(big, gM.x * gM.x, uint(gM.y) * uint(gM.y), sq);
    gOut[int2(3, 0)] = uint4(2147483647 + 1, (-2147483647 - 1) - 1, 65536 * 65536, -(-2147483647 - 1));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
