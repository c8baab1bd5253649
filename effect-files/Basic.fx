// Untextured lit meshes (the sheep and the text models): per-pixel Blinn-Phong with up to three
// directional lights plus the spot light. The passes restore the default rasterizer and depth
// states, which the sky of the previous frame leaves changed. The second target receives what the spot light adds,
// so the text lit by the camera's lamp glows in the bloom while the sheep (lit by a dark spot)
// stays out of it.

#include "LightHelper.fxh"

cbuffer cbPerFrame
{
    DirectionalLight gDirLights[3];
    SpotLight gSpotLight;
    float3 gEyePosW;
    float  gPad0;
};

cbuffer cbPerObject
{
    float4x4 gWorld;
    float4x4 gWorldInvTranspose;
    float4x4 gWorldViewProj;
    Material gMaterial;
};

struct VertexIn
{
    float3 PosL    : POSITION;
    float3 NormalL : NORMAL;
};

struct VertexOut
{
    float4 PosH    : SV_POSITION;
    float3 PosW    : POSITION;
    float3 NormalW : NORMAL;
};

struct PixelOut
{
    float4 Color : SV_Target0;
    float4 Glow  : SV_Target1;
};

VertexOut VS(VertexIn vin)
{
    VertexOut vout;
    vout.PosW = mul(float4(vin.PosL, 1.0f), gWorld).xyz;
    vout.NormalW = mul(vin.NormalL, (float3x3)gWorldInvTranspose);
    vout.PosH = mul(float4(vin.PosL, 1.0f), gWorldViewProj);
    return vout;
}

PixelOut PS(VertexOut pin, uniform int gLightCount)
{
    float3 normal = normalize(pin.NormalW);
    float3 toEye = gEyePosW - pin.PosW;
    float eyeDist = length(toEye);
    toEye /= max(eyeDist, 1e-4f);

    LightSum light = ShadeDirectionals(gMaterial, gDirLights, gLightCount, normal, toEye);
    LightSum spot = ShadeSpot(gMaterial, gSpotLight, pin.PosW, normal, toEye);
    AddLight(light, spot);

    PixelOut pout;
    pout.Color = Combine(light, float4(1.0f, 1.0f, 1.0f, 1.0f), gMaterial);
    float4 spotColor = spot.Diffuse + spot.Specular;
    pout.Glow = float4(saturate(spotColor.rgb * 0.6f), 1.0f);
    return pout;
}

technique11 Light1
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( NULL );
        SetRasterizerState( NULL );
        SetDepthStencilState( NULL, 0 );
        SetPixelShader( CompileShader( ps_5_0, PS(1) ) );
    }
}

technique11 Light2
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( NULL );
        SetRasterizerState( NULL );
        SetDepthStencilState( NULL, 0 );
        SetPixelShader( CompileShader( ps_5_0, PS(2) ) );
    }
}

technique11 Light3
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( NULL );
        SetRasterizerState( NULL );
        SetDepthStencilState( NULL, 0 );
        SetPixelShader( CompileShader( ps_5_0, PS(3) ) );
    }
}
