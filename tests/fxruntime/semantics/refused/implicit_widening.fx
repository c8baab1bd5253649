// A vector does not widen implicitly (float3 to float4).
// refused cannot convert from
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { float4 v = float3(1, 2, 3); gOut[int2(0, 0)] = v; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
