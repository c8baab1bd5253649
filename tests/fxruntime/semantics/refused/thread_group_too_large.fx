// Shader model 5 runs at most 1024 threads in a group (X and Y up to 1024, Z up to 64).
// refused is outside shader model 5's limits
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(64, 32, 1)]
void CS() { gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
