// In a cbuffer that uses packoffset every member needs one.
cbuffer cbMixed
{
    float4 gA : packoffset(c1);
    float4 gB;
};

float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, 1.0f) + gA + gB; }

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
