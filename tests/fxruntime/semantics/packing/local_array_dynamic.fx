// Local arrays may be read and written at indices known only when the shader runs. Arrays are
// values: assigning one copies it, and an array passed to an in parameter is a copy the function
// may change without touching the caller's. k = (5, 2, 1, 0).
// texel 0: arr[i] = i * i for i < 8, then arr[k.y] = 100: (arr[k.x], arr[k.y], arr[k.y + 1],
// arr[k.w]) = (25, 100, 9, 0)
// texel 1: vecs[3] = 0; vecs[k.z].yw = (7, 8): vecs[1] = (0, 7, 0, 8)
// texel 2: ps[i] = { i + 1, (2i, 3i) } for i < 3: (ps[k.y].a, ps[k.y].b, ps[k.z].b.y) = (3, 4, 6, 3)
// texel 3: c = arr; c[k.x] = -1; (c[k.x], arr[k.x], Poke(arr, k.x) = 42 + arr[0] = 42, arr[k.x]
// afterwards) = (-1, 25, 42, 25)
// set gK = int 5 2 1 0
// expect 25 100 9 0
// expect 0 7 0 8
// expect 3 4 6 3
// expect -1 25 42 25
struct P
{
    float a;
    float2 b;
};
int4 gK;
RWTexture2D<float4> gOut;
float Poke(float a[8], int i)
{
    a[i] = 42;
    return a[i] + a[0];
}
[numthreads(1, 1, 1)]
void CS()
{
    float arr[8];
    for (int i = 0; i < 8; i++)
        arr[i] = i * i;
    arr[gK.y] = 100;
    gOut[int2(0, 0)] = float4(arr[gK.x], arr[gK.y], arr[gK.y + 1], arr[gK.w]);
    float4 vecs[3];
    for (int j = 0; j < 3; j++)
        vecs[j] = 0;
    vecs[gK.z].yw = float2(7, 8);
    gOut[int2(1, 0)] = vecs[1];
    P ps[3];
    for (int n = 0; n < 3; n++) {
        ps[n].a = n + 1;
        ps[n].b = float2(n * 2, n * 3);
    }
    gOut[int2(2, 0)] = float4(ps[gK.y].a, ps[gK.y].b, ps[gK.z].b.y);
    float c[8] = arr;
    c[gK.x] = -1;
    float before = arr[gK.x];
    float poked = Poke(arr, gK.x);
    gOut[int2(3, 0)] = float4(c[gK.x], before, poked, arr[gK.x]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
