// Matrices of integers or bools: the compiled code has float matrices only.
cbuffer cbCounts
{
    uint3x3 gCounts;
};

float4 VS(float3 p : POSITION) : SV_POSITION { return float4(p * float(gCounts[1][2]), 1.0f); }

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
