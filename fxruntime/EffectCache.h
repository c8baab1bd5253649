#pragma once
// A disk cache of compiled effects, so that a second start does not compile the same effect files
// again. An entry is found by a digest of everything the compilation depends on: the text of the
// effect file and of every file it includes (with their paths, which the messages name), the
// compiler build and the blob format. Only successful compilations are kept, with their warnings.
//
// Where: SHOW_EFFECT_CACHE_DIR, else $XDG_CACHE_HOME/vexa-rhino/effects, else
// $HOME/.cache/vexa-rhino/effects. SHOW_EFFECT_CACHE=0 turns the cache off. A cache that cannot be
// read or written only costs the compilation; a damaged entry is compiled again and replaced.
#include <string>

#include "fxruntime/EffectCompiler.h"

// The folder entries go to; empty when the cache is off or no folder can be named.
std::string EffectCacheDirectory();

// CompileEffectFile through the cache. `fromCache`, when given, tells whether the result came from it.
EffectCompileResult CompileEffectFileCached(const std::string& path, bool* fromCache = nullptr);
