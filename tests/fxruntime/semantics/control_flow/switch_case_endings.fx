// A case's statements end where control cannot go on into the next label: a break or return, a block
// or an if-else every branch of which ends so, a break under a condition Direct3D folds to true (what
// follows it is unreachable), or a macro that writes the break. Such switches compile and run as
// written. gI = (0, 1, 2, 3).
// texel 0: Ends(0..3): case 0 returns 10 from an if-else, case 1 breaks out of a block with 20,
// case 2 breaks under if (true) with 30, case 3 breaks through a macro with 40 = (10, 20, 30, 40)
// texel 1: Ends(5) = 70 and Ends(11) = 60 (default returns from both branches of an if-else);
// Preprocessed(4) = 80 (the case's break stands in an #if); Loops(2) = 1 + 3 = 4 (a loop inside a
// case uses continue)
// set gI = int 0 1 2 3
// expect 10 20 30 40
// expect 70 60 80 4
#define END_CASE break
int4 gI;
RWTexture2D<float4> gOut;
float Ends(int s)
{
    float r = 0;
    switch (s) {
    case 0:
        if (gI.w > 0) {
            r = 10;
            return r;
        } else
            break;
    case 1: {
        r = 20;
        break;
    }
    case 2:
        r = 30;
        if (true)
            break;
        r = 99;
    case 3:
        r = 40;
        END_CASE;
    default:
        r = 50;
        [branch] if (s > 10)
            return 60;
        else
            return 70;
    }
    return r;
}
float Preprocessed(int s)
{
    float r = 0;
    switch (s) {
    case 4:
        r = 80;
#if 1
        break;
#endif
    default:
        r = -1;
        break;
    }
    return r;
}
float Loops(int s)
{
    float r = 0;
    switch (s) {
    case 2:
        for (int j = 0; j < 4; j++) {
            if (j % 2 == 0)
                continue;
            r += j;
        }
        break;
    default:
        r = -1;
        break;
    }
    return r;
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(Ends(gI.x), Ends(gI.y), Ends(gI.z), Ends(gI.w));
    gOut[int2(1, 0)] = float4(Ends(gI.y + 4), Ends(gI.w + 8), Preprocessed(gI.y + 3), Loops(gI.z));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
