// The documented attributes of loops ([unroll(x)] with x the most iterations the loop may run,
// [fastopt], [allow_uav_condition]) and of switch ([forcecase], [call]) only steer how the
// statement is compiled; the results are those of the plain statement. n = 7, s = 2.
// texel 0: the sum of i below n: [unroll(8)] for, [fastopt] for, [allow_uav_condition] for,
// [unroll(8)] while = (21, 21, 21, 21)
// texel 1: a switch on s with cases 0 -> 10, 2 -> 30, default -> 50: [forcecase] 30, [call] 30;
// on s + 1 (no case): [forcecase] 50, [call] 50
// set gN = int 7 2
// expect 21 21 21 21
// expect 30 30 50 50
int2 gN;
RWTexture2D<float4> gOut;
float Forcecase(int s)
{
    float r = 0;
    [forcecase] switch (s) {
    case 0: r = 10; break;
    case 2: r = 30; break;
    default: r = 50; break;
    }
    return r;
}
float Call(int s)
{
    float r = 0;
    [call] switch (s) {
    case 0: r = 10; break;
    case 2: r = 30; break;
    default: r = 50; break;
    }
    return r;
}
[numthreads(1, 1, 1)]
void CS()
{
    float a = 0, b = 0, c = 0, d = 0;
    [unroll(8)] for (int i = 0; i < gN.x; i++)
        a += i;
    [fastopt] for (int j = 0; j < gN.x; j++)
        b += j;
    [allow_uav_condition] for (int k = 0; k < gN.x; k++)
        c += k;
    int w = 0;
    [unroll(8)] while (w < gN.x) {
        d += w;
        w++;
    }
    gOut[int2(0, 0)] = float4(a, b, c, d);
    gOut[int2(1, 0)] = float4(Forcecase(gN.y), Call(gN.y), Forcecase(gN.y + 1), Call(gN.y + 1));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
