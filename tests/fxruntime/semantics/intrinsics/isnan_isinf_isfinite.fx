// isnan is true for NaN only; isinf for +INF and -INF; isfinite for every value that is neither.
// Bits (NaN 0x7FC00000, +INF, -INF, 1.0): isnan (1, 0, 0, 0), isinf (0, 1, 1, 0), isfinite (0, 0, 0, 1);
// (largest float 0x7F7FFFFF, 0, smallest denormal 1, negative NaN 0xFFFFFFFF): isnan (0, 0, 0, 1),
// isinf (0, 0, 0, 0), isfinite (1, 1, 1, 0). Computed values count too: INF - INF is NaN, the
// largest float times 2 overflows to INF, neither is finite (precise: without it HLSL lets the
// compiler take x - x as 0).
// set gA = uint 0x7FC00000 0x7F800000 0xFF800000 0x3F800000
// set gB = uint 0x7F7FFFFF 0 1 0xFFFFFFFF
// output uint
// expect 1 0 0 0
// expect 0 1 1 0
// expect 0 0 0 1
// expect 0 0 0 1
// expect 0 0 0 0
// expect 1 1 1 0
// expect 1 1 0 0
float4 gA;
float4 gB;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = uint4(isnan(gA));
    gOut[int2(1, 0)] = uint4(isinf(gA));
    gOut[int2(2, 0)] = uint4(isfinite(gA));
    gOut[int2(3, 0)] = uint4(isnan(gB));
    gOut[int2(4, 0)] = uint4(isinf(gB));
    gOut[int2(5, 0)] = uint4(isfinite(gB));
    precise float nan = gA.y - gA.y;  // without precise, x - x may be taken as 0
    precise float inf = gB.x * 2;
    gOut[int2(6, 0)] = uint4(isnan(nan), isinf(inf), isfinite(nan), isfinite(inf));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
