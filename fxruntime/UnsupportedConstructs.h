#pragma once
// Constructs the HLSL compiler we use ends its process on rather than report, refused at their place
// in the file before it sees them (a crash past these would still only fail the effect, through the
// compile child, but with a message that cannot say where):
// - `[numthreads]` without its three counts, or with another number of them;
// - `GetRenderTargetSampleCount()` and `GetRenderTargetSamplePosition()`, which need the render
//   target's sample pattern at run time, which the compiled code does not have;
// - `msad4`, which glslang has no translation for and crashes on;
// - a case label that names a variable (`case 1 + a:` with `int a = ...`).
#include "fxruntime/EffectTokens.h"

void RefuseUnsupportedConstructs(EffectTokens& tokens);
