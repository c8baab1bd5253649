// Vertex outputs that are a struct, and an array of structs whose members have no semantic of their
// own, reach the pixel shader: every vertex writes the same values, so every pixel reads them exactly.
// The left pixel reads the struct, the right one the array.
// expect 1 2 3 4
// expect 1 2 3 4
struct Pair { float2 a : PAIR_A; float2 b : PAIR_B; };
struct Item { float4 v; };
struct VsOut
{
    float4 pos : SV_Position;
    Pair pair : PAIR;
    Item items[2] : ITEM;
};
VsOut VS(uint id : SV_VertexID)
{
    VsOut o;
    float2 uv = float2((id << 1) & 2, id & 2);
    o.pos = float4(uv * float2(2, -2) + float2(-1, 1), 0, 1);
    o.pair.a = float2(1, 2);
    o.pair.b = float2(3, 4);
    o.items[0].v = float4(0, 0, 0, 0);
    o.items[1].v = float4(1, 2, 3, 4);
    return o;
}
float4 PS(VsOut i) : SV_Target
{
    return i.pos.x < 1 ? float4(i.pair.a, i.pair.b) : i.items[1].v + i.items[0].v;
}
technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( CompileShader( ps_5_0, PS() ) );
    }
}
