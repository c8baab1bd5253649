// bool takes 4 bytes in a constant buffer and packs like int and float: bool gF0 at 0, bool3 gF3 at
// 4, int gAfter at 16; inside a struct B { bool b; float f; bool2 c; } f is at 4 and c at 8. A bool
// read from the buffer is true for 1 and false for 0, and converts to 1 or 0.
// texel 0: (gF0, gF3) with gF0 = 1, gF3 = (0, 1, 1) = (1, 0, 1, 1); texel 1: (gAfter, gB.b, gB.f,
// gB.c.y) with raw gB = 1, bits of 2.5, 0, 1 = (7, 1, 2.5, 1)
// texel 2: (gF3.x ? 10 : 20, gF0 ? 10 : 20, any(gF3), all(gF3)) = (20, 10, 1, 0)
// set gF0 = uint 1
// set gF3 = uint 0 1 1
// set gAfter = int 7
// set gB = uint 1 0x40200000 0 1
// expect 1 0 1 1
// expect 7 1 2.5 1
// expect 20 10 1 0
struct B
{
    bool b;
    float f;
    bool2 c;
};
bool gF0;
bool3 gF3;
int gAfter;
B gB;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(gF0, gF3);
    gOut[int2(1, 0)] = float4(gAfter, gB.b, gB.f, gB.c.y);
    gOut[int2(2, 0)] = float4(gF3.x ? 10 : 20, gF0 ? 10 : 20, any(gF3), all(gF3));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
