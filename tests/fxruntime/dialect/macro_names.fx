// Technique and pass names may be object-like macros, read as the preprocessor reads them: through a
// chain of macros, by the definition above the use, and as written once the macro is undefined.
#define LIGHT_TECH Light1
#define FIRST_PASS SHADE
#define SHADE P0
float4 PS() : SV_Target { return 1; }

technique11 LIGHT_TECH { pass FIRST_PASS { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }

#undef LIGHT_TECH
#define LIGHT_TECH Light2
technique11 LIGHT_TECH { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }

#undef LIGHT_TECH
technique11 LIGHT_TECH { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
