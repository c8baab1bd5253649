// A matrix one row wide has only row 0; an index that is not the literal 0 is refused.
float1x4 gRow;
int gIndex;

float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, gRow[gIndex].x); }

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
