// A compute kernel writing an RGBA8 UAV, with buffer values that come from initializers.
cbuffer cbSettings
{
    float gWeights[3] = { 0.25f, 0.5f, 0.25f };
    float4 gBias = float4(0.0f, 0.1f, -0.2f, 1.0f);
    int gSteps = 4;
};

Texture2D gInput;
RWTexture2D<float4> gOutput;
RWTexture2D<float4> gWide;

[numthreads(16, 16, 1)]
void CS(int3 id : SV_DispatchThreadID, uniform int gAxis)
{
    float4 sum = gBias * gSteps;
    for (int i = -1; i <= 1; ++i)
    {
        int2 offset = gAxis == 0 ? int2(i, 0) : int2(0, i);
        sum += gWeights[i + 1] * gInput.Load(int3(id.xy + offset, 0));
    }
    gOutput[id.xy] = sum;
    gWide[id.xy] = sum * 2.0f;
}

technique11 Horizontal
{
    pass P0
    {
        SetComputeShader( CompileShader( cs_5_0, CS(0) ) );
    }
}

technique11 Vertical
{
    pass P0
    {
        SetComputeShader( CompileShader( cs_5_0, CS(1) ) );
    }
}
