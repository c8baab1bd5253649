// A register of the wrong class for the declaration (a texture takes tN).
Texture2D gA : register(s1);
SamplerState samLinear;

float4 PS(float2 uv : TEXCOORD) : SV_Target { return gA.Sample(samLinear, uv); }

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
