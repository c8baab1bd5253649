// Reading a writable texture of four components: Direct3D 11 loads typed UAVs of
// single-component 32-bit types only (error X3676 at the declaration).
RWTexture2D<float4> gImage;

[numthreads(8, 8, 1)]
void CS(uint3 id : SV_DispatchThreadID)
{
    gImage[id.xy] = gImage[id.xy] * 0.5f;
}

technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
