// Run: fxcompile_bench --benchmark_repetitions=5 (the median is the figure to quote).
#include <benchmark/benchmark.h>

#include "fxruntime/EffectCompiler.h"

namespace {

const char* const kFiles[] = {
    "color.fx", "Basic.fx", "Basic32.fx",           "Basic32BF.fx", "Blur.fx",           "InstancedBasic32BF.fx",
    "Post.fx",  "Sky.fx",   "InstancedBasicMTR.fx", "NormalMap.fx", "DisplacementMap.fx"};

void CompileAllEffects(benchmark::State& state)
{
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const char* f : kFiles) {
            const EffectCompileResult result = CompileEffectFile(std::string(EFFECT_FILES_DIR) + "/" + f);
            if (!result.succeeded)
                state.SkipWithError(f);
            bytes += result.code.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(CompileAllEffects)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

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
