// switch runs the case whose label equals the selector, or default when none does (nothing when
// there is no default); break leaves the switch and return the function. In shader model 5 a case
// may fall through only when it has no code: labels written one after another share the block
// after them, default included, wherever default stands. Pick: 0 -> 10, 1 and 2 -> 20, 3 and default
// -> 30, 5 -> 50; Ret: 1 -> 1, 2 -> 4, -1 -> 7, else falls out of the switch to 9.
// texel 0: Pick(0, 1, 2, 3) = (10, 20, 20, 30); texel 1: Pick(4, 5, -1, 7) = (30, 50, 30, 30)
// texel 2: (Ret(1), Ret(2), Ret(0), Ret(-1)) = (1, 4, 9, 7)
// texel 3: [branch] and [flatten] switches compute the same: (PickBranch(1), PickFlatten(5),
// PickBranch(4), PickFlatten(0)) = (20, 50, 30, 10)
// set gS = int 0 1 2 3
// set gT = int 4 5 -1 7
// expect 10 20 20 30
// expect 30 50 30 30
// expect 1 4 9 7
// expect 20 50 30 10
int4 gS;
int4 gT;
RWTexture2D<float4> gOut;
float Pick(int s)
{
    float r = -1;
    switch (s) {
    case 0:
        r = 10;
        break;
    case 1:
    case 2:
        r = 20;
        break;
    case 3:
    default:
        r = 30;
        break;
    case 5:
        r = 50;
        break;
    }
    return r;
}
float Ret(int s)
{
    switch (s) {
    case 1:
        return 1;
    case 2:
        return 4;
    case -1:
        return 7;
    }
    return 9;
}
float PickBranch(int s)
{
    float r = -1;
    [branch] switch (s) {
    case 0: r = 10; break;
    case 1:
    case 2: r = 20; break;
    case 5: r = 50; break;
    default: r = 30; break;
    }
    return r;
}
float PickFlatten(int s)
{
    float r = -1;
    [flatten] switch (s) {
    case 0: r = 10; break;
    case 1:
    case 2: r = 20; break;
    case 5: r = 50; break;
    default: r = 30; break;
    }
    return r;
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(Pick(gS.x), Pick(gS.y), Pick(gS.z), Pick(gS.w));
    gOut[int2(1, 0)] = float4(Pick(gT.x), Pick(gT.y), Pick(gT.z), Pick(gT.w));
    gOut[int2(2, 0)] = float4(Ret(gS.y), Ret(gS.z), Ret(gS.x), Ret(gT.z));
    gOut[int2(3, 0)] = float4(PickBranch(gS.y), PickFlatten(gT.y), PickBranch(gT.x), PickFlatten(gS.x));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
