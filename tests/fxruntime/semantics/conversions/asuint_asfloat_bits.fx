// asuint, asint and asfloat reinterpret the 32 bits without conversion; a pure move of bits keeps
// them exactly, a denormal included (only arithmetic flushes denormals). Casts between int and uint
// keep the bits too: (uint)-5 = 0xFFFFFFFB, (int)0x80000000u has the same bits.
// texel 0: asuint of (1, -2, 0.5, -0) = (0x3F800000, 0xC0000000, 0x3F000000, 0x80000000)
// texel 1: (asint(-2), asuint(asfloat(0x7F7FFFFF)), asuint(asfloat(0x00000001)), asuint(asfloat(
// 0x7F800000))) = (0xC0000000, 0x7F7FFFFF, 1, 0x7F800000)
// texel 2 repeats texel 0 with literals: asuint(1.0f), asuint(-2.0), asint(0.5), asuint(-0.0)
// texel 3: (asuint(-1), asint(0xFFFFFFFFu), (uint)i with i = -5, (int)(0x80000000u + u) with u = 0)
// = (0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFB, 0x80000000)
// set gV = 1 -2 0.5 -0
// set gU = uint 0x7F7FFFFF 0x00000001 0x7F800000 0
// set gI = int -5
// output uint
// expect 1065353216 3221225472 1056964608 2147483648
// expect 3221225472 2139095039 1 2139095040
// expect 1065353216 3221225472 1056964608 2147483648
// expect 4294967295 4294967295 4294967291 2147483648
float4 gV;
uint4 gU;
int gI;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = asuint(gV);
    gOut[int2(1, 0)] = uint4(asint(gV.y), asuint(asfloat(gU.x)), asuint(asfloat(gU.y)), asuint(asfloat(gU.z)));
    gOut[int2(2, 0)] = uint4(asuint(1.0f), asuint(-2.0), asint(0.5), asuint(-0.0));
    gOut[int2(3, 0)] = uint4(asuint(-1), asint(0xFFFFFFFFu), (uint)gI, (int)(0x80000000u + gU.w));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
