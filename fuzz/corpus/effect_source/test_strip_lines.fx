// An error after technique and state blocks must be reported on its own line.
cbuffer cbPerObject
{
    float4x4 gWorldViewProj;
};

RasterizerState Wire
{
    FillMode = WIREFRAME;
    CullMode = NONE;
};

technique11 First
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
        SetRasterizerState( Wire );
    }
}

float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return mul(float4(posL, 1.0f), gWorldViewProj);
}

float4 PS(float4 posH : SV_POSITION) : SV_Target
{
    return gMissingColor;
}
