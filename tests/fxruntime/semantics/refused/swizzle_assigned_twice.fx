// A swizzle that names a component twice cannot be assigned to.
// refused the swizzle 'xx' names a component twice
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { float4 v = 0; v.xx = float2(1, 2); gOut[int2(0, 0)] = v; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
