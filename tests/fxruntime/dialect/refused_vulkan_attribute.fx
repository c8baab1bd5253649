// Vulkan attributes are not Direct3D 11 HLSL.
[[vk::image_format("rgba8")]] RWTexture2D<float4> gOutput;

[numthreads(8, 8, 1)]
void CS(uint3 id : SV_DispatchThreadID) { gOutput[id.xy] = float4(1.0f, 1.0f, 1.0f, 1.0f); }

technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
