// Full-screen combine of the first scene: the colour image (gDiffuseMap2) with the blurred glow
// image (gDiffuseMap) added on top as a bloom.

cbuffer cbPerObject
{
    float4x4 gWorld;
    float4x4 gWorldInvTranspose;
    float4x4 gWorldViewProj;
    float4x4 gTexTransform;
};

Texture2D gDiffuseMap;   // blurred glow
Texture2D gDiffuseMap2;  // scene colour

SamplerState samLinearClamp
{
    Filter = MIN_MAG_MIP_LINEAR;
    AddressU = CLAMP;
    AddressV = CLAMP;
};

// A full-screen pass must neither be culled nor depth-tested away, whatever was drawn before.
RasterizerState FullScreenRS
{
    CullMode = NONE;
};

DepthStencilState NoDepthDSS
{
    DepthEnable = FALSE;
    DepthWriteMask = ZERO;
};

struct VertexIn
{
    float3 PosL : POSITION;
    float2 Tex  : TEXCOORD;
};

struct VertexOut
{
    float4 PosH : SV_POSITION;
    float2 Tex  : TEXCOORD;
};

VertexOut VS(VertexIn vin)
{
    VertexOut vout;
    vout.PosH = mul(float4(vin.PosL, 1.0f), gWorldViewProj);
    vout.Tex = mul(float4(vin.Tex, 0.0f, 1.0f), gTexTransform).xy;
    return vout;
}

float4 PS(VertexOut pin, uniform float gBloomStrength) : SV_Target
{
    float3 color = gDiffuseMap2.Sample(samLinearClamp, pin.Tex).rgb;
    float3 glow = gDiffuseMap.Sample(samLinearClamp, pin.Tex).rgb * gBloomStrength;
    // Screen-style add: glow brightens dark areas fully and bright areas gently, so highlights
    // bloom without flattening into white.
    float3 bloom = color + glow * (1.0f - 0.5f * saturate(color));
    return float4(saturate(bloom), 1.0f);
}

technique11 Tech1
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( NULL );
        SetPixelShader( CompileShader( ps_5_0, PS(1.6f) ) );
        SetRasterizerState( FullScreenRS );
        SetDepthStencilState( NoDepthDSS, 0 );
    }
}
