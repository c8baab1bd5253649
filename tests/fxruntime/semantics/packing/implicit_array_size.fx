// An array declared without a size takes it from its initialiser, whose scalars fill the elements
// in order: float4 a[] = {10, 20, ..., 80} has two elements, a[1] = (50, 60, 70, 80).
// expect 10 20 30 40
// expect 50 60 70 80
// expect 2 3 0 0
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float4 a[] = {10, 20, 30, 40, 50, 60, 70, 80};
    float2 b[] = {float2(1, 2), float2(3, 4), float2(5, 6)};
    gOut[int2(0, 0)] = a[0];
    gOut[int2(1, 0)] = a[1];
    gOut[int2(2, 0)] = float4(2, b[1].x, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
