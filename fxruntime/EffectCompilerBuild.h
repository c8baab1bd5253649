#pragma once
// Which build of the effect compiler this program holds: a digest of the compiler's archive and of
// the HLSL libraries linked into it, made by the build (fxruntime/CMakeLists.txt). Two programs
// with the same stamp compile every effect file to the same bytes.
const char* EffectCompilerBuildStamp();
