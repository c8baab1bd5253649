// A thread group of no threads.
// refused thread group size (8, 0, 1)
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(8, 0, 1)]
void CS() { gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
