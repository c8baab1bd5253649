// % and fmod take the dividend's sign, as C's remainder does: x - y * trunc(x / y).
// 42 % 5 = 2, -42 % 5 = -2, fmod(42, -5) = 2, fmod(-42, 5) = -2; the same for int.
// set gXY = 42 5
// set gIJ = int 42 5
// expect 2 -2 2 -2
// expect 2 -2 2 -2
// expect 0.5 -0.5 0.5 -0.5
float2 gXY;
int2 gIJ;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    float x = gXY.x, y = gXY.y;
    int i = gIJ.x, j = gIJ.y;
    gOut[int2(0, 0)] = float4(x % y, -x % y, fmod(x, -y), fmod(-x, y));
    gOut[int2(1, 0)] = float4(i % j, -i % j, i % -j, -i % -j);
    gOut[int2(2, 0)] = float4(fmod(2.5, 2.0), fmod(-2.5, 2.0), fmod(2.5, -2.0), -2.5 % 2.0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
