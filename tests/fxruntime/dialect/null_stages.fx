// SetGeometryShader(NULL), SetHullShader(NULL) and SetDomainShader(NULL) are explicit empties.
float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, 1.0f); }
float4 PS() : SV_Target { return float4(1.0f, 1.0f, 1.0f, 1.0f); }

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetHullShader( NULL );
        SetDomainShader( NULL );
        SetGeometryShader( NULL );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
}
