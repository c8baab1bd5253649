// Shaders compiled into variables and set by name; the same variable may serve several passes.
float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, 1.0f); }
float4 PS(uniform float gGrey) : SV_Target { return float4(gGrey, gGrey, gGrey, 1.0f); }

VertexShader gVS = CompileShader(vs_5_0, VS());
PixelShader gDark = CompileShader(ps_5_0, PS(0.25f));
PixelShader gLight = CompileShader(ps_5_0, PS(0.75f));
GeometryShader gNoGS = NULL;

technique11 Dark  { pass P0 { SetVertexShader(gVS); SetGeometryShader(gNoGS); SetPixelShader(gDark); } }
technique11 Light { pass P0 { SetVertexShader(gVS); SetPixelShader(gLight); } }
