// A loop whose bound comes from a constant buffer runs exactly as many iterations as the bound
// gives, none for a bound of 0 or below; the counter may be int, uint or float, count down, start
// or step from inputs, and break at an input value. n = (0, -3, 1000, 7), u = 3, f = 2.5.
// texel 0: iterations of for (i = 0; i < n; i++) for each n = (0, 0, 1000, 7)
// texel 1: (sum of i below 1000 = 499500; uint i from 3 down while i > 0: 3 iterations, sum 6;
// float i = 0, 1, 2 below 2.5: 3)
// texel 2: (for i = 7; i >= 0; i -= 3: 7 + 4 + 1 = 12 in 3 iterations; while (x < 2.5) x += 0.5
// from 0: 5 iterations; for i < 1000 breaking at i == 7: 7)
// set gN = int 0 -3 1000 7
// set gU = uint 3
// set gF = 2.5
// expect 0 0 1000 7
// expect 499500 3 6 3
// expect 12 3 5 7
int4 gN;
uint gU;
float gF;
RWTexture2D<float4> gOut;
float Count(int n)
{
    float c = 0;
    for (int i = 0; i < n; i++)
        c += 1;
    return c;
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(Count(gN.x), Count(gN.y), Count(gN.z), Count(gN.w));
    int sum = 0;
    for (int i = 0; i < gN.z; i++)
        sum += i;
    uint cu = 0, su = 0;
    for (uint k = gU; k > 0; k--) {
        cu++;
        su += k;
    }
    float cf = 0;
    for (float f = 0; f < gF; f += 1)
        cf += 1;
    gOut[int2(1, 0)] = float4(sum, cu, su, cf);
    int s2 = 0, c2 = 0;
    [loop] for (int j = gN.w; j >= 0; j -= 3) {
        s2 += j;
        c2++;
    }
    float x = 0;
    int c3 = 0;
    while (x < gF) {
        x += 0.5;
        c3++;
    }
    int at = -1;
    for (int m = 0; m < gN.z; m++) {
        if (m == gN.w) {
            at = m;
            break;
        }
    }
    gOut[int2(2, 0)] = float4(s2, c2, c3, at);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
