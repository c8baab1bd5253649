// An unrolled loop of 1024 empty iterations does nothing.
// expect 1024 0 0 0
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    int i;
    [unroll] for (i = 0; i < 1024; ++i);
    gOut[int2(0, 0)] = float4(i, 0, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
