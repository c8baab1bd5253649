// Exactly 32768 bytes of groupshared memory are allowed: each thread of the group writes its slot
// and thread 0 reads two of them back.
// expect 1 2047 0 0
RWTexture2D<float4> gOut;
groupshared float4 gTile[2048];
[numthreads(1, 1, 1)]
void CS(uint3 id : SV_GroupThreadID)
{
    for (int i = 0; i < 2048; ++i)
        gTile[i] = float4(i, 0, 0, 0);
    GroupMemoryBarrierWithGroupSync();
    gOut[int2(0, 0)] = float4(gTile[1].x, gTile[2047].x, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
