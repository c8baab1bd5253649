// half is kept for language compatibility: Direct3D 10 and later shader targets map every half to
// float, so an int operand beside a half (a literal with the h suffix) converts as it does beside a
// float: 3 / 2.h = 1.5, 1.5h * 2 = 3,
// 1.5h * i = 1.5 with i = 1, (half)i + 0.25h = 1.25.
// open glslang refuses an int operand beside a half ('Could not perform requested binary operation'); 1.5h alone and 3.0 / 2.h compile
// set gI = int 1
// expect 1.5 3 1.5 1.25
int gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(3 / 2.h, 1.5h * 2, 1.5h * gI, (half)gI + 0.25h);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
