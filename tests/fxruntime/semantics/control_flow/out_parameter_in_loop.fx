// An out parameter hands back the last value the function gave it: written in every iteration of
// a loop it returns the value of the last iteration; written before a loop and only in some
// iterations, the last write; components written one per iteration all arrive.
// texel 0: Stats(4): sum of i below 4 = 6, last i = 3, count = 4; texel 1: Stats(0): (0, -1, 0),
// the values written before the loop
// texel 2: (FirstAbove(v = (1, 5, 2, 8), 4) = 1 (index of 5, breaking the loop), FirstAbove(v, 10) =
// -1, LastAbove(v, 1.5) = 3 (written at i = 1, 2 and 3), 0)
// texel 3: Fill(r) writing r[i] = i * i for i < 4: (0, 1, 4, 9)
// set gN = 4 0
// set gV = 1 5 2 8
// expect 6 3 4 0
// expect 0 -1 0 0
// expect 1 -1 3 0
// expect 0 1 4 9
float2 gN;
float4 gV;
RWTexture2D<float4> gOut;
void Stats(float n, out float sum, out float last, out float count)
{
    sum = 0;
    last = -1;
    count = 0;
    for (int i = 0; i < n; i++) {
        sum += i;
        last = i;
        count++;
    }
}
void FirstAbove(float4 v, float t, out int index)
{
    index = -1;
    for (int i = 0; i < 4; i++) {
        if (v[i] > t) {
            index = i;
            break;
        }
    }
}
void LastAbove(float4 v, float t, out int index)
{
    index = -1;
    for (int i = 0; i < 4; i++) {
        if (v[i] > t)
            index = i;
    }
}
void Fill(out float4 r)
{
    r = 0;
    for (int i = 0; i < 4; i++)
        r[i] = i * i;
}
[numthreads(1, 1, 1)]
void CS()
{
    float s, l, c;
    Stats(gN.x, s, l, c);
    gOut[int2(0, 0)] = float4(s, l, c, 0);
    Stats(gN.y, s, l, c);
    gOut[int2(1, 0)] = float4(s, l, c, 0);
    int a, b, d;
    FirstAbove(gV, 4, a);
    FirstAbove(gV, 10, b);
    LastAbove(gV, 1.5, d);
    gOut[int2(2, 0)] = float4(a, b, d, 0);
    float4 r;
    Fill(r);
    gOut[int2(3, 0)] = r;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
