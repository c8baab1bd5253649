// An array declared without a size takes it from its initialiser, whose scalars fill the elements
// in order: float4 a[] = {10, 20, ..., 80} has two elements, a[1] = (50, 60, 70, 80). So do the
// scalars of an array of arrays: float2 m[][3] = {1, ..., 12} is two rows of three float2, m[1][0] =
// (7, 8), m[1][1] = (9, 10); float n[2][2] = {1, 2, 3, 4}: n[0][1] = 2, n[1][0] = 3; int q[][2] =
// {5, ..., 10}: q[2][1] = 10, q[1][0] = 7.
// expect 10 20 30 40
// expect 50 60 70 80
// expect 2 3 0 0
// expect 7 8 9 10
// expect 2 3 10 7
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float4 a[] = {10, 20, 30, 40, 50, 60, 70, 80};
    float2 b[] = {float2(1, 2), float2(3, 4), float2(5, 6)};
    gOut[int2(0, 0)] = a[0];
    gOut[int2(1, 0)] = a[1];
    gOut[int2(2, 0)] = float4(2, b[1].x, 0, 0);
    float2 m[][3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    float n[2][2] = {1, 2, 3, 4};
    int q[][2] = {5, 6, 7, 8, 9, 10};
    gOut[int2(3, 0)] = float4(m[1][0], m[1][1]);
    gOut[int2(4, 0)] = float4(n[0][1], n[1][0], q[2][1], q[1][0]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
