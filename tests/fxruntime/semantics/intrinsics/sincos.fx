// sincos(x, out s, out c) sets s = sin(x) and c = cos(x), the sine in the first out parameter.
// x = (pi/6, pi/3, -pi/2, 2): s = (0.5, 0.8660254, -1, 0.90929743), c = (0.8660254, 0.5, 0, -0.41614684).
// tolerance 1e-5
// set gA = 0.52359879 1.04719755 -1.57079633 2
// expect 0.5 0.8660254 -1 0.90929743
// expect 0.8660254 0.5 0 -0.41614684
// expect 0.90929743 -0.41614684 0.5 0.8660254
float4 gA;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float4 s, c;
    sincos(gA, s, c);
    gOut[int2(0, 0)] = s;
    gOut[int2(1, 0)] = c;
    float s1, c1, s2, c2;
    sincos(gA.w, s1, c1);
    sincos(0.52359879, s2, c2);
    gOut[int2(2, 0)] = float4(s1, c1, s2, c2);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
