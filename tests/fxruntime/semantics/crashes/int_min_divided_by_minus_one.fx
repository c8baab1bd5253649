// INT_MIN / -1 does not fit an int; Direct3D's division wraps it to INT_MIN. SPIRV-Tools' constant
// propagation (run by shaderc before the effect compiler sees the code) divides the constants with
// the host's division, which traps; the failure is reported from the compile child, naming the step.
// isolated
// refused the HLSL compiler failed on this shader (in glslang's HLSL front end or SPIRV-Tools' legalization
RWTexture2D<int4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    int x = -2147483648;
    int y = -1;
    gOut[int2(0, 0)] = int4(x / y, x % y, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
