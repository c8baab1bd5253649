// Dynamic shader linkage (interfaces and classes) is outside what the compiler translates: it says so
// at the declaration, naming it, instead of the HLSL compiler's "'declaration' : Expected" at (1,1).
// refused (5,1): error X3000: 'interface ILight': interfaces and classes (dynamic shader linkage) are not supported
float4 gColor;
interface ILight
{
    float3 Shade(float3 n);
};
class Sun : ILight
{
    float3 Shade(float3 n) { return saturate(n.y); }
};
float4 PS() : SV_Target { return gColor; }
technique11 T0 { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }
