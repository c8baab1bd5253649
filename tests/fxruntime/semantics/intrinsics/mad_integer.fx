// mad takes any numeric type (shader model 5): for int and uint it is the integer m * a + b, and the
// result keeps the integer type. int mad(-3, 4, 5) = -7, mad(7, 1, 0) / 2 = 3 (integer division);
// uint mad(0x10000, 0x10000, 5) = 5 (the product wraps modulo 2^32), mad(6, 7, 8) = 50.
// set gI = int -3 4 5 7
// set gU = uint 0x10000 5 6 7
// output int
// expect -7 3 5 50
// expect -7 3 50 0
int4 gI;
uint4 gU;
RWTexture2D<int4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = int4(mad(gI.x, gI.y, gI.z), mad(gI.w, 1, 0) / 2, mad(gU.x, gU.x, gU.y), mad(gU.z, gU.w, 8u));
    gOut[int2(1, 0)] = int4(mad(-3, 4, 5), mad(7, 1, 0) / 2, mad(6u, 7u, 8u), 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
