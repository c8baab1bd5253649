// Assigning a vector to a narrower one truncates it, with warning X3206 at the value.
float4 VS(float3 p : POSITION) : SV_POSITION
{
    float x = float4(p, 1.0f);
    float2 xy = p;
    float3 q = p;
    q.xy = p;
    return float4(q * x + float3(xy, 0.0f), 1.0f);
}

float PS(float4 pos : SV_POSITION) : SV_Target
{
    return pos;
}

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
}
