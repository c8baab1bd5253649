// Passes that name things the file does not have.
float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return float4(posL, 1.0f);
}

float4 PS(float4 posH : SV_POSITION, uniform int gCount) : SV_Target
{
    return posH * gCount;
}

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, Missing() ) );
        SetPixelShader( CompileShader( ps_5_0, PS(1, 2) ) );
        SetRasterizerState( NoSuchState );
    }
}
