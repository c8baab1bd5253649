// 64-bit numbers in constant buffers are refused at the member.
cbuffer cbWide
{
    float4 gColor;
    double gExact;
};

float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p, 1.0f) * gColor * float(gExact); }

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
