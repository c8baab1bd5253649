// lerp(x, y, s) = x + s * (y - x) per component; s outside [0, 1] extrapolates, and a scalar s
// applies to every component. x = (2, -4, 10, 1), y = (6, 4, 20, 3):
// s = (0.25, 1.5, -0.5, 0.5) gives (3, 8, 5, 2); s = 0.75 gives (5, 2, 17.5, 2.5).
// set gX = 2 -4 10 1
// set gY = 6 4 20 3
// set gS = 0.25 1.5 -0.5 0.5
// expect 3 8 5 2
// expect 5 2 17.5 2.5
// expect 3 8 5 2
float4 gX;
float4 gY;
float4 gS;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = lerp(gX, gY, gS);
    gOut[int2(1, 0)] = lerp(gX, gY, 0.75);
    gOut[int2(2, 0)] = lerp(float4(2, -4, 10, 1), float4(6, 4, 20, 3), float4(0.25, 1.5, -0.5, 0.5));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
