// A compute shader without [numthreads]: its other attributes do not stand in for it.
// refused error X3661: 'CS': a compute shader needs a [numthreads(X, Y, Z)] attribute
RWTexture2D<float4> gOut;
[earlydepthstencil]
void CS() { gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
