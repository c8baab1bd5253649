// Separable Gaussian blur (radius 5) as two compute kernels. A thread group covers 256 texels of
// one row (horizontal) or one column (vertical); each thread loads one texel into shared memory,
// the threads at the ends also load the apron, then every thread sums 11 cached texels.
// Reads past the image edge repeat the edge texel.

cbuffer cbSettings
{
    float gWeights[11] =
    {
        0.0222f, 0.0456f, 0.0798f, 0.1191f, 0.1514f, 0.1638f, 0.1514f, 0.1191f, 0.0798f, 0.0456f, 0.0222f
    };
};

static const int gBlurRadius = 5;

#define GROUP_TEXELS 256
#define CACHE_TEXELS (GROUP_TEXELS + 2 * gBlurRadius)

Texture2D gInput;
RWTexture2D<float4> gOutput;

groupshared float4 gCache[CACHE_TEXELS];

int2 ImageSize()
{
    uint width, height;
    gInput.GetDimensions(width, height);
    return int2(width, height);
}

float4 LoadClamped(int2 texel, int2 size)
{
    return gInput.Load(int3(clamp(texel, int2(0, 0), size - 1), 0));
}

float4 BlurFromCache(int center)
{
    float4 sum = float4(0.0f, 0.0f, 0.0f, 0.0f);
    [unroll]
    for (int i = -gBlurRadius; i <= gBlurRadius; ++i)
        sum += gWeights[i + gBlurRadius] * gCache[center + i];
    return sum;
}

[numthreads(GROUP_TEXELS, 1, 1)]
void HorzBlurCS(int3 groupThreadID : SV_GroupThreadID, int3 dispatchThreadID : SV_DispatchThreadID)
{
    int2 size = ImageSize();
    int2 texel = dispatchThreadID.xy;
    int local = groupThreadID.x;

    if (local < gBlurRadius)
        gCache[local] = LoadClamped(texel - int2(gBlurRadius, 0), size);
    if (local >= GROUP_TEXELS - gBlurRadius)
        gCache[local + 2 * gBlurRadius] = LoadClamped(texel + int2(gBlurRadius, 0), size);
    gCache[local + gBlurRadius] = LoadClamped(texel, size);

    GroupMemoryBarrierWithGroupSync();

    if (texel.x < size.x && texel.y < size.y)
        gOutput[texel] = BlurFromCache(local + gBlurRadius);
}

[numthreads(1, GROUP_TEXELS, 1)]
void VertBlurCS(int3 groupThreadID : SV_GroupThreadID, int3 dispatchThreadID : SV_DispatchThreadID)
{
    int2 size = ImageSize();
    int2 texel = dispatchThreadID.xy;
    int local = groupThreadID.y;

    if (local < gBlurRadius)
        gCache[local] = LoadClamped(texel - int2(0, gBlurRadius), size);
    if (local >= GROUP_TEXELS - gBlurRadius)
        gCache[local + 2 * gBlurRadius] = LoadClamped(texel + int2(0, gBlurRadius), size);
    gCache[local + gBlurRadius] = LoadClamped(texel, size);

    GroupMemoryBarrierWithGroupSync();

    if (texel.x < size.x && texel.y < size.y)
        gOutput[texel] = BlurFromCache(local + gBlurRadius);
}

technique11 HorzBlur
{
    pass P0
    {
        SetVertexShader( NULL );
        SetPixelShader( NULL );
        SetComputeShader( CompileShader( cs_5_0, HorzBlurCS() ) );
    }
}

technique11 VertBlur
{
    pass P0
    {
        SetVertexShader( NULL );
        SetPixelShader( NULL );
        SetComputeShader( CompileShader( cs_5_0, VertBlurCS() ) );
    }
}
