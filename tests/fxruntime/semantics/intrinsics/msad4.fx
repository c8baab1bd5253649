// msad4(reference, source, accum): source.x is bytes 0-3 and source.y bytes 4-7 of an 8-byte
// string; result[k] = accum[k] + sum over bytes b = 0..3 of |ref byte b - string byte (k + b)|,
// leaving out every b whose reference byte is 0 (masked).
// reference 0x01FF0080 (bytes 0x80, 0x00, 0xFF, 0x01), source (0x10203040, 0x50607080),
// accum (10, 20, 30, 40): (312, 466, 364, 390). With reference 0 everything is masked: accum back.
// reference 0x05040302, source (0x01010101, 0x09090909), accum 0: (10, 10, 12, 16).
// set gRef = uint 0x01FF0080 0 0x05040302 0
// set gSrc = uint 0x10203040 0x50607080 0x01010101 0x09090909
// set gAcc = uint 10 20 30 40
// output uint
// open msad4 is refused ('msad4' is not supported): glslang crashed on it
// expect 312 466 364 390
// expect 10 20 30 40
// expect 10 10 12 16
uint4 gRef;
uint4 gSrc;
uint4 gAcc;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = msad4(gRef.x, gSrc.xy, gAcc);
    gOut[int2(1, 0)] = msad4(gRef.y, gSrc.xy, gAcc);
    gOut[int2(2, 0)] = msad4(gRef.z, gSrc.zw, uint4(0, 0, 0, 0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
