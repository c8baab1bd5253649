// The same entry point with different literal arguments compiles once per distinct argument list.
cbuffer cbPerFrame
{
    float4 gTint;
};

struct VertexOut
{
    float4 PosH : SV_POSITION;
    float2 Tex  : TEXCOORD;
};

VertexOut VS(float3 posL : POSITION, float2 tex : TEXCOORD)
{
    VertexOut vout;
    vout.PosH = float4(posL, 1.0f);
    vout.Tex = tex;
    return vout;
}

float4 PS(VertexOut pin, uniform int gCount, uniform bool gTinted) : SV_Target
{
    float4 c = float4(pin.Tex, 0.0f, 1.0f) * gCount;
    if (gTinted)
        c *= gTint;
    return c;
}

// A vector literal cannot be a specialization constant; it is bound by an inlined wrapper.
float4 Solid(VertexOut pin, uniform float3 gColor) : SV_Target
{
    return float4(gColor, 1.0f);
}

technique11 Twice
{
    pass One
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS(1, false) ) );
    }
    pass Two
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS(2, true) ) );
    }
}

technique11 Again
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS(1, false) ) );
    }
}

technique11 Vector
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, Solid(float3(1.0f, 0.5f, 0.0f)) ) );
    }
}
