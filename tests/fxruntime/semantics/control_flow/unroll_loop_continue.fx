// [unroll] and [loop] only choose how a loop is compiled; continue keeps its meaning either way:
// it skips the rest of the body and, in a do-while, goes to the condition. k = 5.
// texel 0: (for i < 8 skipping i % 3 == 0: 1 + 2 + 4 + 5 + 7 = 19, [unroll] then [loop]; skipping
// i == k: 28 - 5 = 23, [unroll] then [loop])
// texel 1: (while i < 6 { i++; skip i == 2; s += i }: 1 + 3 + 4 + 5 + 6 = 19, [unroll] then [loop];
// do { i++; skip i == k; s += i } while (i < 6): 1 + 2 + 3 + 4 + 6 = 16, [unroll] then [loop])
// set gK = int 5
// expect 19 19 23 23
// expect 19 19 16 16
int gK;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float a = 0, b = 0, c = 0, d = 0;
    [unroll] for (int i0 = 0; i0 < 8; i0++) {
        if (i0 % 3 == 0)
            continue;
        a += i0;
    }
    [loop] for (int i1 = 0; i1 < 8; i1++) {
        if (i1 % 3 == 0)
            continue;
        b += i1;
    }
    [unroll] for (int i2 = 0; i2 < 8; i2++) {
        if (i2 == gK)
            continue;
        c += i2;
    }
    [loop] for (int i3 = 0; i3 < 8; i3++) {
        if (i3 == gK)
            continue;
        d += i3;
    }
    gOut[int2(0, 0)] = float4(a, b, c, d);

    float e = 0, f = 0, g = 0, h = 0;
    int w0 = 0;
    [unroll] while (w0 < 6) {
        w0++;
        if (w0 == 2)
            continue;
        e += w0;
    }
    int w1 = 0;
    [loop] while (w1 < 6) {
        w1++;
        if (w1 == 2)
            continue;
        f += w1;
    }
    int w2 = 0;
    [unroll] do {
        w2++;
        if (w2 == gK)
            continue;
        g += w2;
    } while (w2 < 6);
    int w3 = 0;
    [loop] do {
        w3++;
        if (w3 == gK)
            continue;
        h += w3;
    } while (w3 < 6);
    gOut[int2(1, 0)] = float4(e, f, g, h);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
