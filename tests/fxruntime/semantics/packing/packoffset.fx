// packoffset(cN.x) places a constant-buffer member at register N, component x (y, z, w: 4, 8, 12
// bytes on), whatever the order of the declarations; a member placed so reads the values set
// through its own name. Members here: gA at c2, gB at c0.y, gC (float2) at c1.z, gE at c1.x, gF at
// c0.x, gG (float3) at c3.y, declared in that order; a second buffer without packoffset packs as
// usual.
// texel 0: gA = (1, 2, 3, 4); texel 1: (gB, gC, gE) = (5, 6, 7, 8); texel 2: (gF, gG) = (9, 10, 11, 12)
// texel 3: (gH, gI) from the other buffer = (13, 14, 15, 16)
// set gA = 1 2 3 4
// set gB = 5
// set gC = 6 7
// set gE = 8
// set gF = 9
// set gG = 10 11 12
// set gH = 13
// set gI = 14 15 16
// expect 1 2 3 4
// expect 5 6 7 8
// expect 9 10 11 12
// expect 13 14 15 16
cbuffer Placed
{
    float4 gA : packoffset(c2);
    float gB : packoffset(c0.y);
    float2 gC : packoffset(c1.z);
    float gE : packoffset(c1.x);
    float gF : packoffset(c0.x);
    float3 gG : packoffset(c3.y);
};
cbuffer Plain
{
    float gH;
    float3 gI;
};
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = gA;
    gOut[int2(1, 0)] = float4(gB, gC, gE);
    gOut[int2(2, 0)] = float4(gF, gG);
    gOut[int2(3, 0)] = float4(gH, gI);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
