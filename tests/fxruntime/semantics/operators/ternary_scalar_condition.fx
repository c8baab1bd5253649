// With a scalar condition, c ? x : y is all of x or all of y; a scalar operand beside a vector is
// promoted to the vector. ?: never short-circuits in HLSL: both operands are evaluated. ?: groups
// to the right: a ? 1 : b ? 2 : 3 is a ? 1 : (b ? 2 : 3). A float condition is true when non-zero.
// s = (1, 0), x = (10, 20, 30, 40), y = (-1, -2, -3, -4):
// texel 0: s.x ? x : y = x; texel 1: s.y ? x : y = y; texel 2: s.x ? 5 : x = (5, 5, 5, 5);
// texel 3: s.y ? 5 : x = x; texel 4: r = s.x ? Bump(n, 7) : Bump(m, 9) = 7 with n = m = 1;
// texel 5: (s.y ? 1 : s.x ? 2 : 3, s.x ? 4 : 5, s.y ? 4 : 5, s.y ? 1 : s.y ? 2 : 3) = (2, 4, 5, 3).
// set gS = 1 0
// set gX = 10 20 30 40
// set gY = -1 -2 -3 -4
// expect 10 20 30 40
// expect -1 -2 -3 -4
// expect 5 5 5 5
// expect 10 20 30 40
// expect 7 1 1 0
// expect 2 4 5 3
float2 gS;
float4 gX;
float4 gY;
RWTexture2D<float4> gOut;
float Bump(inout float n, float v)
{
    n += 1;
    return v;
}
[numthreads(1, 1, 1)]
void CS()
{
    bool t = gS.x != 0, f = gS.y != 0;
    gOut[int2(0, 0)] = t ? gX : gY;
    gOut[int2(1, 0)] = f ? gX : gY;
    gOut[int2(2, 0)] = t ? 5 : gX;
    gOut[int2(3, 0)] = f ? 5 : gX;
    float n = 0, m = 0;
    float r = t ? Bump(n, 7) : Bump(m, 9);
    gOut[int2(4, 0)] = float4(r, n, m, 0);
    gOut[int2(5, 0)] = float4(gS.y ? 1 : gS.x ? 2 : 3, gS.x ? 4 : 5, gS.y ? 4 : 5, gS.y ? 1 : gS.y ? 2 : 3);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
