// asfloat reads 32 bits as a float and asuint/asint give a float's bits, so integer operations on
// the bits act on the encoding: adding 1 gives the next float away from zero, flipping bit 31
// negates, clearing it takes the absolute value. 0x40490FDB is the float nearest pi, 0x3F800001 the
// one after 1.
// texel 0: asfloat of (0x40490FDB, 0x3F800001, 0xBF800000, 0) = (3.14159274, 1.00000012, -1, 0)
// texel 1: asfloat(asuint(v) + 1) for v = (1, -2, 0.5, 4) = (1.00000012, -2.00000024, 0.50000006,
// 4.00000048)
// texel 2: (asfloat(asint(v) ^ 0x80000000), asfloat(asuint(v.y) & 0x7FFFFFFF) as w) = (-1, 2, -0.5, 2)
// texel 3, literals: (asfloat(0x3F800000), asfloat(0x40490FDBu), asfloat(asuint(2.5f)),
// asfloat(0xC0000000)) = (1, 3.14159274, 2.5, -2)
// tolerance 0
// set gU = uint 0x40490FDB 0x3F800001 0xBF800000 0
// set gV = 1 -2 0.5 4
// expect 3.14159274 1.00000012 -1 0
// expect 1.00000012 -2.00000024 0.50000006 4.00000048
// expect -1 2 -0.5 2
// expect 1 3.14159274 2.5 -2
uint4 gU;
float4 gV;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = asfloat(gU);
    gOut[int2(1, 0)] = asfloat(asuint(gV) + 1);
    float3 n = asfloat(asint(gV.xyz) ^ 0x80000000);
    gOut[int2(2, 0)] = float4(n, asfloat(asuint(gV.y) & 0x7FFFFFFF));
    gOut[int2(3, 0)] = float4(asfloat(0x3F800000), asfloat(0x40490FDBu), asfloat(asuint(2.5f)), asfloat(0xC0000000));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
