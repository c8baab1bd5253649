// A group holds techniques only; anything else in it is refused where it stands.
float4 PS() : SV_Target { return 1; }

fxgroup G
{
    technique11 T { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
    float stray;
}
