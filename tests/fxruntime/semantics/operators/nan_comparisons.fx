// Direct3D's floating-point rules: ==, <, <=, >, >= with a NaN operand are false and != is true;
// comparisons ignore the sign of zero, so +0 == -0 and -0 < +0 is false. n is NaN (0x7FC00000),
// z = +0, nz = -0.
// texel 0: (n == n, n != n, n < 1, n >= 1) = (0, 1, 0, 0)
// texel 1: (n > 1, n <= 1, 1 != n, 1 == n) = (0, 0, 1, 0)
// texel 2: (z == nz, nz < z, nz <= z, z > nz) = (1, 0, 1, 0)
// texel 3: (isnan(n), isnan(1), !(n == n), (n < 1) || (n >= 1)) = (1, 0, 1, 0)
// texel 4: vector compare of (n, 1, n, 2) with (n, 1, 0, n): == is (0, 1, 0, 0)
// set gN = uint 0x7FC00000
// set gZ = 0 -0
// expect 0 1 0 0
// expect 0 0 1 0
// expect 1 0 1 0
// expect 1 0 1 0
// expect 0 1 0 0
float gN;
float2 gZ;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float n = gN, z = gZ.x, nz = gZ.y;
    gOut[int2(0, 0)] = float4(n == n, n != n, n < 1, n >= 1);
    gOut[int2(1, 0)] = float4(n > 1, n <= 1, 1 != n, 1 == n);
    gOut[int2(2, 0)] = float4(z == nz, nz < z, nz <= z, z > nz);
    gOut[int2(3, 0)] = float4(isnan(n), isnan(z + 1), !(n == n), (n < 1) || (n >= 1));
    gOut[int2(4, 0)] = float4(float4(n, 1, n, 2) == float4(n, 1, 0, n));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
