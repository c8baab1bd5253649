// bool converts to a number as 1 (true) or 0 (false); a number converts to bool as false when it
// equals 0 and true otherwise. -0.0 compares equal to 0 (comparisons ignore the sign of zero), so it
// is false; NaN is not equal to 0, so it is true. A number used as a condition converts the same way.
// v = (2.5, 0, -0, NaN), w = (0.25, -1, 0, 1e-30), i = (0, -3):
// texel 0: (bool) of v = (1, 0, 0, 1); texel 1: bool4 b = w: (1, 1, 0, 1)
// texel 2: ((bool)i.x, (bool)i.y, (bool)v.x + (bool)v.x, (bool)v.x * 3.5) = (0, 1, 2, 3.5)
// texel 3, literals: ((bool)2.5, (bool)0.0, (bool)-0.0, (float)true) = (1, 0, 0, 1)
// texel 4: (v.z ? 1 : 2, v.x ? 1 : 2, !v.y, !v.x) = (2, 1, 1, 0)
// set gV = 2.5 0 -0
// set gNan = uint 0x7FC00000
// set gW = 0.25 -1 0 1e-30
// set gI = int 0 -3
// expect 1 0 0 1
// expect 1 1 0 1
// expect 0 1 2 3.5
// expect 1 0 0 1
// expect 2 1 1 0
float3 gV;
float gNan;
float4 gW;
int2 gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4((bool)gV.x, (bool)gV.y, (bool)gV.z, (bool)gNan);
    bool4 b = gW;
    gOut[int2(1, 0)] = float4(b);
    gOut[int2(2, 0)] = float4((bool)gI.x, (bool)gI.y, (bool)gV.x + (bool)gV.x, (bool)gV.x * 3.5);
    gOut[int2(3, 0)] = float4((bool)2.5, (bool)0.0, (bool)-0.0, (float)true);
    float r0 = 0, r1 = 0;
    if (gV.z)
        r0 = 1;
    else
        r0 = 2;
    if (gV.x)
        r1 = 1;
    else
        r1 = 2;
    gOut[int2(4, 0)] = float4(r0, r1, !gV.y, !gV.x);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
