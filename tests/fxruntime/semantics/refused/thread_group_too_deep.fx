// Z is at most 64.
// refused thread group size (1, 1, 128)
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 128)]
void CS() { gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
