// round(x) rounds to the nearest integer, and halfway cases go to the nearest even integer:
// (2.5, -2.5, 3.5, 0.5) gives (2, -2, 4, 0); (1.5, -1.5, 2.4, -2.6) gives (2, -2, 2, -3).
// set gV = 2.5 -2.5 3.5 0.5
// set gW = 1.5 -1.5 2.4 -2.6
// expect 2 -2 4 0
// expect 2 -2 2 -3
// expect 2 -2 4 0
// expect 2 -2 2 -3
float4 gV;
float4 gW;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = round(gV);
    gOut[int2(1, 0)] = round(gW);
    gOut[int2(2, 0)] = round(float4(2.5, -2.5, 3.5, 0.5));
    gOut[int2(3, 0)] = round(float4(1.5, -1.5, 2.4, -2.6));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
