// saturate(x) clamps each component to [0, 1]: (-0.5, 1.5, 0.25, 1) gives (0, 1, 0.25, 1) and
// (-0, 0.999, 2, -100) gives (0, 0.999, 1, 0).
// set gV = -0.5 1.5 0.25 1
// set gW = -0 0.999 2 -100
// expect 0 1 0.25 1
// expect 0 0.999 1 0
// expect 0 1 0.25 1
float4 gV;
float4 gW;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = saturate(gV);
    gOut[int2(1, 0)] = saturate(gW);
    gOut[int2(2, 0)] = saturate(float4(-0.5, 1.5, 0.25, 1));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
