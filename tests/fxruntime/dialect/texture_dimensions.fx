// Texture2DArray, Texture3D and TextureCube beside Texture2D, with Load and Sample.
Texture2DArray gLayers;
Texture3D      gVolume;
TextureCube    gSky;
Texture2D<uint> gIds;
SamplerState samLinear;

float4 PS(float4 pos : SV_POSITION, float3 uvw : TEXCOORD) : SV_Target
{
    return gLayers.Sample(samLinear, uvw) + gVolume.Sample(samLinear, uvw) + gSky.Sample(samLinear, uvw) +
           gLayers.Load(int4(1, 2, 3, 0)) + float(gIds.Load(int3(0, 0, 0)));
}

technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
