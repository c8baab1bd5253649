// A macro that writes a whole technique is refused where it is defined: techniques are read before
// the preprocessor runs, and the technique would otherwise be dropped without a word.
float4 PS() : SV_Target { return 1; }
#define MAKE_TECH(name) \
    technique11 name { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
MAKE_TECH(Light1)
