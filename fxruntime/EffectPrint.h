#pragma once
// A readable listing of a compiled effect: what fxcompile prints and what the compiler's
// reference tests compare.
#include <string>

#include "fxruntime/EffectBlob.h"

struct EffectPrintOptions {
  bool glsl = false;  // include each stage's GLSL source
};

std::string PrintEffect(const EffectBlob& blob, const EffectPrintOptions& options = {});
