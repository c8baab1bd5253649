// A sampler declared with a register and no state block: the default sampler state at that slot.
// The slots below it hold default samplers too.
SamplerState samPoint : register(s2);
Texture2D gTex;

float4 PS(float4 pos : SV_POSITION, float2 uv : TEXCOORD) : SV_Target
{
    return gTex.Sample(samPoint, uv);
}

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
