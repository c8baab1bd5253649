// continue may not stand in a switch, even one inside a loop; a loop inside the switch may use it.
// refused 'continue' cannot be used in a switch, only in a loop inside it
int4 gI;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float r = 0;
    for (int i = 0; i < gI.x; i++) {
        switch (i) {
        case 0:
            for (int j = 0; j < 2; j++) {
                if (j == 0)
                    continue;
                r += 1;
            }
            break;
        case 2:
            continue;
        default:
            r += 10;
            break;
        }
    }
    gOut[int2(0, 0)] = r;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
