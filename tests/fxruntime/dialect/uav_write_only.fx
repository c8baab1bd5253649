// A writable texture the shaders only write declares no format: the view bound to it decides
// (an RGBA8 view is written as RGBA8, an RGBA32F one as floats).
RWTexture2D<float4> gOutput;

[numthreads(8, 8, 1)]
void CS(uint3 id : SV_DispatchThreadID)
{
    gOutput[id.xy] = float4(id.x / 8.0f, id.y / 8.0f, 0.0f, 1.0f);
}

technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
