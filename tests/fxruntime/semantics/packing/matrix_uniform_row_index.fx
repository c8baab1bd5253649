// m[r] is row r and m[r][c] the element at row r, column c also when r and c come from inputs; for a
// column_major matrix, whose registers are columns, row r gathers component r of every register.
// M[r][c] = 10 r + c, stored by columns: raw 0 10 20 30 1 11 21 31 2 12 22 32 3 13 23 33; the
// row_major R holds the same matrix by rows. Indices k = (2, 1, 3, 0).
// texel 0: M[k.x] = row 2 = (20, 21, 22, 23); texel 1: M[k.z] = (30, 31, 32, 33)
// texel 2: (M[2][1], M[1][3], M[0][2], M[3][3]) through k = (21, 13, 2, 33)
// texel 3: R[k.y] = (10, 11, 12, 13)
// texel 4: a copy m with m[k.x] = (-1, -2, -3, -4): (m[2].yz, m._m21, m._m12) = (-2, -3, -2, 12)
// texel 5: (the trace of M in a loop over m[i][i] = 0 + 11 + 22 + 33 = 66, R[k.w][k.z] = 3, 0, 0)
// set gM = 0 10 20 30 1 11 21 31 2 12 22 32 3 13 23 33
// set gR = 0 1 2 3 10 11 12 13 20 21 22 23 30 31 32 33
// set gK = int 2 1 3 0
// expect 20 21 22 23
// expect 30 31 32 33
// expect 21 13 2 33
// expect 10 11 12 13
// expect -2 -3 -2 12
// expect 66 3 0 0
float4x4 gM;
row_major float4x4 gR;
int4 gK;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = gM[gK.x];
    gOut[int2(1, 0)] = gM[gK.z];
    gOut[int2(2, 0)] = float4(gM[gK.x][gK.y], gM[gK.y][gK.z], gM[gK.w][gK.x], gM[gK.z][gK.z]);
    gOut[int2(3, 0)] = gR[gK.y];
    float4x4 m = gM;
    m[gK.x] = float4(-1, -2, -3, -4);
    gOut[int2(4, 0)] = float4(m[2].yz, m._m21, m._m12);
    float trace = 0;
    [loop] for (int i = 0; i < 4; i++)
        trace += gM[i][i];
    gOut[int2(5, 0)] = float4(trace, gR[gK.w][gK.z], 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
