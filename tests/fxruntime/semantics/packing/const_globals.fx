// A global declared const but not static is a uniform the shader may only read: it holds what the
// application sets, and its initializer is only the value it starts with. static const makes a
// constant of the shader. gA and gB are set here (gB over its initializer), gC is left at its
// initializer. texel 0: gA + gB = (1.5, 2.25, 3, 4); texel 1: gC = (10, 20, 30, 40); texel 2: gD = 7
// set gA = float 1 2 3 4
// set gB = float 0.5 0.25 0 0
// expect 1.5 2.25 3 4
// expect 10 20 30 40
// expect 7 7 7 7
const float4 gA;
const uniform float4 gB = {9, 9, 9, 9};
const float4 gC = {10, 20, 30, 40};
static const float4 gD = {7, 7, 7, 7};
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = gA + gB;
    gOut[int2(1, 0)] = gC;
    gOut[int2(2, 0)] = gD;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
