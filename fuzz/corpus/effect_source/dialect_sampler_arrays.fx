// An array of samplers takes consecutive slots; shader model 5.0 indexes it with literals.
// Direct3D: samplers s0..s1, then samPoint s2.
SamplerState samplers[2];
SamplerState samPoint;
Texture2D gTex;

float4 PS(float4 pos : SV_POSITION, float2 uv : TEXCOORD) : SV_Target
{
    return gTex.Sample(samplers[1], uv) + gTex.Sample(samPoint, uv);
}

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
