// An error inside an included file names that file and its line.
#include "inc/common.fxh"

float4 VS(float3 posL : POSITION) : SV_POSITION
{
    return Brighten(float4(posL, 1.0f));
}

technique11 T
{
    pass P0
    {
        SetVertexShader( CompileShader( vs_5_0, VS() ) );
        SetPixelShader( NULL );
    }
}
