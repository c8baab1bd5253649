float4 PS(float4 p : SV_POSITION) : SV_Target { return p; }
technique11 T { pass P { SetPixelShader(CompileShader(ps_5_0, PS())); } }
