// break leaves the innermost loop (or switch) that encloses it, continue goes to the next iteration
// of the innermost loop; in a do-while, continue goes to the condition. Inputs n = (4, 2, 3).
// texel 0: (4 x 4 loops, inner break at j == 2: 4 * 2 = 8; inner continue at j == 1: 4 * 3 = 12;
// outer continue at i == 2 skipping an inner j < i: 0 + 1 + 3 = 4; a flag leaving both loops at the
// first i * j == 6, i = 2, j = 3: 10 * i + j = 23)
// texel 1: (do { i++; if (i < 3) continue; s += i; } while (i < 5): 3 + 4 + 5 = 12;
// while (k < 6) { k++; if (k is even) continue; t += k; }: 1 + 3 + 5 = 9;
// do { m++; if (m == 3) break; } while (m < 100): m = 3;
// a switch in a loop: case 1 continues the loop (through a flag: continue may stand only in a loop of
// the switch's own, as in case 1), case 3 only breaks the switch: s = 0 + 2 + 3 + 4 = 9)
// set gN = int 4 2 3
// expect 8 12 4 23
// expect 12 9 3 9
int3 gN;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    int c1 = 0, c2 = 0, c3 = 0;
    for (int i = 0; i < gN.x; i++) {
        for (int j = 0; j < gN.x; j++) {
            if (j == gN.y)
                break;
            c1++;
        }
        for (int j2 = 0; j2 < gN.x; j2++) {
            if (j2 == gN.y - 1)
                continue;
            c2++;
        }
        if (i == gN.y)
            continue;
        for (int j3 = 0; j3 < i; j3++)
            c3++;
    }
    int found = -1;
    bool done = false;
    for (int a = 0; a < gN.x && !done; a++) {
        for (int b = 0; b < gN.x; b++) {
            if (a * b == gN.y * gN.z) {
                found = 10 * a + b;
                done = true;
                break;
            }
        }
    }
    gOut[int2(0, 0)] = float4(c1, c2, c3, found);

    int k1 = 0, s1 = 0;
    do {
        k1++;
        if (k1 < gN.z)
            continue;
        s1 += k1;
    } while (k1 < 5);
    int k2 = 0, t = 0;
    while (k2 < 6) {
        k2++;
        if (k2 % 2 == 0)
            continue;
        t += k2;
    }
    int m = 0;
    do {
        m++;
        if (m == gN.z)
            break;
    } while (m < 100);
    int s4 = 0;
    for (int q = 0; q < 5; q++) {
        bool skip = false;
        switch (q) {
        case 1:
            for (int w = 0; w < 3; w++) {
                if (w < 2)
                    continue;
                skip = true;
            }
            break;
        case 3:
            break;
        default:
            break;
        }
        if (skip)
            continue;
        s4 += q;
    }
    gOut[int2(1, 0)] = float4(s1, t, m, s4);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
