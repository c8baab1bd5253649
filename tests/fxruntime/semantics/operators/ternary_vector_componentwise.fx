// With a vector condition, c ? x : y chooses per component: component i is x[i] where c[i] is true,
// else y[i]. HLSL never short-circuits ?:, so both x and y are evaluated. a = (2, 0, 3, -1),
// x = (10, 20, 30, 40), y = (-1, -2, -3, -4):
// (a > 1) ? x : y = (10, -2, 30, -4); (a > 1) ? x : 0 = (10, 0, 30, 0) (the scalar applies to every
// component); a ? x : y converts a to bool per component (non-zero true) = (10, -2, 30, 40).
// texel 3: c ? Bump(n, x) : Bump(m, y) calls both (n = 1, m = 1) and picks per component.
// texel 5 is (a > 1) ? x : y with literals.
// set gA = 2 0 3 -1
// set gX = 10 20 30 40
// set gY = -1 -2 -3 -4
// expect 10 -2 30 -4
// expect 10 0 30 0
// expect 10 -2 30 40
// expect 10 -2 30 -4
// expect 1 1 0 0
// expect 10 -2 30 -4
float4 gA;
float4 gX;
float4 gY;
RWTexture2D<float4> gOut;
float4 Bump(inout float n, float4 v)
{
    n += 1;
    return v;
}
[numthreads(1, 1, 1)]
void CS()
{
    bool4 c = gA > 1;
    gOut[int2(0, 0)] = c ? gX : gY;
    gOut[int2(1, 0)] = c ? gX : 0;
    gOut[int2(2, 0)] = gA ? gX : gY;
    float n = 0, m = 0;
    float4 r = c ? Bump(n, gX) : Bump(m, gY);
    gOut[int2(3, 0)] = r;
    gOut[int2(4, 0)] = float4(n, m, 0, 0);
    gOut[int2(5, 0)] = float4(2, 0, 3, -1) > 1 ? float4(10, 20, 30, 40) : float4(-1, -2, -3, -4);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
