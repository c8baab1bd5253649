// Matrix inputs take one semantic index per row; matrix variables keep their majorness.
cbuffer cbPerFrame
{
    float4x4 gViewProj;
    row_major float4x4 gRowMajor;
    float3x4 gThreeRows;
};

struct VertexIn
{
    float3 PosL : POSITION;
    row_major float4x4 World : WORLD;
    uint4 Ids : BLENDINDICES;
    float4 Color : COLOR;
};

struct VertexOut
{
    float4 PosH : SV_POSITION;
    float4 Color : COLOR;
};

VertexOut VS(VertexIn vin, uint instance : SV_InstanceID)
{
    VertexOut vout;
    float4 posW = mul(float4(vin.PosL, 1.0f), mul(vin.World, gRowMajor));
    vout.PosH = mul(posW, gViewProj) + float4(mul(gThreeRows, posW), 0.0f) * 0.0f;
    vout.Color = vin.Color * (instance + vin.Ids.x);
    return vout;
}

float4 PS(VertexOut pin) : SV_Target
{
    return pin.Color;
}

technique11 Instanced
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
}
