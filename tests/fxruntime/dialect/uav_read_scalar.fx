// A writable texture the shaders read must have a single-component 32-bit element type, as in
// Direct3D 11; its format follows from that type: float r32f, uint r32ui, int r32i.
RWTexture2D<float> gHeights;
RWTexture2D<uint>  gCounts;
RWTexture2D<int>   gOffsets;

[numthreads(8, 8, 1)]
void CS(uint3 id : SV_DispatchThreadID)
{
    gHeights[id.xy] = gHeights[id.xy] * 0.5f;
    InterlockedAdd(gCounts[id.xy], 1);
    gOffsets[id.xy] = gOffsets[id.xy] - 1;
}

technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
