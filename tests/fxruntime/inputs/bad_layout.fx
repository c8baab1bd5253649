// A packoffset that would make a member straddle a register is refused at the member, as
// Direct3D refuses it.
cbuffer cbPerFrame
{
    float  gScale  : packoffset(c0.x);
    float3 gOffset : packoffset(c0.z);
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
