#pragma once
// Rewrites of the HLSL compiler's SPIR-V that give it Direct3D's meaning where SPIR-V (and the GLSL
// made from it) leaves a case undefined or means something else, and that keep SPIRV-Cross away from
// a shape it translates wrongly:
//
// - `%` and `fmod` take the dividend's sign (x - y * trunc(x / y)), as C's remainder does; glslang
//   gives them GLSL's modulo, which takes the divisor's sign (42 % -5 would be -3, not 2).
// - A shift count is taken modulo 32 (SPIR-V leaves counts of 32 and more undefined).
// - Float to integer conversion truncates and saturates: NaN gives 0; to uint, a negative value gives
//   0 and one of 2^32 or more 0xFFFFFFFF; to int, the ends are INT_MIN and INT_MAX.
// - Unsigned division and remainder by zero give 0xFFFFFFFF. Signed ones work on the magnitudes the
//   same way and then give the quotient the sign of x XOR y and the remainder the sign of x, so x / 0
//   and x % 0 are -1 for x >= 0 and 1 for x < 0, and INT_MIN / -1 is INT_MIN (wrapped).
// - A value chosen where a loop ends (an OpPhi in the loop's merge block) goes through a variable:
//   SPIRV-Cross 2021.01 drops the value that arrives when the loop's condition fails once the loop
//   also has a break, so `for (...) { ...; if (c) break; }` returned whatever the break path last
//   held.
#include <cstdint>
#include <string>
#include <vector>

class SpirvModule;

// The rules on a module already read (the effect compiler's one reading of a stage's SPIR-V).
void ApplyHlslRules(SpirvModule& module);

// The same on words: false, with the reason, when `spirv` cannot be read as a module (nothing is
// changed then).
bool ApplyHlslRules(std::vector<std::uint32_t>& spirv, std::string& error);
