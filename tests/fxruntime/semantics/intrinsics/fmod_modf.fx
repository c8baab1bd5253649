// fmod(x, y) = f with x = i * y + f, i an integer, f of x's sign and |f| < |y|:
// x = (7.5, -7.5, 5.25, -0.75), y = (2, 2, -1.5, 0.5) gives (1.5, -1.5, 0.75, -0.25).
// modf(x, out ip) splits x into a fraction (returned) and an integer part (ip), both with x's sign:
// x = (-2.75, 3.5, -0.25, 4) gives fractions (-0.75, 0.5, -0.25, 0) and parts (-2, 3, 0, 4).
// set gX = 7.5 -7.5 5.25 -0.75
// set gY = 2 2 -1.5 0.5
// set gM = -2.75 3.5 -0.25 4
// expect 1.5 -1.5 0.75 -0.25
// expect -0.75 0.5 -0.25 0
// expect -2 3 0 4
// expect 1.5 -1.5 0.75 -0.25
// expect -0.75 -2 0.5 3
float4 gX;
float4 gY;
float4 gM;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = fmod(gX, gY);
    float4 whole;
    gOut[int2(1, 0)] = modf(gM, whole);
    gOut[int2(2, 0)] = whole;
    gOut[int2(3, 0)] = float4(fmod(7.5, 2.0), fmod(-7.5, 2.0), fmod(5.25, -1.5), fmod(-0.75, 0.5));
    float a, b;
    float fa = modf(-2.75, a);
    float fb = modf(3.5, b);
    gOut[int2(4, 0)] = float4(fa, a, fb, b);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
