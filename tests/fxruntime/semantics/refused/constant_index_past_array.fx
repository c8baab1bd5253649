// A literal index past the end of an array.
// refused array index out of range
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { float a[2] = {1, 2}; gOut[int2(0, 0)] = a[5]; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
