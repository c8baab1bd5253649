// register(tN), register(sN), register(bN) decide the slot; declarations without one take the
// lowest free slots in the order of the file.
// Direct3D: gA t2, gB t0, gC t1; samAniso s3, samLinear s0; cbB b4, cbA b0.
cbuffer cbA { float4 gColorA; };
cbuffer cbB : register(b4) { float4 gColorB; };

Texture2D gA : register(t2);
Texture2D gB;
Texture2D gC;
SamplerState samAniso : register(s3) { Filter = ANISOTROPIC; MaxAnisotropy = 4; };
SamplerState samLinear;

float4 PS(float4 pos : SV_POSITION, float2 uv : TEXCOORD) : SV_Target
{
    return gA.Sample(samAniso, uv) + gB.Sample(samLinear, uv) + gC.Sample(samAniso, uv) + gColorA + gColorB;
}

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
