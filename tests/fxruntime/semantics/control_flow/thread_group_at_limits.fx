// A thread group of 1024 threads (the most shader model 5 runs) works: each thread adds itself to a
// groupshared counter, which thread 0 writes out after the barrier: 1024 threads, ids summing to
// 0 + 1 + ... + 1023 = 523776.
// output uint
// expect 1024 523776 0 0
RWTexture2D<uint4> gOut;
groupshared uint gCount;
groupshared uint gSum;
[numthreads(16, 64, 1)]
void CS(uint index : SV_GroupIndex)
{
    if (index == 0) {
        gCount = 0;
        gSum = 0;
    }
    GroupMemoryBarrierWithGroupSync();
    InterlockedAdd(gCount, 1);
    InterlockedAdd(gSum, index);
    GroupMemoryBarrierWithGroupSync();
    if (index == 0)
        gOut[int2(0, 0)] = uint4(gCount, gSum, 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
