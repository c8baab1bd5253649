// asuint, asint and asfloat reinterpret the 32 bits unchanged; asint's result is a signed int.
// asuint(1, -2, 0.5, -1.5) = (0x3F800000, 0xC0000000, 0x3F000000, 0xBFC00000);
// asint(-2.0) < 0; asint(1.0) >> 23 = 127; asuint(-2.0) >> 23 = 0x180 (logical), asint(-2.0) >> 23 = -128
// (arithmetic); asfloat of (0x3F800000, 0x40490FDB, 0xBF000000, 0x12345678) doubled is
// (2, 2 pi, -1, 0x12345678 with its exponent one higher) = (0x40000000, 0x40C90FDB, 0xBF800000, 0x12B45678).
// set gF = 1 -2 0.5 -1.5
// set gU = uint 0x3F800000 0x40490FDB 0xBF000000 0x12345678
// set gI = int 0x3F800000 0 0 0
// output uint
// expect 1065353216 3221225472 1056964608 3217031168
// expect 1 127 384 4294967168
// expect 1073741824 1086918619 3212836864 313808504
// expect 1073741824 1065353216 3221225472 1056964608
// expect 1073741824 4294967168 0 0
float4 gF;
uint4 gU;
int4 gI;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = asuint(gF);
    gOut[int2(1, 0)] = uint4(asint(gF.y) < 0, asint(gF.x) >> 23, asuint(gF.y) >> 23, asint(gF.y) >> 23);
    gOut[int2(2, 0)] = asuint(asfloat(gU) * 2);
    gOut[int2(3, 0)] = uint4(asuint(asfloat(gI.x) + 1.0), asuint(1.0), asuint(-2.0), asint(0.5));
    gOut[int2(4, 0)] = uint4(asuint(asfloat(0x3F800000u) * 2), asint(-2.0) >> 23, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
