// HLSL's numeric literals: floats take an optional h, H, f or F suffix (1.5h, 2.5f), an exponent
// (1.5e1) and may start or end with the point (.25, 2.f); integers are decimal, octal with a
// leading 0 (010 = 8, 017 = 15) or hexadecimal with 0x (0x10 = 16), with an optional u, U, l or L
// suffix. An integer literal is int, with u it is uint, and a literal with a point is a float, which
// decides how / divides and how - wraps: 3 / 2 = 1, 3 / 2.f = 1.5, -1u = 0xFFFFFFFF.
// texel 0: (1.5h, 2.5f, 1.5e1, .25) = (1.5, 2.5, 15, 0.25)
// texel 1: (2u, 0x10, 010, 0x1Fu) = (2, 16, 8, 31)
// texel 2: (7l, 2.f, 1e-1, 017) = (7, 2, 0.1, 15)
// texel 3: (-1u > 0, (float)0xFFFFFFFFu, 3 / 2, 3 / 2.f) = (1, 4294967296, 1, 1.5)
// texel 4: the same octal and hexadecimal values reached from an input: (i * 010, i * 0x10,
// i + 017, 077u / u) with i = 1, u = 9: (8, 16, 16, 7)
// set gI = int 1
// set gU = uint 9
// expect 1.5 2.5 15 0.25
// expect 2 16 8 31
// expect 7 2 0.1 15
// expect 1 4294967296 1 1.5
// expect 8 16 16 7
int gI;
uint gU;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(1.5h, 2.5f, 1.5e1, .25);
    gOut[int2(1, 0)] = float4(2u, 0x10, 010, 0x1Fu);
    gOut[int2(2, 0)] = float4(7l, 2.f, 1e-1, 017);
    gOut[int2(3, 0)] = float4(-1u > 0, (float)0xFFFFFFFFu, 3 / 2, 3 / 2.f);
    gOut[int2(4, 0)] = float4(gI * 010, gI * 0x10, gI + 017, 077u / gU);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
