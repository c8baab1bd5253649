// One-column and one-row matrices multiply as matrices: mul(float4x1 c, float1x4 r) is the 4x4
// outer product, row i = c[i] * r; with c = (1, 2, 3, 4), r = (5, 10, 15, 20), v = (1, 2, 3, 4):
// v * outer = (v . c) r = 30 r; r * v = 5 + 20 + 45 + 80 = 150.
// set gColumn = 1 2 3 4
// A float1x4 is column-major by default: four columns of one element, one register each.
// set gRow = 5 0 0 0 10 0 0 0 15 0 0 0 20
// expect 5 10 15 20
// expect 10 20 30 40
// expect 150 300 450 600
// expect 150 150 150 150
float4x1 gColumn;
float1x4 gRow;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float4x4 outer = mul(gColumn, gRow);
    gOut[int2(0, 0)] = outer[0];
    gOut[int2(1, 0)] = outer[1];
    gOut[int2(2, 0)] = mul(float4(1, 2, 3, 4), outer);
    gOut[int2(3, 0)] = mul(gRow, float4(1, 2, 3, 4)).xxxx;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
