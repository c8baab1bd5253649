// Geometry, hull and domain shaders: only NULL is accepted.
struct V { float4 pos : SV_POSITION; };
V VS(float3 p : POSITION) { V v; v.pos = float4(p, 1.0f); return v; }
[maxvertexcount(3)]
void GS(triangle V input[3], inout TriangleStream<V> stream) { for (int i = 0; i < 3; ++i) stream.Append(input[i]); }

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetGeometryShader( CompileShader( gs_5_0, GS() ) );
    }
}
