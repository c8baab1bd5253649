// Two writable textures of one element type, one read and one only written: the HLSL compiler
// gives them one image type, so the written one takes the read one's format, with a warning
// naming the view it needs.
RWTexture2D<float> gHeights;
RWTexture2D<float> gMask;

[numthreads(8, 8, 1)]
void CS(uint3 id : SV_DispatchThreadID)
{
    float h = gHeights[id.xy];
    gMask[id.xy] = h > 0.5f ? 1.0f : 0.0f;
}

technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
