// A matrix in a constant buffer is column_major by default: each register holds one column, so
// the raw values 1..16 make a column_major C with columns (1, 2, 3, 4), (5, 6, 7, 8), ...; a
// row_major R holds one row per register, so the same values make rows (1, 2, 3, 4), (5, 6, 7, 8),
// ...: C = transpose(R). mul(v, M) treats v as a row vector, mul(M, v) as a column vector.
// With v = (1, 0, 2, -1):
// mul(v, R) = R[0] + 2 R[2] - R[3] = (6, 8, 10, 12); mul(R, v) = (3, 11, 19, 27);
// mul(v, C) = mul(R, v) = (3, 11, 19, 27); mul(C, v) = mul(v, R) = (6, 8, 10, 12);
// R[1] = (5, 6, 7, 8); C[1] = (2, 6, 10, 14); mul(R, C)[0] = row 0 of R R^T = (30, 70, 110, 150);
// mul(C, R)[1] = row 1 of R^T R = (304, 336, 368, 400).
// A column_major float2x3 N takes three registers of two components: raw 1 4 _ _ 2 5 _ _ 3 6 is
// N = [[1, 2, 3], [4, 5, 6]]: mul((1, 10), N) = (41, 52, 63), mul(N, (1, 1, 1)) = (6, 15).
// set gR = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16
// set gC = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16
// set gN = 1 4 0 0 2 5 0 0 3 6
// set gV = 1 0 2 -1
// expect 6 8 10 12
// expect 3 11 19 27
// expect 3 11 19 27
// expect 6 8 10 12
// expect 5 6 7 8
// expect 2 6 10 14
// expect 30 70 110 150
// expect 304 336 368 400
// expect 41 52 63 6
// expect 15 0 0 0
row_major float4x4 gR;
float4x4 gC;
float2x3 gN;
float4 gV;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = mul(gV, gR);
    gOut[int2(1, 0)] = mul(gR, gV);
    gOut[int2(2, 0)] = mul(gV, gC);
    gOut[int2(3, 0)] = mul(gC, gV);
    gOut[int2(4, 0)] = gR[1];
    gOut[int2(5, 0)] = gC[1];
    gOut[int2(6, 0)] = mul(gR, gC)[0];
    gOut[int2(7, 0)] = mul(gC, gR)[1];
    float2 n = mul(gN, float3(1, 1, 1));
    gOut[int2(8, 0)] = float4(mul(float2(1, 10), gN), n.x);
    gOut[int2(9, 0)] = float4(n.y, 0, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
