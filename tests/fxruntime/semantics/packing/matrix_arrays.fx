// An array of matrices gives each element a whole number of registers (a column_major float2x2
// takes two, one per column; a row_major float2x3 two, one per row) and leaves only the last
// register of the array unpadded.
// gM[2] of column_major float2x2: M0 = [[1, 2], [3, 4]], M1 = [[5, 6], [7, 8]] are raw 1 3 _ _ 2 4 _ _
// 5 7 _ _ 6 8. gR[2] of row_major float2x3: R0 = [[1, 2, 3], [4, 5, 6]], R1 = [[7, 8, 9],
// [10, 11, 12]] are raw 1 2 3 _ 4 5 6 _ 7 8 9 _ 10 11 12.
// texel 0: rows of gM[0] = (1, 2, 3, 4); texel 1: rows of gM[1] = (5, 6, 7, 8)
// texel 2, k = 1: (gM[k][1], gM[k]._m00, gM[1 - k]._m11) = (7, 8, 5, 4)
// texel 3: (gR[1][0], gR[0]._m12) = (7, 8, 9, 6)
// texel 4: (mul((1, 1), gM[k]) = column sums of M1 (12, 14), mul(gR[k], (1, 0, 1)) = (16, 22))
// set gM = 1 3 -1 -1 2 4 -1 -1 5 7 -1 -1 6 8
// set gR = 1 2 3 -1 4 5 6 -1 7 8 9 -1 10 11 12
// set gK = int 1
// expect 1 2 3 4
// expect 5 6 7 8
// expect 7 8 5 4
// expect 7 8 9 6
// expect 12 14 16 22
float2x2 gM[2];
row_major float2x3 gR[2];
int gK;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gM[0][0], gM[0][1]);
    gOut[int2(1, 0)] = float4(gM[1][0], gM[1][1]);
    gOut[int2(2, 0)] = float4(gM[gK][1], gM[gK]._m00, gM[1 - gK]._m11);
    gOut[int2(3, 0)] = float4(gR[1][0], gR[0]._m12);
    gOut[int2(4, 0)] = float4(mul(float2(1, 1), gM[gK]), mul(gR[gK], float3(1, 0, 1)));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
