// An array of structs whose member has a semantic passes one value per element: element k takes the
// semantic's index plus k (ITEM0, ITEM1), so both elements reach the pixel shader apart.
// expect 1 2 3 4
// expect 5 6 7 8
struct Item { float4 v : ITEM; };
struct VsOut
{
    float4 pos : SV_Position;
    Item items[2];
};
VsOut VS(uint id : SV_VertexID)
{
    VsOut o;
    float2 uv = float2((id << 1) & 2, id & 2);
    o.pos = float4(uv * float2(2, -2) + float2(-1, 1), 0, 1);
    o.items[0].v = float4(1, 2, 3, 4);
    o.items[1].v = float4(5, 6, 7, 8);
    return o;
}
float4 PS(VsOut i) : SV_Target
{
    return i.pos.x < 1 ? i.items[0].v : i.items[1].v;
}
technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
}
