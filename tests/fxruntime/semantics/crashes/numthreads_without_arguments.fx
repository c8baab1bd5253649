// [numthreads] needs its three counts.
// refused [numthreads] takes three thread counts
RWTexture2D<float4> gOut;
[numthreads]
void CS() { gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
