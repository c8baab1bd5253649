#pragma once
// A disk cache of compiled effects, so that a second start does not compile the same effect files
// again. An entry is found by a digest of everything the compilation depends on: the text of the
// effect file and of every file it includes (with their paths, which the messages name), the
// compiler build and the blob format. Only successful compilations are kept, with their warnings.
//
// Where: SHOW_EFFECT_CACHE_DIR, else $XDG_CACHE_HOME/vexa-rhino/effects, else
// $HOME/.cache/vexa-rhino/effects. SHOW_EFFECT_CACHE=0 turns the cache off. A cache that cannot be
// read or written only costs the compilation; a damaged entry is compiled again and replaced, and so,
// with a warning naming it, is an intact one whose blob this program cannot read or that holds
// another file's techniques.
//
// Shipped compiled effects: the build compiles each shipped effect file into a compiled effect beside
// it ("Post.fxo" beside "Post.fx"), which is taken in place of compiling the file while the file and
// its includes are unchanged and the program holds the compiler build that made it
// (EffectCompilerBuild.h). The user's cache is looked in first; an edited file misses both and is
// compiled as before. SHOW_EFFECT_CACHE=0 passes over the shipped ones too: every start compiles.
//
// Bounded: every rebuilt program misses the cache and adds its own entries, so once per process,
// before its first look-up, entries not used for 30 days go, and then the least recently used ones
// until the rest fit in 64 MiB. An entry's modification time is its last use (a hit renews it).
// Only files the cache itself names are ever removed.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fxruntime/EffectCompiler.h"

// The folder entries go to; empty when the cache is off or no folder can be named. A relative
// SHOW_EFFECT_CACHE_DIR is taken from the working directory the process started in.
std::string EffectCacheDirectory();

// CompileEffectFile through the cache and the shipped compiled effects. `fromCache`, when given, tells
// whether the result came from either.
EffectCompileResult CompileEffectFileCached(const std::string& path, bool* fromCache = nullptr);

// The compiled effect shipped beside the effect file `effectPath`.
std::string CompiledEffectPath(const std::string& effectPath);

// The bytes of the compiled effect to ship beside `path`, for `result`, a compile of it; empty, with
// the reason in `error`, when it cannot be shipped so: the compile failed, warned (its messages would
// name the folder it was built in) or read files that no digest covers.
std::vector<std::uint8_t> EncodeCompiledEffect(const std::string& path, const EffectCompileResult& result,
                                               std::string& error);

// Removes the entry that `path` would be found by now, when the runtime could not build an effect
// from it: such an entry would fail the same way at every start. The entry's path, or empty when
// there was none (the result did not come from the cache).
std::string ForgetEffectCacheEntry(const std::string& path);

// The bytes of the entry the cache writes for `result` under `key` (the entry's file name without
// ".fxc"), for tests that write entries of their own.
std::vector<std::uint8_t> EncodeEffectCacheEntry(const std::string& key, const EffectCompileResult& result);

struct EffectCacheLimits {
    std::chrono::hours maxUnused{24 * 30};
    std::uintmax_t maxBytes = std::uintmax_t{64} << 20;
};

struct EffectCachePruneResult {
    int removed = 0;               // entries, and leftovers of interrupted writes
    std::uintmax_t keptBytes = 0;  // what the entries left behind take
};

// Prunes one cache folder as of `now` (see above). Leftover temporary files of writes that never
// finished go once they are an hour old. Nothing else in the folder is touched or counted.
EffectCachePruneResult PruneEffectCache(const std::filesystem::path& dir, const EffectCacheLimits& limits,
                                        std::filesystem::file_time_type now);
