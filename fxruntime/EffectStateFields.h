#pragma once
// The fields of the effect state blocks (SamplerState, RasterizerState, DepthStencilState,
// BlendState), read by the one table of each description's fields (platform/d3d11/StateFields.h):
// names as Direct3D spells them (a stencil face's with the face in front: FrontFaceStencilFail),
// values by the names of Direct3D's enumerators without their prefix, or as numbers, both matched
// without regard to case.
#include <cstddef>
#include <string>

#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectTokens.h"

// Sets the field named `field` (of render target `index`, for a blend target's field) from the tokens
// [v, end). Null for an unknown field or a value outside its domain; else the member that was set.
template <typename Desc>
const void* ReadStateField(const EffectTokens& t, Desc& desc, const std::string& field, int index, std::size_t v,
                           std::size_t end);

extern template const void* ReadStateField(const EffectTokens&, D3D11_SAMPLER_DESC&, const std::string&, int,
                                           std::size_t, std::size_t);
extern template const void* ReadStateField(const EffectTokens&, D3D11_RASTERIZER_DESC&, const std::string&, int,
                                           std::size_t, std::size_t);
extern template const void* ReadStateField(const EffectTokens&, D3D11_DEPTH_STENCIL_DESC&, const std::string&, int,
                                           std::size_t, std::size_t);
extern template const void* ReadStateField(const EffectTokens&, D3D11_BLEND_DESC&, const std::string&, int, std::size_t,
                                           std::size_t);
