// An array has 1 to 65536 elements.
// refused 'a': an array has at least one element
float4 gF;
int4 gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { float a[-1]; gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
