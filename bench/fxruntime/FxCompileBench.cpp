// Run: fxcompile_bench --benchmark_repetitions=5 (the median is the figure to quote); the first
// repetition of the first benchmark run also sets the compiler up.
#include <benchmark/benchmark.h>

#include "fxruntime/EffectCompiler.h"

namespace {

const char* const kFiles[] = {
    "color.fx", "Basic.fx", "Basic32.fx",           "Basic32BF.fx", "Blur.fx",           "InstancedBasic32BF.fx",
    "Post.fx",  "Sky.fx",   "InstancedBasicMTR.fx", "NormalMap.fx", "DisplacementMap.fx"};

// The files as a start compiles them: each in the compile server, which the first file starts.
// Run it in a process of its own (--benchmark_filter) for the cost of a start.
void CompileAll(benchmark::State& state, EffectCompileResult (*compile)(const std::string&))
{
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const char* f : kFiles) {
            const EffectCompileResult result = compile(std::string(EFFECT_FILES_DIR) + "/" + f);
            if (!result.succeeded)
                state.SkipWithError(f);
            bytes += result.code.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

void CompileAllEffects(benchmark::State& state)
{
    CompileAll(state, CompileEffectFile);
}
BENCHMARK(CompileAllEffects)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same in this process, unprotected: what the isolation costs is the difference.
void CompileAllEffectsInProcess(benchmark::State& state)
{
    CompileAll(state, CompileEffectFileInThisProcess);
}
BENCHMARK(CompileAllEffectsInProcess)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void CompileOneEntryHeavyFile(benchmark::State& state)
{
    for (auto _ : state) {
        const EffectCompileResult result = CompileEffectFile(std::string(EFFECT_FILES_DIR) + "/NormalMap.fx");
        benchmark::DoNotOptimize(result.code.data());
    }
}
BENCHMARK(CompileOneEntryHeavyFile)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
