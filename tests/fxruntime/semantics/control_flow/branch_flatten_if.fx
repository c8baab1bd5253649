// [branch] and [flatten] only choose how an if is compiled (a jump, or both sides computed and the
// result selected); the meaning is that of the if: only the taken side's assignments take effect,
// and a value computed on the side not taken (here 1 / 0) never reaches the result.
// F(x): if (x > 0) { a = 2x; b += 1 } else { a = -x; c += 1 }, returning (a, b, c).
// texel 0: a of ([branch] F(3), [branch] F(-2), [flatten] F(3), [flatten] F(-2)) = (6, 2, 6, 2)
// texel 1: (b, c) of [flatten] F(3) and of [flatten] F(-2) = (1, 0, 0, 1)
// texel 2: ([flatten] z != 0 ? 1 / z : 5 with z = 0 written as an if = 5; an else-if chain on w = 7,
// < 0: 1, < 5: 2, < 10: 3, else 4: [branch] 3, [flatten] 3; [branch] z != 0 ? 1 / z : 5 = 5)
// set gV = 3 -2 0 7
// expect 6 2 6 2
// expect 1 0 0 1
// expect 5 3 3 5
float4 gV;
RWTexture2D<float4> gOut;
float3 FBranch(float x)
{
    float a = 0, b = 0, c = 0;
    [branch] if (x > 0) {
        a = 2 * x;
        b += 1;
    } else {
        a = -x;
        c += 1;
    }
    return float3(a, b, c);
}
float3 FFlatten(float x)
{
    float a = 0, b = 0, c = 0;
    [flatten] if (x > 0) {
        a = 2 * x;
        b += 1;
    } else {
        a = -x;
        c += 1;
    }
    return float3(a, b, c);
}
[numthreads(1, 1, 1)]
void CS()
{
    float3 p = FFlatten(gV.x), q = FFlatten(gV.y);
    gOut[int2(0, 0)] = float4(FBranch(gV.x).x, FBranch(gV.y).x, p.x, q.x);
    gOut[int2(1, 0)] = float4(p.y, p.z, q.y, q.z);
    float r = 0;
    [flatten] if (gV.z != 0)
        r = 1 / gV.z;
    else
        r = 5;
    float w = gV.w, s = 0, t = 0;
    [branch] if (w < 0)
        s = 1;
    else if (w < 5)
        s = 2;
    else if (w < 10)
        s = 3;
    else
        s = 4;
    [flatten] if (w < 0)
        t = 1;
    else if (w < 5)
        t = 2;
    else if (w < 10)
        t = 3;
    else
        t = 4;
    float u = 0;
    [branch] if (gV.z != 0)
        u = 1 / gV.z;
    else
        u = 5;
    gOut[int2(2, 0)] = float4(r, s, t, u);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
