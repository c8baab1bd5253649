// The sphere cloud and the big sphere of the first scene, instanced, written to two targets at
// once: target 0 gets the lit, fogged colour; target 1 gets the glow that the blur spreads.
// Glow follows the instance colour's brightness, so the pale small spheres shine and the dark
// big sphere stays out of the bloom. The spheres are lit by a fixed key and fill light of their
// own: the program sends no lights to this effect.

cbuffer cbPerFrame
{
    float3 gEyePosW;
    float  gFogStart;
    float4 gFogColor;
    float  gFogRange;
};

cbuffer cbPerObject
{
    float4x4 gViewProj;
    float4x4 gWorld;              // the group's world, applied after each instance's own
    float4x4 gWorldInvTranspose;
};

static const float3 kKeyDirection = float3(0.57735f, -0.57735f, 0.57735f);
static const float3 kFillDirection = float3(-0.57735f, -0.57735f, -0.57735f);
static const float  kSpecularPower = 64.0f;

struct VertexIn
{
    float3 PosL : POSITION;
    row_major float4x4 World : WORLD;
    float4 Color : COLOR;
};

struct VertexOut
{
    float4 PosH    : SV_POSITION;
    float3 PosW    : POSITION;
    float3 NormalW : NORMAL;
    float4 Color   : COLOR;
};

struct PixelOut
{
    float4 Color : SV_Target0;
    float4 Glow  : SV_Target1;
};

VertexOut VS(VertexIn vin)
{
    VertexOut vout;
    float4x4 world = mul(vin.World, gWorld);
    vout.PosW = mul(float4(vin.PosL, 1.0f), world).xyz;
    // The meshes are spheres about their origin: the position is the normal. Instances scale
    // uniformly, so their own matrix carries it; the group's inverse transpose does the rest.
    float3 normal = mul(vin.PosL, (float3x3)vin.World);
    vout.NormalW = mul(normal, (float3x3)gWorldInvTranspose);
    vout.PosH = mul(float4(vout.PosW, 1.0f), gViewProj);
    vout.Color = vin.Color;
    return vout;
}

PixelOut PS(VertexOut pin, uniform float gGlowGain)
{
    float3 normal = normalize(pin.NormalW);
    float3 toEye = gEyePosW - pin.PosW;
    float eyeDist = length(toEye);
    toEye /= max(eyeDist, 1e-4f);

    float key = saturate(dot(-kKeyDirection, normal));
    float fill = saturate(dot(-kFillDirection, normal)) * 0.35f;
    float3 halfway = normalize(toEye - kKeyDirection);
    float highlight = key > 0.0f ? pow(saturate(dot(halfway, normal)), kSpecularPower) : 0.0f;
    float rim = pow(1.0f - saturate(dot(toEye, normal)), 3.0f) * 0.4f;

    float3 base = pin.Color.rgb;
    float3 lit = base * (0.25f + key * 0.8f + fill) + highlight * 0.6f + rim * base;
    float fog = saturate((eyeDist - gFogStart) / max(gFogRange, 1e-4f));

    PixelOut pout;
    pout.Color = float4(lerp(lit, gFogColor.rgb, fog), pin.Color.a);
    // Brightness squared keeps dark instances (the big sphere) nearly out of the bloom.
    float brightness = dot(base, float3(0.299f, 0.587f, 0.114f));
    float3 glow = base * brightness * brightness * gGlowGain * (1.0f - 0.6f * fog);
    pout.Glow = float4(saturate(glow + highlight * 0.3f), 1.0f);
    return pout;
}

technique11 Tech1
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( NULL );
        SetPixelShader( CompileShader( ps_5_0, PS(0.9f) ) );
        SetRasterizerState( NULL );
        SetDepthStencilState( NULL, 0 );
    }
}
