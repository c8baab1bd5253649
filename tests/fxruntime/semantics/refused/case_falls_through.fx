// In shader models 4 and 5 a case that has statements ends with break or return: it does not fall
// through into the next label (labels written one after another, with nothing between, share code).
// A discard is no way out of a case, and neither is an if with a break in one branch only.
// refused this case's statements must end with break or return
int4 gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float r = 0;
    switch (gI.x) {
    case 0:
    case 1:
        r = 1;
        if (gI.y > 0)
            break;
    case 2:
        r += 2;
        break;
    default:
        break;
    }
    gOut[int2(0, 0)] = r;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
