// Several matrix element names written together form a swizzle, read or written like a vector's:
// m._m00_m11_m22 is the diagonal as a float3, m._12_21 the elements at (0, 1) and (1, 0) (names
// counting from 1), and a written swizzle sets the named elements in order. M = [[1, 2, 3],
// [4, 5, 6], [7, 8, 9]] stored by columns: raw 1 4 7 _ 2 5 8 _ 3 6 9.
// texel 0: (M._m00_m11_m22, M._31) = (1, 5, 9, 7); texel 1: (M._12_21, M._m20_m02) = (2, 4, 7, 3)
// texel 2: a copy m with m._m01_m10 = (20, 40): (m[0].y, m[1].x, m._m00, m._m11) = (20, 40, 1, 5)
// set gM = 1 4 7 -1 2 5 8 -1 3 6 9
// expect 1 5 9 7
// expect 2 4 7 3
// expect 20 40 1 5
float3x3 gM;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gM._m00_m11_m22, gM._31);
    gOut[int2(1, 0)] = float4(gM._12_21, gM._m20_m02);
    float3x3 m = gM;
    m._m01_m10 = float2(20, 40);
    gOut[int2(2, 0)] = float4(m[0].y, m[1].x, m._m00, m._m11);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
