// A binary operator with an int and a uint operand converts the int to uint, as C's usual
// arithmetic conversions do, so the operation is unsigned; with a float operand both become float.
// i = -8 (0xFFFFFFF8 as uint), u = 2, t = 3:
// texel 0: (i + u, i / u, i % t, i * u) = (0xFFFFFFFA, 0x7FFFFFFC, 4294967288 % 3 = 2, 0xFFFFFFF0)
// (signed arithmetic would give -4 and -2 for the division and the remainder)
// texel 1: (i / t = 1431655762, i < u = 0, i > u = 1, (i + 0u) >> 1 = 0x7FFFFFFC, a logical shift)
// texel 2, literals: (-8 / 2u, -8 % 3u, -1 + 0u, (-8 + 0u) >> 1) = (0x7FFFFFFC, 2, 0xFFFFFFFF, 0x7FFFFFFC)
// texel 3: float wins: int(i * 0.5) = -4, uint(u * 1.75) = 3; vectors: int2(i, -1) + uint2(u, 1) =
// (0xFFFFFFFA, 0)
// set gI = int -8
// set gU = uint 2 3
// output uint
// expect 4294967290 2147483644 2 4294967280
// expect 1431655762 0 1 2147483644
// expect 2147483644 2 4294967295 2147483644
// expect 4294967292 3 4294967290 0
int gI;
uint2 gU;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    int i = gI;
    uint u = gU.x, t = gU.y;
    gOut[int2(0, 0)] = uint4(i + u, i / u, i % t, i * u);
    gOut[int2(1, 0)] = uint4(i / t, i < u, i > u, (i + 0u) >> 1);
    gOut[int2(2, 0)] = uint4(-8 / 2u, -8 % 3u, -1 + 0u, (-8 + 0u) >> 1);
    gOut[int2(3, 0)] = uint4(uint(int(i * 0.5)), uint(u * 1.75), int2(i, -1) + uint2(u, 1));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
