// A name declared twice at file scope is an error. glslang ends its process on this one, so the
// failure is reported from the compile child, naming the step it died in.
// isolated
// refused the HLSL compiler failed on this shader (in glslang's HLSL front end
float a = 1;
int a = 2;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS() { gOut[int2(0, 0)] = a; }
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
