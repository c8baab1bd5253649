// The comma operator evaluates its left operand, then its right one, and has the right one's value;
// unary - negates every component (on uint it wraps: -u = 2^32 - u), unary + changes nothing, ! gives
// true for 0; ++ and -- work on any writable place: an array element at a run-time index, a matrix
// element, a struct member. u = 5, a = (1, -2, 0, 4), k = 1.
// texel 0: (x = (s = 3, s * 2) = 6 and s = 3, -a.y = 2, +a.x = 1) = (6, 3, 2, 1)
// texel 1: -a = (-1, 2, -0, -4); texel 2: (!a.z, !a.y, (float)(-u), (float)(0u - u)) =
// (1, 0, 4294967291, 4294967291)
// texel 3: arr = (10, 20, 30); arr[k]++ and ++arr[k + 1]; m = 0, m[1][0]++, m._m01 -= 2; p.f++ with
// p.f = 7: (arr[1], arr[2], m[1][0] + m[0][1], p.f) = (21, 31, -1, 8)
// set gU = uint 5
// set gA = 1 -2 0 4
// set gK = int 1
// expect 6 3 2 1
// expect -1 2 -0 -4
// expect 1 0 4294967291 4294967291
// expect 21 31 -1 8
struct P
{
    float f;
};
uint gU;
float4 gA;
int gK;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float s = 0;
    float x = (s = 3, s * 2);
    gOut[int2(0, 0)] = float4(x, s, -gA.y, +gA.x);
    gOut[int2(1, 0)] = -gA;
    gOut[int2(2, 0)] = float4(!gA.z, !gA.y, (float)(-gU), (float)(0u - gU));
    float arr[3] = { 10, 20, 30 };
    arr[gK]++;
    ++arr[gK + 1];
    float2x2 m = 0;
    m[gK][0]++;
    m._m01 -= 2;
    P p;
    p.f = 7;
    p.f++;
    gOut[int2(3, 0)] = float4(arr[1], arr[2], m[1][0] + m[0][1], p.f);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
