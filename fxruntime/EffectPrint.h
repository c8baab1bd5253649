#pragma once
// A readable listing of a compiled effect: what fxcompile prints and what the compiler's
// reference tests compare.
#include <string>

#include "fxruntime/EffectBlob.h"

struct EffectPrintOptions {
    bool glsl = false;  // include each stage's GLSL source
};

// `blob` as ParseEffectBlob returns it (with each stage's parsed form).
std::string PrintEffect(const EffectBlob& blob, const EffectPrintOptions& options = {});
