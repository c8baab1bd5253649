BlendState B { BlendEnable[9] = TRUE; SrcBlend[-1] = ONE; };
RasterizerState R { DepthBias = 99999999999999999999; FillMode = ; };
SamplerState S { Filter = ANISOTROPIC; AddressU = ; BorderColor = float4(1,2,3); MaxAnisotropy = -5; };
technique11 T { pass P { SetRasterizerState(R); SetDepthStencilState(D, 999999999999); } }
