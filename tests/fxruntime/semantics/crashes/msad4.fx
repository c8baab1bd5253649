// glslang crashes on msad4, so it is refused where it stands.
// refused 'msad4' is not supported
uint4 gRef;
RWTexture2D<uint4> gOut;
[numthreads(1, 1, 1)]
void CS() { gOut[int2(0, 0)] = msad4(gRef.x, gRef.yz, gRef); }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
