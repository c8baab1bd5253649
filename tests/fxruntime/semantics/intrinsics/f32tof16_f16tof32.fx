// f32tof16(x) converts to a float16, returned in the low 16 bits of a uint (the high 16 are 0);
// f16tof32(u) converts the float16 in u's low 16 bits to a float, ignoring the high 16 bits.
// Exact values: f32tof16(1, -2, 0.5, 65504) = (0x3C00, 0xC000, 0x3800, 0x7BFF);
// f32tof16(+INF, 1 + 2^-10, -0, 2^-14) = (0x7C00, 0x3C01, 0x8000, 0x0400);
// f16tof32(0x3C00, 0xABCD3C00, 0xC000, 0x7BFF) = (1, 1, -2, 65504), shown as float bits;
// f16tof32(0x7C00, 0x8000, 0x0400, 0x3555) = (+INF, -0, 2^-14, 0.333251953125).
// set gA = 1 -2 0.5 65504
// set gB = uint 0x7F800000 0x3F802000 0x80000000 0x38800000
// set gH = uint 0x3C00 0xABCD3C00 0xC000 0x7BFF
// set gK = uint 0x7C00 0x8000 0x0400 0x3555
// output uint
// expect 15360 49152 14336 31743
// expect 31744 15361 32768 1024
// expect 1065353216 1065353216 3221225472 1199562752
// expect 2139095040 2147483648 947912704 1051369472
// expect 15360 49152 1065353216 31743
float4 gA;
float4 gB;
uint4 gH;
uint4 gK;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = f32tof16(gA);
    gOut[int2(1, 0)] = f32tof16(gB);
    gOut[int2(2, 0)] = asuint(f16tof32(gH));
    gOut[int2(3, 0)] = asuint(f16tof32(gK));
    gOut[int2(4, 0)] = uint4(f32tof16(1.0), f32tof16(-2.0), asuint(f16tof32(0x3C00u)), f32tof16(f16tof32(gH.w)));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
