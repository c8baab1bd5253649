// Case labels may be constant expressions: a static const, a macro and arithmetic of them. With the
// selector 2, 3, 4 and 7 the cases give 20, 30, 40 and the default -1.
// set gI = int 2 3 4 7
// expect 20 30 40 -1
#define THREE 3
static const int kTwo = 2;
int4 gI;
RWTexture2D<float4> gOut;
float Pick(int i)
{
    switch (i) {
    case kTwo: return 20;
    case THREE: return 30;
    case kTwo + 2: return 40;
    default: return -1;
    }
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(Pick(gI.x), Pick(gI.y), Pick(gI.z), Pick(gI.w));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
