// An unrolled loop that may break keeps the loop's meaning: with u.x = 0 the break is never taken,
// x = sum(0..9) - 10 = 35; with u.x = 1 it breaks at i = 5 after adding 5: 0+1+2+3+4 - 5 + 5 = 10.
// set gU = 0 1 0 0
// expect 35 10 35 10
float4 gU;
RWTexture2D<float4> gOut;
float Sum(float u)
{
    float x = 0;
    [unroll] for (int i = 0; i < 10; i++) {
        x += i;
        if (u > 0.5 && i == 5)
            break;
        x -= 1;
    }
    return x;
}
float SumLoop(float u)
{
    float x = 0;
    [loop] for (int i = 0; i < 10; i++) {
        x += i;
        if (u > 0.5 && i == 5)
            break;
        x -= 1;
    }
    return x;
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(Sum(gU.x), Sum(gU.y), SumLoop(gU.x), SumLoop(gU.y));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
