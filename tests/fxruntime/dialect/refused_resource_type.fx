// Resource types the device cannot bind are refused at their declaration.
StructuredBuffer<float4> gItems;

float4 VS(uint id : SV_VertexID) : SV_POSITION { return gItems[id]; }

technique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, VS() ) ); } }
