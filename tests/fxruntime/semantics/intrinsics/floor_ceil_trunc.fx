// floor rounds toward -infinity, ceil toward +infinity, trunc toward zero.
// x = (-1.75, 1.75, -0.5, 2): floor (-2, 1, -1, 2), ceil (-1, 2, 0, 2), trunc (-1, 1, 0, 2);
// x = (-2.25, 2.5, 0.25, -3): floor (-3, 2, 0, -3), ceil (-2, 3, 1, -3), trunc (-2, 2, 0, -3).
// set gV = -1.75 1.75 -0.5 2
// set gW = -2.25 2.5 0.25 -3
// expect -2 1 -1 2
// expect -1 2 0 2
// expect -1 1 0 2
// expect -3 2 0 -3
// expect -2 3 1 -3
// expect -2 2 0 -3
// expect -2 -1 -1 1
float4 gV;
float4 gW;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = floor(gV);
    gOut[int2(1, 0)] = ceil(gV);
    gOut[int2(2, 0)] = trunc(gV);
    gOut[int2(3, 0)] = floor(gW);
    gOut[int2(4, 0)] = ceil(gW);
    gOut[int2(5, 0)] = trunc(gW);
    gOut[int2(6, 0)] = float4(floor(-1.75), ceil(-1.75), trunc(-1.75), trunc(1.75));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
