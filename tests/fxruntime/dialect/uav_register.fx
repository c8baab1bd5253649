// register(uN) decides a writable texture's slot.
RWTexture2D<float4> gFirst : register(u3);
RWTexture2D<float4> gSecond;

[numthreads(8, 8, 1)]
void CS(uint3 id : SV_DispatchThreadID)
{
    gFirst[id.xy] = float4(1.0f, 0.0f, 0.0f, 1.0f);
    gSecond[id.xy] = float4(0.0f, 1.0f, 0.0f, 1.0f);
}

technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
