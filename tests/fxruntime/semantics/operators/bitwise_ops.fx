// Bitwise operators work per component on the 32 bits of int and uint: &, |, ^, ~; >> is a logical
// shift for uint and an arithmetic one (the sign bit copied in) for int; the compound forms &=, |=,
// ^=, <<= do the same. u = 0xF0F0F0F0, v = 0x0FF00FF0, i = -16:
// texel 0: (u & v, u | v, u ^ v, ~u) = (0x00F000F0, 0xFFF0FFF0, 0xFF00FF00, 0x0F0F0F0F)
// texel 1: (u >> 4, i >> 2, u << 4, uint(i) >> 2) = (0x0F0F0F0F, -4, 0x0F0F0F00, 0x3FFFFFFC)
// texel 2: w = u; w &= v; w |= 1; w ^= 0x80000000; w <<= 1 gives 0x01E001E2 (the top bit shifted
// out); ~i = 15, i & 0xFF = 0xF0, i | 3 = -13 (0xFFFFFFF3)
// texel 3, literals: (0xF0F0F0F0u & 0x0FF00FF0u, 0xF0u | 0x0Fu, 5u ^ 3u, ~0u) =
// (0x00F000F0, 0xFF, 6, 0xFFFFFFFF)
// texel 4, per component on vectors: uint4(u, v, 1, 2) & uint4(0xFF, 0xFF00, 3, 3) =
// (0xF0, 0xF00, 1, 2)
// set gU = uint 0xF0F0F0F0 0x0FF00FF0
// set gI = int -16
// output uint
// expect 15728880 4293984240 4278255360 252645135
// expect 252645135 4294967292 252645120 1073741820
// expect 31457762 15 240 4294967283
// expect 15728880 255 6 4294967295
// expect 240 3840 1 2
uint2 gU;
int gI;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    uint u = gU.x, v = gU.y;
    int i = gI;
    gOut[int2(0, 0)] = uint4(u & v, u | v, u ^ v, ~u);
    gOut[int2(1, 0)] = uint4(u >> 4, i >> 2, u << 4, uint(i) >> 2);
    uint w = u;
    w &= v;
    w |= 1;
    w ^= 0x80000000;
    w <<= 1;
    gOut[int2(2, 0)] = uint4(w, ~i, i & 0xFF, i | 3);
    gOut[int2(3, 0)] = uint4(0xF0F0F0F0u & 0x0FF00FF0u, 0xF0u | 0x0Fu, 5u ^ 3u, ~0u);
    gOut[int2(4, 0)] = uint4(u, v, 1, 2) & uint4(0xFF, 0xFF00, 3, 3);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
