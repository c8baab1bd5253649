// The last case of a switch ends with break or return too (here a discard, which does not end it).
// refused this case's statements must end with break or return
int4 gI;
float4 PS(float4 p : SV_Position) : SV_Target
{
    switch (gI.x) {
    case 0:
        return 1;
    default:
        discard;
    }
    return 0;
}
technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
