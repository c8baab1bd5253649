// ftoi and ftou clamp before converting: to int, values below -2147483648 give -2147483648 and
// above 2147483647 give 2147483647; to uint, negatives give 0 and values above 4294967295 give
// 4294967295; NaN gives 0 in both. This holds for the conversions the compiler folds as well.
// texel 0, literals: ((int)3e9, (int)-3e9, (uint)-1.0, (uint)5e9) = (2147483647, -2147483648 (bits
// 2147483648), 0, 4294967295)
// texel 1, literals: ((uint)-0.5, (int)(0.0 / 0.0), (uint)(0.0 / 0.0), (int)2147483520.0) =
// (0, 0, 0, 2147483520)
// texel 2, inputs NaN, +INF, -INF: ((int)NaN, (uint)NaN, (int)INF, (uint)-INF) = (0, 0, 2147483647, 0)
// texel 3, inputs: ((int)-INF, (uint)INF, (int)-2147483904.0, (uint)4294967040.0) =
// (-2147483648 (bits 2147483648), 4294967295, -2147483648, 4294967040)
// open SPIRV-Tools' legalization folds a conversion of a literal with the host's conversion (which wraps) before the saturating rewrite sees it ((int)3e9, (uint)-1.0, (int)(0.0 / 0.0); texels 0 and 1)
// set gV = uint 0x7FC00000 0x7F800000 0xFF800000
// set gW = -2147483904 4294967040
// output uint
// expect 2147483647 2147483648 0 4294967295
// expect 0 0 0 2147483520
// expect 0 0 2147483647 0
// expect 2147483648 4294967295 2147483648 4294967040
float3 gV;
float2 gW;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = uint4((int)3e9, (int)-3e9, (uint)-1.0, (uint)5e9);
    gOut[int2(1, 0)] = uint4((uint)-0.5, (int)(0.0 / 0.0), (uint)(0.0 / 0.0), (int)2147483520.0);
    gOut[int2(2, 0)] = uint4((int)gV.x, (uint)gV.x, (int)gV.y, (uint)gV.z);
    gOut[int2(3, 0)] = uint4((int)gV.z, (uint)gV.y, (int)gW.x, (uint)gW.y);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
