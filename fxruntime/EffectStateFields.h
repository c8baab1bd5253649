#pragma once
// The fields of the effect state blocks (SamplerState, RasterizerState, DepthStencilState,
// BlendState): Direct3D 11 description names and enumeration names without their prefix, matched
// without regard to case. Each reader takes the field name and the tokens [v, end) of its value
// and returns false for an unknown field or value.
#include <cstddef>
#include <string>

#include "fxruntime/EffectBlob.h"
#include "fxruntime/EffectTokens.h"

bool ReadSamplerField(const EffectTokens& t, EffectSamplerDesc& d, const std::string& field, std::size_t v,
                      std::size_t end);
bool ReadRasterizerField(const EffectTokens& t, EffectRasterizerDesc& d, const std::string& field, std::size_t v,
                         std::size_t end);
bool ReadDepthStencilField(const EffectTokens& t, EffectDepthStencilDesc& d, const std::string& field, std::size_t v,
                           std::size_t end);
// `index` is the render target of a per-target field (0 when none was given); `independentSet`
// records that the block sets IndependentBlendEnable itself.
bool ReadBlendField(const EffectTokens& t, EffectBlendDesc& d, bool& independentSet, const std::string& field,
                    int index, std::size_t v, std::size_t end);
