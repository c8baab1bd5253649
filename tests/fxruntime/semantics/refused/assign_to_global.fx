// Variables of a constant buffer (here $Globals) are constant in a shader.
// refused can't modify a uniform
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { gF = 1; gOut[int2(0, 0)] = gF; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
