// mul(A, B) is the matrix product, (R x K) times (K x C) giving R x C with
// result[i][j] = sum_k A[i][k] * B[k][j]; the * operator on matrices multiplies per component instead.
// A = float2x3 rows (1, 2, 3), (4, 5, 6); B = float3x2 rows (7, 8), (9, 10), (11, 12):
// mul(A, B) = [[58, 64], [139, 154]]; mul(B, A) = [[39, 54, 69], [49, 68, 87], [59, 82, 105]].
// C = float3x4 rows (1, 0, 2, 0), (0, 1, 0, 3), (1, 1, 1, 1): mul(A, C) = [[4, 5, 5, 9], [10, 11, 14, 21]].
// P = [[1, 2], [3, 4]], Q = [[5, 6], [7, 8]]: mul(P, Q) = [[19, 22], [43, 50]],
// mul(Q, P) = [[23, 34], [31, 46]], P * Q = [[5, 12], [21, 32]].
// set gR0 = 1 2 3 0
// set gR1 = 4 5 6 0
// set gB = 7 8 9 10
// set gC = 11 12 0 0
// expect 58 64 139 154
// expect 39 54 69 0
// expect 49 68 87 0
// expect 59 82 105 0
// expect 4 5 5 9
// expect 10 11 14 21
// expect 19 22 43 50
// expect 23 34 31 46
// expect 5 12 21 32
// expect 58 64 139 154
// expect 19 22 43 50
float4 gR0;
float4 gR1;
float4 gB;
float4 gC;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float2x3 a = float2x3(gR0.xyz, gR1.xyz);
    float3x2 b = float3x2(gB.xy, gB.zw, gC.xy);
    float2x2 ab = mul(a, b);
    gOut[int2(0, 0)] = float4(ab[0], ab[1]);
    float3x3 ba = mul(b, a);
    gOut[int2(1, 0)] = float4(ba[0], 0);
    gOut[int2(2, 0)] = float4(ba[1], 0);
    gOut[int2(3, 0)] = float4(ba[2], 0);
    float3x4 c = float3x4(gR0.x, 0, gR0.y, 0, 0, gR0.x, 0, gR0.z, 1, 1, 1, gR0.x);
    float2x4 ac = mul(a, c);
    gOut[int2(4, 0)] = ac[0];
    gOut[int2(5, 0)] = ac[1];
    float2x2 p = float2x2(gR0.xy, gR0.z, gR1.x);
    float2x2 q = float2x2(gR1.y, gR1.z, gB.x, gB.y);
    float2x2 pq = mul(p, q);
    float2x2 qp = mul(q, p);
    float2x2 each = p * q;
    gOut[int2(6, 0)] = float4(pq[0], pq[1]);
    gOut[int2(7, 0)] = float4(qp[0], qp[1]);
    gOut[int2(8, 0)] = float4(each[0], each[1]);
    float2x2 lab = mul(float2x3(1, 2, 3, 4, 5, 6), float3x2(7, 8, 9, 10, 11, 12));
    float2x2 lpq = mul(float2x2(1, 2, 3, 4), float2x2(5, 6, 7, 8));
    gOut[int2(9, 0)] = float4(lab[0], lab[1]);
    gOut[int2(10, 0)] = float4(lpq[0], lpq[1]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
