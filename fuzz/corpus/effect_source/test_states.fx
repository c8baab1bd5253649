// State blocks with their field values, and passes that bind them.
Texture2D gDiffuseMap;

SamplerState samPointBorder
{
    Filter = MIN_MAG_MIP_POINT;
    AddressU = BORDER;
    AddressV = MIRROR;
    AddressW = WRAP;
    BorderColor = float4(0.25f, 0.5f, 0.75f, 1.0f);
    MipLODBias = -1.5f;
    MaxLOD = 4;
};

SamplerState samDefault;

RasterizerState SolidFrontCull
{
    FillMode = SOLID;
    CullMode = FRONT;
    FrontCounterClockwise = TRUE;
    DepthBias = 100;
    SlopeScaledDepthBias = 1.5f;
    DepthClipEnable = FALSE;
};

DepthStencilState StencilMark
{
    DepthEnable = TRUE;
    DepthWriteMask = ZERO;
    DepthFunc = LESS_EQUAL;
    StencilEnable = TRUE;
    StencilReadMask = 0x0F;
    FrontFaceStencilPass = REPLACE;
    FrontFaceStencilFunc = ALWAYS;
    BackFaceStencilFail = INCR_SAT;
};

BlendState TwoTargets
{
    BlendEnable[0] = TRUE;
    SrcBlend[0] = SRC_ALPHA;
    DestBlend[0] = INV_SRC_ALPHA;
    BlendOp[0] = ADD;
    BlendEnable[1] = FALSE;
    RenderTargetWriteMask[1] = 0x03;
};

BlendState AlphaToCoverage
{
    AlphaToCoverageEnable = TRUE;
};

float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return float4(posL, 1.0f);
}

float4 PS(float4 posH : SV_POSITION) : SV_Target
{
    return gDiffuseMap.Sample(samPointBorder, posH.xy) + gDiffuseMap.Sample(samDefault, posH.yx);
}

technique11 Stateful
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( NULL );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
        SetRasterizerState( SolidFrontCull );
        SetDepthStencilState( StencilMark, 3 );
        SetBlendState( TwoTargets, float4(0.5f, 0.0f, 0.0f, 1.0f), 0xFFFFFFFF );
    }
    pass Defaults
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
        SetRasterizerState( NULL );
        SetDepthStencilState( NULL, 0 );
        SetBlendState( AlphaToCoverage, float4(0, 0, 0, 0), 0x0000000F );
    }
}
