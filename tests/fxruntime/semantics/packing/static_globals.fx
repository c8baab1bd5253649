// A static variable at file scope is not in any constant buffer: it is private to the shader
// invocation, starts from its initialiser (which may use other statics and constant-buffer values),
// and keeps what functions write to it for the rest of the invocation. u = 3, k = 2.
// texel 0: (scale = 2.5, derived = scale * 2 = 5, fromInput = u * 3 = 9, base.w = 4)
// texel 1: base = (1, 2, 3, 4) after Bump() twice, each adding 1 = (3, 4, 5, 6)
// texel 2: (a = Next(), b = Next(), values[k] with values = {4, 5, 6}, counter afterwards) =
// (1, 2, 6, 2)
// set gU = 3
// set gK = int 2
// expect 2.5 5 9 4
// expect 3 4 5 6
// expect 1 2 6 2
float gU;
int gK;
RWTexture2D<float4> gOut;
static float sScale = 2.5;
static float sDerived = sScale * 2;
static float sFromInput = gU * 3;
static float4 sBase = float4(1, 2, 3, 4);
static int sCounter = 0;
static float sValues[3] = { 4, 5, 6 };
void Bump()
{
    sBase += 1;
}
int Next()
{
    return ++sCounter;
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(sScale, sDerived, sFromInput, sBase.w);
    Bump();
    Bump();
    gOut[int2(1, 0)] = sBase;
    int a = Next();
    int b = Next();
    gOut[int2(2, 0)] = float4(a, b, sValues[gK], sCounter);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
