// A case label is an integer literal.
// refused a case label is an integer, not '1.5'
float4 gF;
int4 gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { float r = 0; switch (gI.x) { case 1.5: r = 1; break; default: break; } gOut[int2(0, 0)] = r; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
