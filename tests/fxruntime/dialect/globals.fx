// Variables at file scope (not static) go to the implicit $Globals buffer, packed by the same
// rules; bool and int members take 4 bytes.
// Direct3D: gOn at 0, gScale at 4 (float2), gCount at 12, gTint at 16, size 32.
bool   gOn;
float2 gScale;
int    gCount;
float3 gTint;
static const float kHalf = 0.5f;

float4 VS(float3 p : POSITION) : SV_POSITION
{
    float3 q = gOn ? p * gScale.x * kHalf : p * float(gCount);
    return float4(q + gTint, 1.0f);
}

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
