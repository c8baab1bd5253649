// Hull, domain and geometry shaders may only be set to NULL.
float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return float4(posL, 1.0f);
}

technique11 Tessellated
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetHullShader( CompileShader( hs_5_0, VS() ) );
        SetDomainShader( NULL );
        SetGeometryShader( 0 );
    }
}
