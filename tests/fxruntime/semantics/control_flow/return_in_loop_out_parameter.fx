// A return inside a loop of a function with an out parameter leaves with what the parameter holds
// at that point: Find(3) sets where = 3 and returns 1 at i = 3; Find(20) runs out and returns 0 with
// where = -1.
// set gV = 3 20 0 0
// expect 1 3 0 -1
float4 gV;
RWTexture2D<float4> gOut;
float Find(float target, out float where)
{
    where = -1;
    for (int i = 0; i < 10; ++i) {
        if (i == target) {
            where = i;
            return 1;
        }
    }
    return 0;
}
[numthreads(1, 1, 1)]
void CS()
{
    float w0, w1;
    float f0 = Find(gV.x, w0);
    float f1 = Find(gV.y, w1);
    gOut[int2(0, 0)] = float4(f0, w0, f1, w1);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
