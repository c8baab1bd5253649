// A matrix converted to a smaller matrix keeps its upper-left part (rows 0.. and columns 0.. of the
// new size); converted to a scalar it keeps element _m00. M = row_major 4x4 with rows (1, 2, 3, 4),
// (5, 6, 7, 8), (9, 10, 11, 12), (13, 14, 15, 16):
// texels 0-2: rows of (float3x3)M = (1, 2, 3), (5, 6, 7), (9, 10, 11)
// texel 3: (float2x2)M rows (1, 2), (5, 6); texel 4: ((float)M, row 1 of (float2x3)M) = (1, 5, 6, 7)
// texel 5: C is column_major with the same 16 values, so C = transpose(M); row 1 of (float3x3)C =
// (2, 6, 10)
// texel 6, literals: (float2x2)float3x3(1, ..., 9) rows (1, 2), (4, 5)
// texel 7: mul((1, 1, 1), (float3x3)M) = column sums (15, 18, 21)
// set gM = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16
// set gC = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16
// expect 1 2 3 0
// expect 5 6 7 0
// expect 9 10 11 0
// expect 1 2 5 6
// expect 1 5 6 7
// expect 2 6 10 0
// expect 1 2 4 5
// expect 15 18 21 0
row_major float4x4 gM;
column_major float4x4 gC;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float3x3 m3 = (float3x3)gM;
    gOut[int2(0, 0)] = float4(m3[0], 0);
    gOut[int2(1, 0)] = float4(m3[1], 0);
    gOut[int2(2, 0)] = float4(m3[2], 0);
    float2x2 m2 = (float2x2)gM;
    gOut[int2(3, 0)] = float4(m2[0], m2[1]);
    float2x3 m23 = (float2x3)gM;
    gOut[int2(4, 0)] = float4((float)gM, m23[1]);
    float3x3 c3 = (float3x3)gC;
    gOut[int2(5, 0)] = float4(c3[1], 0);
    float2x2 l2 = (float2x2)float3x3(1, 2, 3, 4, 5, 6, 7, 8, 9);
    gOut[int2(6, 0)] = float4(l2[0], l2[1]);
    gOut[int2(7, 0)] = float4(mul(float3(1, 1, 1), (float3x3)gM), 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
