// A label at the end of a switch, with nothing after it, is refused.
// refused the last case of a switch needs a statement (break)
int4 gI;
float4 PS(float4 p : SV_Position) : SV_Target
{
    switch (gI.x) {
    case 0:
        return 1;
    case 1:
    }
    return 0;
}
technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
