// Parameters are always passed by value: an in parameter is copied before the function starts and
// an inout one is copied in then and copied back to the argument when the function returns. So
// writes to an inout parameter reach neither another parameter bound to the same variable nor the
// variable itself (read as a global) before the return, and a swizzle or array element argument
// gets back exactly the components it names.
// texel 0: (x = 2; AddTo(inout a = x, b = x) { a += 1; a += b }: x = 3 + 2 = 5, not 6;
// s = 1 (static global); ReadGlobal(inout a = s) { a = 10; return s }: returns 1, s = 10 after;
// Twice(inout w) on w = 1.5: 3)
// texel 1: v = (1, 2, 3, 4); Shift(v.zx) with p = (v.z, v.x) = (3, 1) -> (p.y, p.x + 10) = (1, 13):
// v = (13, 2, 1, 4)
// texel 2: arr = (1, 2, 3); Inc(arr[k]) with k = 1 -> (1, 3, 3); in-only Poke(x) leaves x = 5
// set gK = int 1
// set gV = 2 1.5 5
// expect 5 1 10 3
// expect 13 2 1 4
// expect 1 3 3 5
int gK;
float3 gV;
RWTexture2D<float4> gOut;
static float s = 1;
void AddTo(inout float a, float b)
{
    a += 1;
    a += b;
}
float ReadGlobal(inout float a)
{
    a = 10;
    return s;
}
void Twice(inout float w)
{
    w *= 2;
}
void Shift(inout float2 p)
{
    p = float2(p.y, p.x + 10);
}
void Inc(inout float a)
{
    a += 1;
}
float Poke(float x)
{
    x = 99;
    return x;
}
[numthreads(1, 1, 1)]
void CS()
{
    float x = gV.x;
    AddTo(x, x);
    float seen = ReadGlobal(s);
    float w = gV.y;
    Twice(w);
    gOut[int2(0, 0)] = float4(x, seen, s, w);
    float4 v = float4(1, 2, 3, 4);
    Shift(v.zx);
    gOut[int2(1, 0)] = v;
    float arr[3] = { 1, 2, 3 };
    Inc(arr[gK]);
    float y = gV.z;
    Poke(y);
    gOut[int2(2, 0)] = float4(arr[0], arr[1], arr[2], y);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
