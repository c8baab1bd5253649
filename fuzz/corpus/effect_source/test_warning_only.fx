// A warning does not stop compilation; its text comes back with the compiled effect.
struct Settings
{
    float Gain = 2.0f;
};

cbuffer cbSettings
{
    Settings gSettings;
};

float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return float4(posL * gSettings.Gain, 1.0f);
}

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
    }
}
