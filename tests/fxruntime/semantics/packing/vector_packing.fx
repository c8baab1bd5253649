// Constant-buffer packing: scalars and vectors fill a 16-byte register in order until the next one
// would straddle its boundary, which then starts the next register. So a float after a float3
// shares its register, a float2 after a float sits at byte 4 (not 8), and a float3 after a float2
// or two floats moves on. struct S { float3 a; float b; float c; float3 d; float2 e; float f;
// float2 g; } puts a at 0, b at 12, c at 16, d at 20, e at 32, f at 40 and g at 48 (44 + 8 would
// straddle): raw 1 2 3 4 5 6 7 8 9 10 11 _ 12 13 gives a = (1, 2, 3), b = 4, c = 5, d = (6, 7, 8),
// e = (9, 10), f = 11, g = (12, 13). struct P { float x; float2 y; float z; }: y at 4, z at 12: raw
// 1 2 3 4. struct Q { float2 p; float3 q; }: q at 16: raw 1 2 _ _ 3 4 5.
// The variables of $Globals pack the same way: gX (0), gY float3 (4), gZ float2 (16), gW (24),
// gV float3 (32), each set on its own.
// set gS = 1 2 3 4 5 6 7 8 9 10 11 -1 12 13
// set gP = 1 2 3 4
// set gQ = 1 2 -1 -1 3 4 5
// set gX = 1
// set gY = 2 3 4
// set gZ = 5 6
// set gW = 7
// set gV = 8 9 10
// expect 1 2 3 4
// expect 5 6 7 8
// expect 9 10 11 12
// expect 13 0 0 0
// expect 1 2 3 4
// expect 1 2 3 4
// expect 5 0 0 0
// expect 1 2 3 4
// expect 5 6 7 8
// expect 9 10 0 0
struct S
{
    float3 a;
    float b;
    float c;
    float3 d;
    float2 e;
    float f;
    float2 g;
};
struct P
{
    float x;
    float2 y;
    float z;
};
struct Q
{
    float2 p;
    float3 q;
};
S gS;
P gP;
Q gQ;
float gX;
float3 gY;
float2 gZ;
float gW;
float3 gV;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gS.a, gS.b);
    gOut[int2(1, 0)] = float4(gS.c, gS.d);
    gOut[int2(2, 0)] = float4(gS.e, gS.f, gS.g.x);
    gOut[int2(3, 0)] = float4(gS.g.y, 0, 0, 0);
    gOut[int2(4, 0)] = float4(gP.x, gP.y, gP.z);
    gOut[int2(5, 0)] = float4(gQ.p, gQ.q.xy);
    gOut[int2(6, 0)] = float4(gQ.q.z, 0, 0, 0);
    gOut[int2(7, 0)] = float4(gX, gY);
    gOut[int2(8, 0)] = float4(gZ, gW, gV.x);
    gOut[int2(9, 0)] = float4(gV.yz, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
