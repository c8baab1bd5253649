technique11 T { pass P { SetVertexShader(CompileShader(vs_5_0, VS(1e300))); } }
float4 VS(uniform int a) : SV_Position { return 0; }
