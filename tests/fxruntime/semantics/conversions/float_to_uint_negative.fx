// Float to integer conversion truncates toward zero and saturates: to uint, a negative value or NaN
// gives 0 and a value past the range 4294967295; to int, the ends are -2147483648 and 2147483647,
// and NaN gives 0.
// set gV = -3.6 3.6 1e20 -1e20
// output uint
// expect 0 3 4294967295 0
// expect 4294967293 3 2147483647 2147483648
float4 gV;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = uint4((uint)gV.x, (uint)gV.y, (uint)gV.z, (uint)gV.w);
    gOut[int2(1, 0)] = uint4((int)gV.x, (int)gV.y, (int)gV.z, (int)gV.w);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
