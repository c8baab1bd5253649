// A function that returns a value cannot return without one.
// refused does not return a value
float4 gF;
RWTexture2D<float4> gOut;
float F(float x) { return; }
[numthreads(1, 1, 1)]
void CS() { gOut[int2(0, 0)] = F(gF.x); }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
