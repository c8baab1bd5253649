// HLSL has no recursion: a function that calls itself, directly or through another function, is
// an error, whose message speaks of recursion (here "Recursion detected").
// refused ecursi
float4 gV;
RWTexture2D<float4> gOut;
float Fact(float n)
{
    if (n <= 1)
        return 1;
    return n * Fact(n - 1);
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = Fact(gV.x);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
