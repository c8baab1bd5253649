// A shader variable set for a stage it was not compiled for.
float4 PS() : SV_Target { return float4(1.0f, 1.0f, 1.0f, 1.0f); }
PixelShader gPS = CompileShader(ps_5_0, PS());

technique11 T { pass P0 { SetVertexShader(gPS); } }
