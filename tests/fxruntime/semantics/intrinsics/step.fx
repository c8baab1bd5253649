// step(y, x) = (x >= y) ? 1 : 0 per component: the edge is the first argument, and equality gives 1.
// y = (1, 2, -1, 0.5), x = (1, 1, -0.5, 0.25): step(y, x) = (1, 0, 1, 0), step(x, y) = (1, 1, 0, 1);
// step(2, 1) = 0, step(1, 2) = 1, step(-0, 0) = 1, step(3, 3) = 1.
// set gY = 1 2 -1 0.5
// set gX = 1 1 -0.5 0.25
// expect 1 0 1 0
// expect 1 1 0 1
// expect 0 1 1 1
// expect 1 0 1 0
float4 gY;
float4 gX;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = step(gY, gX);
    gOut[int2(1, 0)] = step(gX, gY);
    gOut[int2(2, 0)] = float4(step(2.0, 1.0), step(1.0, 2.0), step(-0.0, 0.0), step(3.0, 3.0));
    gOut[int2(3, 0)] = step(float4(1, 2, -1, 0.5), float4(1, 1, -0.5, 0.25));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
