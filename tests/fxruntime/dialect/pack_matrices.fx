// Matrices are column-major unless declared row_major: one register per column (per row when
// row-major), the last one unpadded; a matrix of more than one register starts a register.
// Direct3D: m at 0 (3 columns, size 44), s at 44; r at 48 (2 rows of 3, size 28), t at 76;
// w at 80 (size 64), u at 144 (float4x2: 2 columns of 4, size 32), x at 176 (float2x4: 4 columns
// of 2, size 56), size 240.
cbuffer cbMatrices
{
    float3x3           m;
    float              s;
    row_major float2x3 r;
    float              t;
    float4x4           w;
    float4x2           u;
    float2x4           x;
};

float4 VS(float3 p : POSITION) : SV_POSITION
{
    float3 q = mul(p, m) * s + float3(r[1][2], t, u[3][1] + x[1][3]);
    return mul(float4(q, 1.0f), w);
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
