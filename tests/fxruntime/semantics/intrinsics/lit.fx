// lit(n_dot_l, n_dot_h, m) = (1, max(n_dot_l, 0), n_dot_l < 0 || n_dot_h < 0 ? 0 : pow(n_dot_h, m), 1).
// set gArgs = 1.2 2 3 0
// expect 1 1.2 8 1
// expect 1 0 0 1
// expect 1 0.5 0 1
// expect 1 1.2 8 1
float4 gArgs;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = lit(gArgs.x, gArgs.y, gArgs.z);
    gOut[int2(1, 0)] = lit(-gArgs.x, gArgs.y, gArgs.z);
    gOut[int2(2, 0)] = lit(0.5, -gArgs.y, gArgs.z);
    gOut[int2(3, 0)] = lit(1.2, 2, 3);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
