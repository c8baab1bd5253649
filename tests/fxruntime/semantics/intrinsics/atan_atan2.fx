// atan(x) returns (-pi/2, pi/2): atan(1, -1, 0, 2) = (pi/4, -pi/4, 0, 1.10714872).
// atan2(y, x) is the angle of the point (x, y), in [-pi, pi]; y comes first, and the signs of both
// pick the quadrant: (y, x) = (1, 1) -> pi/4, (1, -1) -> 3pi/4, (-1, -1) -> -3pi/4, (-1, 1) -> -pi/4;
// on the axes (1, 0) -> pi/2, (0, -1) -> pi, (-1, 0) -> -pi/2; (1, 2) -> 0.46364761 and
// (2, 1) -> 1.10714872.
// tolerance 1e-5
// set gT = 1 -1 0 2
// set gY = 1 1 -1 -1
// set gX = 1 -1 -1 1
// set gY2 = 1 0 -1 1
// set gX2 = 0 -1 0 2
// expect 0.78539816 -0.78539816 0 1.10714872
// expect 0.78539816 2.35619449 -2.35619449 -0.78539816
// expect 1.57079633 3.14159265 -1.57079633 0.46364761
// expect 0.78539816 2.35619449 -2.35619449 -0.78539816
// expect 1.10714872 0.46364761 3.14159265 -1.57079633
// expect 0.78539816 1.10714872 0 0
float4 gT;
float4 gY;
float4 gX;
float4 gY2;
float4 gX2;
RWTexture2D<float4> gOut;
[numthreads(1, 1, 1)]
void CS()
{
    gOut[int2(0, 0)] = atan(gT);
    gOut[int2(1, 0)] = atan2(gY, gX);
    gOut[int2(2, 0)] = atan2(gY2, gX2);
    gOut[int2(3, 0)] = atan2(float4(1, 1, -1, -1), float4(1, -1, -1, 1));
    gOut[int2(4, 0)] = float4(atan2(gX2.w, gY2.w), atan2(1.0, 2.0), atan2(0.0, -1.0), atan2(-1.0, 0.0));
    gOut[int2(5, 0)] = float4(atan(1.0), atan(2.0), 0, 0);
}
technique11 T { pass P0 { SetComputeShader( CompileShader( cs_5_0, CS() ) ); } }
