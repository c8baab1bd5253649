// Converting a float to int or uint truncates toward zero (the fraction is dropped, whatever the
// sign): 3.7 -> 3, -3.7 -> -3, -0.5 -> 0, 2.999 -> 2, -2.5 -> -2. The same holds for an implicit
// conversion in an assignment and per component for vectors.
// texel 0: (int) of (3.7, -3.7, -0.5, 2.999) = (3, -3, 0, 2)
// texel 1: int4 of (0.5, -2.5, 7, -7) = (0, -2, 7, -7)
// texel 2: (uint) of (3.7, 2.999, 7, 0.5) = (3, 2, 7, 0)
// texel 3: literals (int)3.7, (int)-3.7, (int)-0.5, int(2.999) = (3, -3, 0, 2)
// texel 4: int i = -3.7; int2 k = (0.5, -2.5); (int)(3.7 * 2) = (int)7.4: (-3, 0, -2, 7)
// set gV = 3.7 -3.7 -0.5 2.999
// set gW = 0.5 -2.5 7 -7
// expect 3 -3 0 2
// expect 0 -2 7 -7
// expect 3 2 7 0
// expect 3 -3 0 2
// expect -3 0 -2 7
float4 gV;
float4 gW;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4((int)gV.x, (int)gV.y, (int)gV.z, (int)gV.w);
    gOut[int2(1, 0)] = float4(int4(gW));
    gOut[int2(2, 0)] = float4((uint)gV.x, (uint)gV.w, (uint)gW.z, (uint)gW.x);
    gOut[int2(3, 0)] = float4((int)3.7, (int)-3.7, (int)-0.5, int(2.999));
    int i = gV.y;
    int2 k = gW.xy;
    gOut[int2(4, 0)] = float4(i, k, (int)(gV.x * 2));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
