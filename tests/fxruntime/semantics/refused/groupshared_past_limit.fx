// Shader model 5 gives a thread group 32768 bytes of groupshared memory; 2048 float4 are 32768, one more float is past it.
// refused groupshared memory of 32772 bytes
float4 gF;
RWTexture2D<float4> gOut;
groupshared float4 gTile[2048];
groupshared float gExtra;
[numthreads(1, 1, 1)]
void CS() { gTile[0] = gF; gExtra = 1; gOut[int2(0, 0)] = gTile[0] * gExtra; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
