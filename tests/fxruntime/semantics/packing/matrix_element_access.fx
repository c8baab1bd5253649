// Matrix elements: _mRC names row R, column C counting from 0, _RC counts from 1, m[R][C] is row R
// column C and m[R] is row R, whatever the storage (column_major by default: one register per
// column). M = [[1, 2, 3], [4, 5, 6], [7, 8, 9]] stored by columns: raw 1 4 7 _ 2 5 8 _ 3 6 9.
// texel 0: (_m01, _12, _m21, _33) = (2, 2, 8, 9); texel 1: (M[1][2], M[2]) = (6, 7, 8, 9)
// texel 2: (_11, _m11, _m22, _31) = (1, 5, 9, 7)
// texel 3: a copy with _m02 = 30, [1][0] = 40, [2].yz = (80, 90): (m[0].z, _21, _m21, _33) =
// (30, 40, 80, 90)
// texel 4: row_major float2x3 R = [[1, 2, 3], [4, 5, 6]] (raw 1 2 3 _ 4 5 6): (_m12, _21, R[1][1],
// R[0][2]) = (6, 4, 5, 3)
// set gM = 1 4 7 -1 2 5 8 -1 3 6 9
// set gR = 1 2 3 -1 4 5 6
// expect 2 2 8 9
// expect 6 7 8 9
// expect 1 5 9 7
// expect 30 40 80 90
// expect 6 4 5 3
float3x3 gM;
row_major float2x3 gR;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gM._m01, gM._12, gM._m21, gM._33);
    gOut[int2(1, 0)] = float4(gM[1][2], gM[2]);
    gOut[int2(2, 0)] = float4(gM._11, gM._m11, gM._m22, gM._31);
    float3x3 m = gM;
    m._m02 = 30;
    m[1][0] = 40;
    m[2].yz = float2(80, 90);
    gOut[int2(3, 0)] = float4(m[0].z, m._21, m._m21, m._33);
    gOut[int2(4, 0)] = float4(gR._m12, gR._21, gR[1][1], gR[0][2]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
