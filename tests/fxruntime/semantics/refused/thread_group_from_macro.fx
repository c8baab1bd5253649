// Counts a macro gives are held to the same limits as literal ones.
// refused thread group size (2048, 1, 1)
#define GROUP_WIDTH 2048
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(GROUP_WIDTH, 1, 1)]
void CS() { gOut[int2(0, 0)] = 1; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
