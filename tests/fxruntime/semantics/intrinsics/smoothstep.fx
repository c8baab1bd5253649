// smoothstep(min, max, x): t = saturate((x - min) / (max - min)), result t * t * (3 - 2 * t).
// min = (0, 2, 2, 4), max = (4, 4, 4, 2) (the last with min > max, which the formula still defines):
// x = (1, 5, 1, 3): t = (0.25, 1, 0, 0.5), result (0.15625, 1, 0, 0.5);
// x = (3, 3.5, 2, 3.5): t = (0.75, 0.75, 0, 0.25), result (0.84375, 0.84375, 0, 0.15625).
// set gMin = 0 2 2 4
// set gMax = 4 4 4 2
// set gX = 1 5 1 3
// set gX2 = 3 3.5 2 3.5
// expect 0.15625 1 0 0.5
// expect 0.84375 0.84375 0 0.15625
// expect 0.15625 1 0 0.5
float4 gMin;
float4 gMax;
float4 gX;
float4 gX2;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = smoothstep(gMin, gMax, gX);
    gOut[int2(1, 0)] = smoothstep(gMin, gMax, gX2);
    gOut[int2(2, 0)] = smoothstep(float4(0, 2, 2, 4), float4(4, 4, 4, 2), float4(1, 5, 1, 3));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
