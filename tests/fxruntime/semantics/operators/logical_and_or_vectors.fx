// && and || on vectors work per component and give a bool vector (a non-zero component is true);
// ! negates per component. HLSL never short-circuits: both operands of && and || are always
// evaluated, for vectors and, in shader model 5, for scalars too. a = (1, 0, 2, 0), b = (3, 3, 0, 0):
// a && b = (1, 0, 0, 0), a || b = (1, 1, 1, 0), !a = (0, 1, 0, 1).
// texel 3 counts the calls of the right operands: a vector false && Touch and a vector true ||
// Touch each call Touch once (n = 2); the scalar ones too (m = 2); the results are
// any(false && ...) = 0 and all(true || ...) = 1.
// texel 4 is a && b with literals, texel 5 a vector && a scalar (the scalar applies to every
// component): a && 1 = (1, 0, 1, 0).
// set gA = 1 0 2 0
// set gB = 3 3 0 0
// expect 1 0 0 0
// expect 1 1 1 0
// expect 0 1 0 1
// expect 2 2 0 1
// expect 1 0 0 0
// expect 1 0 1 0
float4 gA;
float4 gB;
RWTexture2D<float4> gOut;
bool2 Touch2(inout float n)
{
    n += 1;
    return bool2(true, true);
}
bool Touch(inout float n)
{
    n += 1;
    return true;
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gA && gB);
    gOut[int2(1, 0)] = float4(gA || gB);
    gOut[int2(2, 0)] = float4(!gA);
    float n = 0;
    bool2 v1 = (gA.yw != 0) && Touch2(n);
    bool2 v2 = (gA.xz != 0) || Touch2(n);
    float m = 0;
    bool s1 = (gA.y != 0) && Touch(m);
    bool s2 = (gA.x != 0) || Touch(m);
    gOut[int2(3, 0)] = float4(n, m, any(v1) || s1, all(v2) && s2);
    gOut[int2(4, 0)] = float4(float4(1, 0, 2, 0) && float4(3, 3, 0, 0));
    gOut[int2(5, 0)] = float4(gA && (gB.x != 0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
