// Structs start a register; their members pack by the same rules; the member after a struct packs
// into the rest of its last register. Arrays of structs are a whole number of registers apart.
// Direct3D: x at 0, s at 16 (size 20), y at 36, arr at 48 (stride 32, size 52), z at 100, size 112.
struct Light
{
    float4 Color;
    float  Range;
};

cbuffer cbStructs
{
    float x;
    Light s;
    float y;
    Light arr[2];
    float z;
};

float4 VS(float3 p : POSITION) : SV_POSITION
{
    return float4(p * (x + y + z + s.Range + arr[1].Range), 1.0f) + s.Color + arr[0].Color;
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
