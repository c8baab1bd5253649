// dst(src0, src1) = (1, src0.y * src1.y, src0.z, src1.w), the distance vector (1, d, d*d, 1/d)
// when src0 = (_, d*d, d*d, _) and src1 = (_, 1/d, _, 1/d); the other components are ignored.
// src0 = (5, 16, 16, 6), src1 = (7, 0.25, 8, 0.25) (d = 4): (1, 4, 16, 0.25); swapped: (1, 4, 8, 6);
// src0 = (1, 2, 3, 4), src1 = (5, 6, 7, 8): (1, 12, 3, 8).
// set gA = 5 16 16 6
// set gB = 7 0.25 8 0.25
// expect 1 4 16 0.25
// expect 1 4 8 6
// expect 1 12 3 8
// expect 1 4 16 0.25
float4 gA;
float4 gB;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = dst(gA, gB);
    gOut[int2(1, 0)] = dst(gB, gA);
    gOut[int2(2, 0)] = dst(float4(1, 2, 3, 4), float4(5, 6, 7, 8));
    gOut[int2(3, 0)] = dst(float4(5, 16, 16, 6), float4(7, 0.25, 8, 0.25));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
