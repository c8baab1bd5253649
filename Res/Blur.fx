// Separable Gaussian blur (radius 5) as two compute kernels. A thread group covers 256 texels of
// one row (horizontal) or one column (vertical); each thread sums the 11 texels around its own.
// Reads past the image edge repeat the edge texel.
//
// Both kernels lay their 256 threads out along x, the vertical one mapping x onto the column:
// software rasterisers vectorise a group along x only, so a 1x256 group would run one lane at a
// time. Each thread reads its taps straight from the texture rather than through a shared cache:
// the group barrier a cache needs costs more there than the extra reads.

cbuffer cbSettings
{
    float gWeights[11] =
    {
        0.0222f, 0.0456f, 0.0798f, 0.1191f, 0.1514f, 0.1638f, 0.1514f, 0.1191f, 0.0798f, 0.0456f, 0.0222f
    };
};

static const int gBlurRadius = 5;

#define GROUP_TEXELS 256

Texture2D gInput;
[[vk::image_format("rgba8")]] RWTexture2D<float4> gOutput;

int2 ImageSize()
{
    uint width, height;
    gInput.GetDimensions(width, height);
    return int2(width, height);
}

// step is (1, 0) or (0, 1); the caller has checked that texel lies inside the image.
float4 BlurAlong(int2 texel, int2 step, int2 size)
{
    int2 last = size - 1;
    float4 sum = float4(0.0f, 0.0f, 0.0f, 0.0f);
    [unroll]
    for (int i = -gBlurRadius; i <= gBlurRadius; ++i)
        sum += gWeights[i + gBlurRadius] * gInput.Load(int3(clamp(texel + i * step, int2(0, 0), last), 0));
    return sum;
}

[numthreads(GROUP_TEXELS, 1, 1)]
void HorzBlurCS(int3 groupID : SV_GroupID, int3 groupThreadID : SV_GroupThreadID)
{
    int2 size = ImageSize();
    int2 texel = int2(groupID.x * GROUP_TEXELS + groupThreadID.x, groupID.y);
    if (texel.x < size.x && texel.y < size.y)
        gOutput[texel] = BlurAlong(texel, int2(1, 0), size);
}

[numthreads(GROUP_TEXELS, 1, 1)]
void VertBlurCS(int3 groupID : SV_GroupID, int3 groupThreadID : SV_GroupThreadID)
{
    int2 size = ImageSize();
    int2 texel = int2(groupID.x, groupID.y * GROUP_TEXELS + groupThreadID.x);
    if (texel.x < size.x && texel.y < size.y)
        gOutput[texel] = BlurAlong(texel, int2(0, 1), size);
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
