// packoffset(cN.x) places a member at register N, component x (y, z, w); the others follow the
// members' order in the file, not their offsets.
// Direct3D: s at 20 (c1.y), t at 8 (c0.z), u at 32 (c2), size 48.
cbuffer cbPacked
{
    float  s : packoffset(c1.y);
    float2 t : packoffset(c0.z);
    float4 u : packoffset(c2);
};

float4 VS(float3 p : POSITION) : SV_POSITION
{
    return float4(p * s + float3(t, 0.0f), 1.0f) + u;
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
