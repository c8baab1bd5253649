// transpose(m) swaps rows and columns: an R x C matrix becomes C x R with t[j][i] = m[i][j].
// m = float2x3 with rows (1, 2, 3), (4, 5, 6) gives a float3x2 with rows (1, 4), (2, 5), (3, 6);
// of the float4x4 with rows r0..r3 below, row 1 of the transpose is column 1: (2, 6, 10, 14).
// set gR0 = 1 2 3 4
// set gR1 = 5 6 7 8
// set gR2 = 9 10 11 12
// set gR3 = 13 14 15 16
// expect 1 4 2 5
// expect 3 6 0 0
// expect 2 6 10 14
// expect 4 8 12 16
// expect 1 4 2 5
// expect 3 6 7 10
float4 gR0;
float4 gR1;
float4 gR2;
float4 gR3;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float2x3 m = float2x3(gR0.xyz, gR0.w, gR1.x, gR1.x + 1);
    float3x2 t = transpose(m);
    gOut[int2(0, 0)] = float4(t[0], t[1]);
    gOut[int2(1, 0)] = float4(t[2], 0, 0);
    float4x4 big = transpose(float4x4(gR0, gR1, gR2, gR3));
    gOut[int2(2, 0)] = big[1];
    gOut[int2(3, 0)] = big[3];
    float3x2 lt = transpose(float2x3(1, 2, 3, 4, 5, 6));
    gOut[int2(4, 0)] = float4(lt[0], lt[1]);
    gOut[int2(5, 0)] = float4(lt[2], big[2][1], big[1][2]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
