// An array of textures takes consecutive slots, from its register or from the lowest free run.
// Direct3D: gMaps t3..t4, gOther t0, gMore t1..t2.
Texture2D gMaps[2] : register(t3);
Texture2D gOther;
Texture2D gMore[2];
SamplerState samLinear;

float4 PS(float4 pos : SV_POSITION, float2 uv : TEXCOORD) : SV_Target
{
    return gMaps[0].Sample(samLinear, uv) + gMaps[1].Sample(samLinear, uv) + gOther.Sample(samLinear, uv) +
           gMore[1].Sample(samLinear, uv);
}

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
