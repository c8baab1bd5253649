// Scalars and vectors share a 16-byte register until the next one would straddle it.
// Direct3D: a at 0, b at 4 (float2 fits in 4..12), c at 12, d at 16 (float3 at 16..28),
// e at 28, f at 32 (float2 at 32..40), g at 48 (float3 would straddle at 40), size 64.
cbuffer cbVectors
{
    float  a;
    float2 b;
    float  c;
    float3 d;
    float  e;
    float2 f;
    float3 g;
};

float4 VS(float3 p : POSITION) : SV_POSITION
{
    return float4(p * a + float3(b, c) + d * e + float3(f, 1.0f) + g, 1.0f);
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
