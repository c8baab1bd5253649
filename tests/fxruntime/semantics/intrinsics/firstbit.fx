// firstbithigh and firstbitlow give a bit's index counted from bit 0, or -1 (0xFFFFFFFF) when no
// bit is found. firstbitlow finds the lowest set bit. firstbithigh on a uint finds the highest set
// bit; on an int it finds the highest set bit of a positive number, and for a negative one the
// highest bit that differs from the sign, that is the highest 0.
// uint (1, 0x80000000, 0, 0x12345): high (0, 31, -1, 16); 0xFFFFFFFF as uint: 31.
// int (16, -1, -2, -256): high (4, -1, 0, 7);
// int (0x80000000, 0, 0x7FFFFFFF, 0xBFFFFFFF): high (30, -1, 30, 30).
// low of (1, 0x80000000, 0, 0x12340) = (0, 31, -1, 6); low of int -8 = 3.
// set gU = uint 1 0x80000000 0 0x12345
// set gI = int 16 -1 -2 -256
// set gJ = int 0x80000000 0 0x7FFFFFFF 0xBFFFFFFF
// set gL = uint 1 0x80000000 0 0x12340
// output int
// expect 0 31 -1 16
// expect 4 -1 0 7
// expect 30 -1 30 30
// expect 0 31 -1 6
// expect 31 -1 3 16
uint4 gU;
int4 gI;
int4 gJ;
uint4 gL;
RWTexture2D<int4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = int4(firstbithigh(gU));
    gOut[int2(1, 0)] = int4(firstbithigh(gI));
    gOut[int2(2, 0)] = int4(firstbithigh(gJ));
    gOut[int2(3, 0)] = int4(firstbitlow(gL));
    gOut[int2(4, 0)] = int4(firstbithigh(gU.y | (gU.y - 1)), firstbithigh(gI.y), firstbitlow(gI.w / 32), firstbithigh(0x12345u));
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
