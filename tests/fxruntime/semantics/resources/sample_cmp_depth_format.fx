// SampleCmpLevelZero compares the reference with the depth texel (point filtering): with LESS, 1
// where reference < texel, else 0. Every texel is 0.5; references 0.25, 0.75 and 0.5 (not less).
// With GREATER_EQUAL (the second sampler), 0.5 >= 0.5 passes.
// texture gDepth d32f 2 1 = 0.5
// set gRef = 0.25 0.75 0.5 0
// expect 1 0 0 1
Texture2D<float> gDepth;
SamplerComparisonState gLess
{
    Filter = COMPARISON_MIN_MAG_MIP_POINT;
    AddressU = CLAMP;
    AddressV = CLAMP;
    ComparisonFunc = LESS;
};
SamplerComparisonState gGreaterEqual
{
    Filter = COMPARISON_MIN_MAG_MIP_POINT;
    ComparisonFunc = GREATER_EQUAL;
};
float4 gRef;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    const float2 uv = float2(0.25, 0.5);
    gOut[int2(0, 0)] = float4(gDepth.SampleCmpLevelZero(gLess, uv, gRef.x), gDepth.SampleCmpLevelZero(gLess, uv, gRef.y),
                              gDepth.SampleCmpLevelZero(gLess, uv, gRef.z),
                              gDepth.SampleCmpLevelZero(gGreaterEqual, uv, gRef.z));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
