// fxgroup: techniques inside groups are the effect's techniques, found by their own names beside
// those outside any group; annotations on the group are read past, and a group may end in ';'.
float4 PS(uniform float v) : SV_Target { return v; }

fxgroup Lights < string Author = "x"; >
{
    technique11 Dim { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS(0.25f) ) ); } }
    technique11 Bright { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS(1.0f) ) ); } }
};

technique11 Outside { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS(0.5f) ) ); } }
