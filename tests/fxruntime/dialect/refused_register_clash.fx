// Two declarations on one register: an error at the second naming the first.
Texture2D gA : register(t1);
Texture2D gB[2] : register(t0);
SamplerState samLinear;

float4 PS(float2 uv : TEXCOORD) : SV_Target { return gA.Sample(samLinear, uv) + gB[0].Sample(samLinear, uv); }

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
