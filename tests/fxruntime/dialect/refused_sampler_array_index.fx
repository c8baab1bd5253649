// Sampler arrays are indexed with literals (X3512), as in shader model 5.0.
SamplerState samplers[2];
Texture2D gTex;
int gWhich;

float4 PS(float2 uv : TEXCOORD) : SV_Target { return gTex.Sample(samplers[gWhich], uv); }

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
