// A name declared twice in one scope.
// refused 'a' : redefinition
float4 gF;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { float a = 1; float a = 2; gOut[int2(0, 0)] = a; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
