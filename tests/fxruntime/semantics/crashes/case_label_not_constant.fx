// A case label must be a constant.
// refused a case label is a constant, and 'a' is a variable
float4 gV;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    int a = (int)gV.x;
    float r = 0;
    switch ((int)gV.y) {
    case 1 + a: r = 1; break;
    default: r = 2; break;
    }
    gOut[int2(0, 0)] = r;
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
