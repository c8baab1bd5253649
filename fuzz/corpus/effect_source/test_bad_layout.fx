// A vector that straddles the packing GLSL can express fails, naming the member.
cbuffer cbPerFrame
{
    float  gScale;
    float3 gOffset;
};

float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return float4(posL * gScale + gOffset, 1.0f);
}

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
    }
}
