// GetRenderTargetSampleCount() is not available.
// refused 'GetRenderTargetSampleCount' is not supported
float4 PS() : SV_Target { return GetRenderTargetSampleCount(); }
float4 VS(uint id : SV_VertexID) : SV_Position { return float4(0, 0, 0, 1); }
technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
