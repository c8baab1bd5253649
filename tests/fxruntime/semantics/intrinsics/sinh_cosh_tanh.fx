// sinh(x) = (e^x - e^-x) / 2, cosh(x) = (e^x + e^-x) / 2, tanh(x) = sinh(x) / cosh(x):
// x = (1, -2, 0, 0.5): sinh = (1.17520119, -3.62686041, 0, 0.52109531),
// cosh = (1.54308063, 3.76219569, 1, 1.12762597);
// tanh(0.5, -1, 0, 3) = (0.46211716, -0.76159416, 0, 0.99505475).
// tolerance 1e-5
// set gA = 1 -2 0 0.5
// set gT = 0.5 -1 0 3
// expect 1.17520119 -3.62686041 0 0.52109531
// expect 1.54308063 3.76219569 1 1.12762597
// expect 0.46211716 -0.76159416 0 0.99505475
// expect 1.17520119 1.54308063 0.46211716 0
float4 gA;
float4 gT;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = sinh(gA);
    gOut[int2(1, 0)] = cosh(gA);
    gOut[int2(2, 0)] = tanh(gT);
    gOut[int2(3, 0)] = float4(sinh(1.0), cosh(1.0), tanh(0.5), tanh(0.0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
