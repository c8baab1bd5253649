// return leaves the function at once, from inside an if or from inside nested loops, and a void
// function may return early too; what it assigned to an inout parameter before returning is kept.
// texel 0: Sign3 of (2.5, -3, 0, -0) = (1, -1, 0, 0) (-0 is neither above nor below 0)
// texel 1: (FirstAbove(37.5) = 38, the first 10 * i + j above it in two nested loops;
// FirstAbove(150) = -1 after both loops; Clamp01x2(-1) = 0, returned early after x = 0;
// Clamp01x2(5) = 5, returned early unchanged)
// texel 2: (Clamp01x2(0.25) = 0.5, reaching the end; Count(3) = 3, a loop whose return at i == n
// leaves the function, not only the loop; Count(20) = 10, no return in the loop; 0)
// set gV = 2.5 -3 0 -0
// set gT = 37.5 150 -1 5
// set gU = 0.25 3 20
// expect 1 -1 0 0
// expect 38 -1 0 5
// expect 0.5 3 10 0
float4 gV;
float4 gT;
float3 gU;
RWTexture2D<float4> gOut;
float Sign3(float x)
{
    if (x > 0)
        return 1;
    if (x < 0)
        return -1;
    return 0;
}
float FirstAbove(float t)
{
    for (int i = 0; i < 10; i++) {
        for (int j = 0; j < 10; j++) {
            if (i * 10 + j > t)
                return i * 10 + j;
        }
    }
    return -1;
}
void Clamp01x2(inout float x)
{
    if (x < 0) {
        x = 0;
        return;
    }
    if (x > 1)
        return;
    x = x * 2;
}
float Count(float n)
{
    float c = 0;
    for (int i = 0; i < 10; i++) {
        if (i == n)
            return c;
        c += 1;
    }
    return c;
}
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = float4(Sign3(gV.x), Sign3(gV.y), Sign3(gV.z), Sign3(gV.w));
    float a = gT.z, b = gT.w, c = gU.x;
    Clamp01x2(a);
    Clamp01x2(b);
    Clamp01x2(c);
    gOut[int2(1, 0)] = float4(FirstAbove(gT.x), FirstAbove(gT.y), a, b);
    gOut[int2(2, 0)] = float4(c, Count(gU.y), Count(gU.z), 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
