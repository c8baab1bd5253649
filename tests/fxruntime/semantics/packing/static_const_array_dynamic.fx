// A static const array is a constant table of the shader, not part of any constant buffer, and may
// be indexed by a value known only when the shader runs; its initialiser's scalars fill the
// elements in order (float2 p[2] = {1, 2, 3, 4} is ((1, 2), (3, 4))). t = (1.5, -2, 4, 8, 16),
// rows = ((1, 2, 3, 4), (5, 6, 7, 8), (9, 10, 11, 12)), ints = (10, 20, 30, 40); indices k = (3, 1, 4, 0).
// texel 0: (t[3], t[1], t[4], t[0]) = (8, -2, 16, 1.5); texel 1: rows[k.y] = (5, 6, 7, 8)
// texel 2: (the sum of t in a loop = 27.5, rows[k.y + 1].w = 12, rows[k.w][k.y] = 2, ints[k.x] = 40)
// texel 3: (p[k.y], p[k.w]) = (3, 4, 1, 2)
// set gK = int 3 1 4 0
// expect 8 -2 16 1.5
// expect 5 6 7 8
// expect 27.5 12 2 40
// expect 3 4 1 2
static const float kTable[5] = { 1.5, -2, 4, 8, 16 };
static const float4 kRows[3] = { float4(1, 2, 3, 4), float4(5, 6, 7, 8), float4(9, 10, 11, 12) };
static const int kInts[4] = { 10, 20, 30, 40 };
static const float2 kPairs[2] = { 1, 2, 3, 4 };
int4 gK;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(kTable[gK.x], kTable[gK.y], kTable[gK.z], kTable[gK.w]);
    gOut[int2(1, 0)] = kRows[gK.y];
    float sum = 0;
    [loop] for (int i = 0; i < 5; i++)
        sum += kTable[i];
    gOut[int2(2, 0)] = float4(sum, kRows[gK.y + 1].w, kRows[gK.w][gK.y], kInts[gK.x]);
    gOut[int2(3, 0)] = float4(kPairs[gK.y], kPairs[gK.w]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
