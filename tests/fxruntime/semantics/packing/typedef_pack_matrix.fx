// #pragma pack_matrix(row_major) applies to a matrix declared through a typedef as to one declared
// directly: both read the same values at the same offsets (row 0 first).
// set gDirect = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16
// set gAliased = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16
// expect 1 2 3 4
// expect 1 2 3 4
// expect 5 6 7 8
// expect 5 6 7 8
#pragma pack_matrix(row_major)
typedef float4x4 Mat;
float4x4 gDirect;
Mat gAliased;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = gDirect[0];
    gOut[int2(1, 0)] = gAliased[0];
    gOut[int2(2, 0)] = gDirect[1];
    gOut[int2(3, 0)] = gAliased[1];
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
