#include "/dev/zero"
#include "/dev/stdin"
#include "."
float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, 1); }
technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
