// Integer to float conversion is exact up to 2^24 and otherwise rounds to the nearest float, ties to
// the even one (itof and utof round to nearest even). 16777217 = 2^24 + 1 lies halfway between
// 16777216 and 16777218 and goes to 16777216 (even); 16777219 lies halfway between 16777218 and
// 16777220 and goes to 16777220 (even; truncation would give 16777218); 4294967295 -> 4294967296;
// 3000000001 -> 3000000000; 2147483647 -> 2147483648; -16777217 -> -16777216; -2147483648 exact.
// texel 0: float of uint (16777217, 16777219, 4294967295, 3000000001)
// texel 1: float of int (-16777217, 2147483647, -2147483648, -7)
// texel 2: the same from literals: (float)16777217, (float)16777219, (float)4294967295u,
// (float)-16777217
// texel 3: exact small values: (float)(-7) / 2 = -3.5, (float)(-7 / 2) = -3, (float)(16777217u -
// 16777216u) = 1, (float)33554435u = 33554436 (nearest, no tie)
// tolerance 0
// set gU = uint 16777217 16777219 4294967295 3000000001
// set gI = int -16777217 2147483647 -2147483648 -7
// set gW = uint 33554435
// expect 16777216 16777220 4294967296 3000000000
// expect -16777216 2147483648 -2147483648 -7
// expect 16777216 16777220 4294967296 -16777216
// expect -3.5 -3 1 33554436
uint4 gU;
int4 gI;
uint gW;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gU);
    gOut[int2(1, 0)] = float4(gI);
    gOut[int2(2, 0)] = float4((float)16777217, (float)16777219, (float)4294967295u, (float)-16777217);
    gOut[int2(3, 0)] = float4((float)gI.w / 2, (float)(gI.w / 2), (float)(gU.x - 16777216u), (float)gW);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
