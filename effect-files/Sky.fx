// The sky: a camera-centred sphere textured from a cube map, pinned to the far plane. It also
// writes a dim copy into the glow target so the horizon picks up a faint bloom.

cbuffer cbPerFrame
{
    float4x4 gWorldViewProj;
};

TextureCube gCubeMap;

SamplerState samTriLinear
{
    Filter = MIN_MAG_MIP_LINEAR;
    AddressU = WRAP;
    AddressV = WRAP;
    AddressW = WRAP;
};

// Seen from inside, so no culling; at depth exactly 1 it must pass against a cleared buffer.
RasterizerState NoCull
{
    CullMode = NONE;
};

DepthStencilState LessEqualDSS
{
    DepthFunc = LESS_EQUAL;
};

struct VertexIn
{
    float3 PosL : POSITION;
};

struct VertexOut
{
    float4 PosH : SV_POSITION;
    float3 Dir  : POSITION;
};

struct PixelOut
{
    float4 Color : SV_Target0;
    float4 Glow  : SV_Target1;
};

VertexOut VS(VertexIn vin)
{
    VertexOut vout;
    // z = w puts every sky fragment on the far plane, behind everything else.
    vout.PosH = mul(float4(vin.PosL, 1.0f), gWorldViewProj).xyww;
    vout.Dir = vin.PosL;
    return vout;
}

PixelOut PS(VertexOut pin, uniform float gGlowLevel)
{
    float4 sky = gCubeMap.Sample(samTriLinear, pin.Dir);
    PixelOut pout;
    pout.Color = sky;
    pout.Glow = float4(sky.rgb * gGlowLevel, 1.0f);
    return pout;
}

technique11 SkyTech
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( NULL );
        SetPixelShader( CompileShader( ps_5_0, PS(0.12f) ) );
        SetRasterizerState( NoCull );
        SetDepthStencilState( LessEqualDSS, 0 );
    }
}
