// uint comparisons are unsigned: 0xFFFFFFFF and 0x80000000 are greater than 1. Comparing an int with
// a uint converts the int to uint (C's usual arithmetic conversions), so -1 is not less than 1u.
// u = (0xFFFFFFFF, 1, 0x80000000, 0), i = (-1, 1):
// texel 0: (u.x > u.y, u.z > u.y, u.x < u.y, u.w >= u.x) = (1, 1, 0, 0)
// texel 1: (i.x < i.y, i.x < u.y, uint(i.x) == u.x, i.x > u.y) = (1, 0, 1, 1)
// texel 2, literals: (-1 < 1u, 0xFFFFFFFFu > 1u, (uint)-1 > 1, -1 < 1) = (0, 1, 1, 1)
// texel 3, per component on vectors: uint4(u) > uint4(1, 1, 1, 1) = (1, 0, 1, 0);
// set gU = uint 4294967295 1 2147483648 0
// set gI = int -1 1
// expect 1 1 0 0
// expect 1 0 1 1
// expect 0 1 1 1
// expect 1 0 1 0
uint4 gU;
int2 gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gU.x > gU.y, gU.z > gU.y, gU.x < gU.y, gU.w >= gU.x);
    gOut[int2(1, 0)] = float4(gI.x < gI.y, gI.x < gU.y, uint(gI.x) == gU.x, gI.x > gU.y);
    gOut[int2(2, 0)] = float4(-1 < 1u, 0xFFFFFFFFu > 1u, (uint)-1 > 1, -1 < 1);
    gOut[int2(3, 0)] = float4(gU > uint4(1, 1, 1, 1));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
