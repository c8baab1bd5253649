// SampleCmpLevelZero compares the reference with the texel of an R32_FLOAT view (point filtering):
// with LESS, 1 where reference < texel, else 0. Texels 0.25 and 0.75; reference 0.5.
// open GL compares only with textures of a depth format: the dispatch is dropped with the rule DrawComparisonOnColour (EffectLayoutGpu.ComparisonSamplingOfAColourTextureIsDropped)
// texture gDepth r32f 2 1 = 0.25 0.75
// set gRef = 0.5
// expect 0 1 0 0
Texture2D<float> gDepth;
SamplerComparisonState gCompare
{
    Filter = COMPARISON_MIN_MAG_MIP_POINT;
    AddressU = CLAMP;
    AddressV = CLAMP;
    ComparisonFunc = LESS;
};
float gRef;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gDepth.SampleCmpLevelZero(gCompare, float2(0.25, 0.5), gRef),
                              gDepth.SampleCmpLevelZero(gCompare, float2(0.75, 0.5), gRef), 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
