// pow(x, y) = x^y per component (for x >= 0): pow((2, 9, 2, 0.5), (3, 0.5, -2, 4)) =
// (8, 3, 0.25, 0.0625); pow((7, 0, 1.5, 10), (0, 2, 2, -1)) = (1, 0, 2.25, 0.1).
// tolerance 1e-5
// set gX = 2 9 2 0.5
// set gY = 3 0.5 -2 4
// set gX2 = 7 0 1.5 10
// set gY2 = 0 2 2 -1
// expect 8 3 0.25 0.0625
// expect 1 0 2.25 0.1
// expect 8 3 0.25 0.0625
// expect 8 8 8 8
float4 gX;
float4 gY;
float4 gX2;
float4 gY2;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = pow(gX, gY);
    gOut[int2(1, 0)] = pow(gX2, gY2);
    gOut[int2(2, 0)] = pow(float4(2, 9, 2, 0.5), float4(3, 0.5, -2, 4));
    gOut[int2(3, 0)] = pow(gX.x, gY.x).xxxx;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
