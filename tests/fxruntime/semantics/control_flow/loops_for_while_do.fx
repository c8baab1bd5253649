// for and while test their condition before each iteration, so they may run no iteration at all;
// do-while tests it after, so its body runs at least once. Counts come from inputs n = (5, 0, 3).
// texel 0: (for i < 5 sum of i = 10, while j < 5 adding 2 = 10, do { c++ } while (c < 0) gives
// c = 1, for i < 0 adding 1 = 0)
// texel 1: (a float counter f = 0.5, 1.5, 2.5 below 3: 3 iterations; while (true) left by break when
// ++w >= 3: w = 3; for d = 5 down by 2 while d > 0: 5 + 3 + 1 = 9; nested j < i for i < 3: 0 + 1 + 2
// = 3)
// set gN = int 5 0 3
// expect 10 10 1 0
// expect 3 3 9 3
int3 gN;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    int s = 0;
    for (int i = 0; i < gN.x; i++)
        s += i;
    int s2 = 0, j = 0;
    while (j < gN.x) {
        s2 += 2;
        j++;
    }
    int c = 0;
    do {
        c++;
    } while (c < gN.y);
    int z = 0;
    for (int k = 0; k < gN.y; k++)
        z += 1;
    gOut[int2(0, 0)] = float4(s, s2, c, z);

    int cnt = 0;
    for (float f = 0.5; f < gN.z; f += 1)
        cnt++;
    int w = 0;
    while (true) {
        if (++w >= gN.z)
            break;
    }
    int down = 0;
    for (int d = gN.x; d > 0; d -= 2)
        down += d;
    int nest = 0;
    for (int a = 0; a < gN.z; a++)
        for (int b = 0; b < a; b++)
            nest++;
    gOut[int2(1, 0)] = float4(cnt, w, down, nest);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
