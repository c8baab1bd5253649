// any(x) is true when some component of x is nonzero, all(x) when every component is; -0.0 is zero.
// (0, 0, 0, 0.5): any true, all false; (0, -0, 0, 0): any false, all false; (1, 2, -3, 0.5): both
// true; int (0, 0, 7, 0): any true, all false; int (1, -1, 5, 9): all true, and all of
// (1, -1, 5) - 1 = (0, -2, 4) false, any of (1, -1) true, all of (5, 9) - 9 = (-4, 0) false;
// the literal scalar int 0: any false; int2 (1, 0): all false.
// set gA = 0 0 0 0.5
// set gB = 0 -0 0 0
// set gC = 1 2 -3 0.5
// set gI = int 0 0 7 0
// set gJ = int 1 -1 5 9
// output uint
// expect 1 0 0 0
// expect 1 1 1 0
// expect 1 0 1 0
// expect 1 0 1 0
// expect 1 0 0 0
float4 gA;
float4 gB;
float4 gC;
int4 gI;
int4 gJ;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = uint4(any(gA), all(gA), any(gB), all(gB));
    gOut[int2(1, 0)] = uint4(any(gC), all(gC), any(gI), all(gI));
    gOut[int2(2, 0)] = uint4(all(gJ), all(gJ.xyz - 1), any(gJ.xy), all(gJ.zw - 9));
    gOut[int2(3, 0)] = uint4(any(float4(0, 0, 0, 0.5)), all(float4(0, 0, 0, 0.5)), all(float4(1, 2, -3, 0.5)), any(float4(0, -0.0, 0, 0)));
    gOut[int2(4, 0)] = uint4(any(int4(0, 0, 7, 0)), all(int4(0, 0, 7, 0)), any(0), all(int2(1, 0)));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
