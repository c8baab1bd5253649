// A struct member declared twice.
// refused 'a': redefinition of a struct member
float4 gF;
int4 gI;
RWTexture2D<float4> gOut;
struct S { float a; float b, a; };
[numthreads(1, 1, 1)]
void CS() { S s; s.a = 1; s.b = 2; gOut[int2(0, 0)] = s.a; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
