// A thread group size given through a macro is a thread group size: four threads each write their
// own texel.
// expect 0 0 0 1
// expect 1 0 0 1
// expect 2 0 0 1
// expect 3 0 0 1
#define GROUP [numthreads(4, 1, 1)]
RWTexture2D<float4> gOut;
GROUP
void CS(uint3 id : SV_DispatchThreadID) { gOut[id.xy] = float4(id.x, 0, 0, 1); }
technique11 T0 { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
