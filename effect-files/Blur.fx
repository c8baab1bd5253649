// Separable Gaussian blur (radius 5) as two compute kernels. A thread group covers 256 texels of
// one row (horizontal) or one column (vertical): 64 threads of 4 consecutive texels each.
// Reads past the image edge repeat the edge texel.
//
// Shaped for software rasterisers, which vectorise a group along x only: both groups lay their
// threads out along x (the vertical one maps x onto its column). A thread reads the 14 texels its
// 4 outputs need, instead of 11 per output, and no shared cache is used: the group barrier it
// needs costs more there than the reads it saves.

cbuffer cbSettings
{
    float gWeights[11] =
    {
        0.0222f, 0.0456f, 0.0798f, 0.1191f, 0.1514f, 0.1638f, 0.1514f, 0.1191f, 0.0798f, 0.0456f, 0.0222f
    };
};

static const int gBlurRadius = 5;

#define GROUP_TEXELS 256
#define THREAD_TEXELS 4
#define GROUP_THREADS (GROUP_TEXELS / THREAD_TEXELS)
#define THREAD_TAPS (THREAD_TEXELS + 2 * gBlurRadius)

Texture2D gInput;
RWTexture2D<float4> gOutput;

// Blurs THREAD_TEXELS texels from first on along step, (1, 0) or (0, 1).
void BlurRun(int2 first, int2 step)
{
    uint width, height;
    gInput.GetDimensions(width, height);
    int2 size = int2(width, height);
    if (first.x >= size.x || first.y >= size.y)
        return;

    // Each tap goes into every sum it belongs to as soon as it is read, which keeps few values
    // alive; each sum still adds its 11 taps in order. The conditions are constant once the
    // loops are unrolled, and the clamp only keeps the dead index in range.
    int2 last = size - 1;
    float4 sums[THREAD_TEXELS];
    [unroll]
    for (int j = 0; j < THREAD_TEXELS; ++j)
        sums[j] = float4(0.0f, 0.0f, 0.0f, 0.0f);
    [unroll]
    for (int k = 0; k < THREAD_TAPS; ++k)
    {
        float4 tap = gInput.Load(int3(clamp(first + (k - gBlurRadius) * step, int2(0, 0), last), 0));
        [unroll]
        for (int j = 0; j < THREAD_TEXELS; ++j)
        {
            if (k - j >= 0 && k - j <= 2 * gBlurRadius)
                sums[j] += gWeights[clamp(k - j, 0, 2 * gBlurRadius)] * tap;
        }
    }

    [unroll]
    for (int j = 0; j < THREAD_TEXELS; ++j)
    {
        int2 texel = first + j * step;
        if (texel.x < size.x && texel.y < size.y)
            gOutput[texel] = sums[j];
    }
}

[numthreads(GROUP_THREADS, 1, 1)]
void HorzBlurCS(int3 groupID : SV_GroupID, int3 groupThreadID : SV_GroupThreadID)
{
    BlurRun(int2(groupID.x * GROUP_TEXELS + groupThreadID.x * THREAD_TEXELS, groupID.y), int2(1, 0));
}

[numthreads(GROUP_THREADS, 1, 1)]
void VertBlurCS(int3 groupID : SV_GroupID, int3 groupThreadID : SV_GroupThreadID)
{
    BlurRun(int2(groupID.x, groupID.y * GROUP_TEXELS + groupThreadID.x * THREAD_TEXELS), int2(0, 1));
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
