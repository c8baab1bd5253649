// mad(m, a, b) = m * a + b per component: m = (2, -1.5, 0.5, 3), a = (3, 2, -4, 0.25),
// b = (4, 0.5, 1, -1) gives (10, -2.5, -1, -0.25); a scalar b applies to every component:
// mad(m, a, 1) = (7, -2, -1, 1.75).
// set gM = 2 -1.5 0.5 3
// set gA = 3 2 -4 0.25
// set gB = 4 0.5 1 -1
// expect 10 -2.5 -1 -0.25
// expect 7 -2 -1 1.75
// expect 10 -2.5 -1 -0.25
float4 gM;
float4 gA;
float4 gB;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = mad(gM, gA, gB);
    gOut[int2(1, 0)] = mad(gM, gA, 1.0);
    gOut[int2(2, 0)] = float4(mad(2.0, 3.0, 4.0), mad(-1.5, 2.0, 0.5), mad(0.5, -4.0, 1.0), mad(3.0, 0.25, -1.0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
