// INT_MIN / -1 does not fit an int: Direct3D's division works on the magnitudes and gives the
// quotient the sign of x XOR y, which wraps it to INT_MIN; the remainder is 0. Values from the buffer,
// so the division happens in the shader.
// set gXY = int -2147483648 -1 0 0
// output int
// expect -2147483648 0 2147483647 0
int4 gXY;
RWTexture2D<int4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = int4(gXY.x / gXY.y, gXY.x % gXY.y, (gXY.x + 1) / gXY.y, (gXY.x + 1) % gXY.y);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
