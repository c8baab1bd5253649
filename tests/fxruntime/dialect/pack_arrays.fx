// Arrays start a register; elements are 16 bytes apart and the last one is not padded, so the
// next member packs into the rest of its register.
// Direct3D: a at 0 (size 20, stride 16), b at 20; d at 32 (size 44), c at 76; e at 80
// (size 56, stride 16), f at 136, size 144.
cbuffer cbArrays
{
    float  a[2];
    float  b;
    float3 d[3];
    float  c;
    int2   e[4];
    float  f;
};

float4 VS(float3 p : POSITION) : SV_POSITION
{
    return float4(p * (a[1] + b + c + f) + d[2] + float(e[3].y), 1.0f);
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
