// any and all accept a scalar too (scalar, vector or matrix): for one value both are x != 0.
// float (0, 0.5, -0, -2): any (0, 1, 0, 1) and all the same; int (0, 3, -1, 0): (0, 1, 1, 0);
// uint (0, 7, 0, 1): (0, 1, 0, 1); the bools gA > 0: (0, 1, 0, 0).
// set gA = 0 0.5 -0 -2
// set gI = int 0 3 -1 0
// set gU = uint 0 7 0 1
// output uint
// expect 0 1 0 1
// expect 0 1 0 1
// expect 0 1 1 0
// expect 0 1 1 0
// expect 0 1 0 1
// expect 0 1 0 0
float4 gA;
int4 gI;
uint4 gU;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = uint4(any(gA.x), any(gA.y), any(gA.z), any(gA.w));
    gOut[int2(1, 0)] = uint4(all(gA.x), all(gA.y), all(gA.z), all(gA.w));
    gOut[int2(2, 0)] = uint4(any(gI.x), any(gI.y), any(gI.z), any(gI.w));
    gOut[int2(3, 0)] = uint4(all(gI.x), all(gI.y), all(gI.z), all(gI.w));
    gOut[int2(4, 0)] = uint4(any(gU.x), any(gU.y), all(gU.z), all(gU.w));
    gOut[int2(5, 0)] = uint4(all(gA.x > 0), any(gA.y > 0), all(gA.z > 0), any(gA.w > 0));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
