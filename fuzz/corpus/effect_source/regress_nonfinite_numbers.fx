SamplerState S { MaxAnisotropy = nan; Filter = inf; };
RasterizerState R { DepthBias = -1e39; };
technique11 T { pass P { SetVertexShader(CompileShader(vs_5_0, VS(inf, -inf, nan, 1e300))); SetDepthStencilState(NULL, nan); } }
float4 VS(uniform int a, uniform uint b, uniform int c, uniform int d) : SV_Position { return 0; }
