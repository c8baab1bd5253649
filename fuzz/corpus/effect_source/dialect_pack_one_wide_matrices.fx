// Matrices one row or one column wide. Column-major float3x1 is one column: a float3 in one
// register; row-major it is three one-float rows in three registers. float1x4 is the reverse.
// Direct3D: a at 0, m31 at 4 (size 12, fits the register), r31 at 16 (size 36), b at 52,
// m14 at 64 (4 columns of 1, size 52), r14 at 128 (one row, size 16), c at 144, size 160.
cbuffer cbOneWide
{
    float              a;
    float3x1           m31;
    row_major float3x1 r31;
    float              b;
    float1x4           m14;
    row_major float1x4 r14;
    float              c;
};

float4 VS(float3 p : POSITION) : SV_POSITION
{
    float3 v = mul(m31, a);
    return float4(p + v + r31._m20 + m14[0].xyz + r14._m01_m02_m03 + b + c + m31[2][0], 1.0f);
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
