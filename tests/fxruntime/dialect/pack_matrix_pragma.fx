// #pragma pack_matrix(row_major) makes the matrices declared after it row-major; column_major
// and row_major on a declaration still win.
// Direct3D: a at 0 (row-major 2x3: 2 rows, size 28), b at 32 (column-major: 3 columns of 2,
// size 40), c at 80 (row-major float1x3: one row, size 12), size 96.
#pragma pack_matrix(row_major)
cbuffer cbPragma
{
    float2x3              a;
    column_major float2x3 b;
    float1x3              c;
};

float4 VS(float3 p : POSITION) : SV_POSITION
{
    return float4(p + a[1] + b[0] + c[0], 1.0f);
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
