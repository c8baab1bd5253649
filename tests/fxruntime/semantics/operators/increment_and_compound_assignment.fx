// x++ and x-- give the old value, ++x and --x the new one; on a vector they step every component.
// x op= y is x = x op y, per component, with a scalar y applied to every component and a swizzle
// on the left changing only the components it names; an assignment is an expression whose value is
// the value assigned.
// texel 0: a = 1.5; b = a++, c = ++a, d = a--, e = --a: (b, c, d, e) = (1.5, 3.5, 3.5, 1.5)
// texel 1: (a, p, q, r) with i = 5, p = i++, q = ++i, r = i--: (1.5, 5, 7, 7)
// texel 2: v = (1, 2, 3, 4); w = v++; v.y--: v = (2, 2, 4, 5); texel 3: w = (1, 2, 3, 4)
// texel 4: v = (1, 2, 3, 4); v += 1; v *= (2, 0.5, -1, 3): (4, 1.5, -4, 15)
// texel 5: then v /= 2; v %= 1.5 (the dividend's sign): (0.5, 0.75, -0.5, 0)
// texel 6: k = (7, -9, 12, 5); k %= 4: (3, -1, 0, 1)
// texel 7: k = (7, -9, 12, 5); k /= 2; k *= 3; k -= 1: (3, -4, 6, 2) -> (9, -12, 18, 6) -> (8, -13, 17, 5)
// texel 8: v = (1, 2, 3, 4); v.wx += 10; v.yz *= v.xw: (11, 2, 3, 14) -> (11, 22, 42, 14)
// texel 9: s = 1; r = (s += 2) * 2; a2 = b2 = 5: (r, s, a2, b2) = (6, 3, 5, 5)
// texel 10: float2x2 m = (1, 2, 3, 4); m *= 2; m += 1: rows (3, 5), (7, 9)
// set gA = 1 2 3 4
// set gB = 2 0.5 -1 3
// set gK = int 7 -9 12 5
// set gN = 1.5 5
// expect 1.5 3.5 3.5 1.5
// expect 1.5 5 7 7
// expect 2 2 4 5
// expect 1 2 3 4
// expect 4 1.5 -4 15
// expect 0.5 0.75 -0.5 0
// expect 3 -1 0 1
// expect 8 -13 17 5
// expect 11 22 42 14
// expect 6 3 5 5
// expect 3 5 7 9
float4 gA;
float4 gB;
int4 gK;
float2 gN;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float a = gN.x;
    float b = a++;
    float c = ++a;
    float d = a--;
    float e = --a;
    gOut[int2(0, 0)] = float4(b, c, d, e);
    int i = (int)gN.y;
    int p = i++;
    int q = ++i;
    int r = i--;
    gOut[int2(1, 0)] = float4(a, p, q, r);

    float4 v = gA;
    float4 w = v++;
    v.y--;
    gOut[int2(2, 0)] = v;
    gOut[int2(3, 0)] = w;

    v = gA;
    v += 1;
    v *= gB;
    gOut[int2(4, 0)] = v;
    v /= 2;
    v %= 1.5;
    gOut[int2(5, 0)] = v;

    int4 k = gK;
    k %= 4;
    gOut[int2(6, 0)] = float4(k);
    k = gK;
    k /= 2;
    k *= 3;
    k -= 1;
    gOut[int2(7, 0)] = float4(k);

    v = gA;
    v.wx += 10;
    v.yz *= v.xw;
    gOut[int2(8, 0)] = v;

    float s = 1;
    float rr = (s += 2) * 2;
    float a2, b2;
    a2 = b2 = 5 * gN.x / 1.5;
    gOut[int2(9, 0)] = float4(rr, s, a2, b2);

    float2x2 m = float2x2(gA);
    m *= 2;
    m += 1;
    gOut[int2(10, 0)] = float4(m[0], m[1]);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
