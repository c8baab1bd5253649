// Direct3D's floating-point rules: x / 0 is +INF or -INF by the signs of x and of the zero, 0 / 0 is
// NaN, INF - INF and INF * 0 are NaN, 1 / INF is 0. With x = 1, y = -1, z = +0:
// texel 0: (x / z, y / z, z / z, 2 / x) = (inf, -inf, nan, 2)
// texel 1: (isinf(x / z), isnan(z / z), isnan(x / z), isinf(z / z)) = (1, 1, 0, 0)
// texel 2, with a = b = INF from two inputs: (x / -z, a - b, a * z, 1 / a) = (-inf, nan, nan, 0)
// texel 3, literals folded by the compiler: (1.0 / 0.0, -1.0 / 0.0, isnan(0.0 / 0.0), 0.0 / 0.0)
// = (inf, -inf, 1, nan)
// texel 4: precise forbids the optimisations that are not IEEE-safe, so with i = x / z a precise
// i - i and i * z keep the rules: (nan, nan, isnan of both = 1, 1).
// set gV = 1 -1 0 2
// set gInf = uint 0x7F800000 0x7F800000
// expect inf -inf nan 2
// expect 1 1 0 0
// expect -inf nan nan 0
// expect inf -inf 1 nan
// expect nan nan 1 1
float4 gV;
float2 gInf;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float x = gV.x, y = gV.y, z = gV.z;
    gOut[int2(0, 0)] = float4(x / z, y / z, z / z, gV.w / x);
    gOut[int2(1, 0)] = float4(isinf(x / z), isnan(z / z), isnan(x / z), isinf(z / z));
    gOut[int2(2, 0)] = float4(x / -z, gInf.x - gInf.y, gInf.x * z, 1 / gInf.x);
    gOut[int2(3, 0)] = float4(1.0 / 0.0, -1.0 / 0.0, isnan(0.0 / 0.0), 0.0 / 0.0);
    precise float i = x / z;
    precise float d = i - i;
    precise float p = i * z;
    gOut[int2(4, 0)] = float4(d, p, isnan(d), isnan(p));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
