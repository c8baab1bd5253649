// A negative count is no count; it must not wrap around to a huge unsigned one.
// refused thread group size (-1, 1, 1)
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(-1, 1, 1)]
void CS() { gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
