// A profile must fit the stage it is set on; tessellation and geometry stages are not available.
float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return float4(posL, 1.0f);
}

technique11 WrongProfile
{
    pass P0
    {
        SetVertexShader( CompileShader( ps_5_0, VS() ) );
    }
}
