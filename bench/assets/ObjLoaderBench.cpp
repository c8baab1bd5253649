// Reads one generated model of about a million triangles with our ObjLoader and with tinyobjloader
// (default settings) and reports both read rates and their ratio.
//
// The model is a triangulated height-field grid with a position, texture coordinate and normal on every
// corner, split into several groups that each select a material from one library, written
// deterministically into a temporary folder that is the current directory while the benchmark runs
// (both readers open the library relative to it).

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "assets/ObjLoader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGridSide = 708;  // (708 - 1)^2 * 2 = 999,698 triangles
constexpr int kGroups = 8;
constexpr int kMaterials = 4;
const char* const kModelFile = "bench-model.obj";

std::uintmax_t modelBytes = 0;

void WriteModel()
{
    std::FILE* mtl = std::fopen("bench-model.mtl", "wb");
    for (int m = 0; m < kMaterials; ++m) {
        std::fprintf(mtl,
                     "newmtl material%d\nKa 0.1 0.1 0.1\nKd 0.%d 0.5 0.5\nKs 1 1 1\nNs 32\nd 1\nillum 2\n"
                     "map_Kd texture%d.png\n\n",
                     m, m + 1, m);
    }
    std::fclose(mtl);

    std::FILE* obj = std::fopen(kModelFile, "wb");
    std::fprintf(obj, "# generated benchmark model\nmtllib bench-model.mtl\n");
    const auto height = [](int i, int j) { return 0.25 * std::sin(i * 0.05) * std::cos(j * 0.07); };
    for (int i = 0; i < kGridSide; ++i) {
        for (int j = 0; j < kGridSide; ++j) {
            std::fprintf(obj, "v %.6f %.6f %.6f\n", i * 0.01 - 3.5, height(i, j), j * 0.01 - 3.5);
        }
    }
    for (int i = 0; i < kGridSide; ++i) {
        for (int j = 0; j < kGridSide; ++j) {
            std::fprintf(obj, "vt %.6f %.6f\n", i / double(kGridSide - 1), j / double(kGridSide - 1));
        }
    }
    for (int i = 0; i < kGridSide; ++i) {
        for (int j = 0; j < kGridSide; ++j) {
            const double nx = -0.0125 * std::cos(i * 0.05) * std::cos(j * 0.07);
            const double nz = 0.0175 * std::sin(i * 0.05) * std::sin(j * 0.07);
            const double length = std::sqrt(nx * nx + 1.0 + nz * nz);
            std::fprintf(obj, "vn %.6f %.6f %.6f\n", nx / length, 1.0 / length, nz / length);
        }
    }
    const int rowsPerGroup = (kGridSide - 1 + kGroups - 1) / kGroups;
    for (int i = 0; i < kGridSide - 1; ++i) {
        if (i % rowsPerGroup == 0) {
            const int group = i / rowsPerGroup;
            std::fprintf(obj, "g Part%d\nusemtl material%d\ns 1\n", group, group % kMaterials);
        }
        for (int j = 0; j < kGridSide - 1; ++j) {
            const int a = i * kGridSide + j + 1;
            const int b = a + 1;
            const int c = a + kGridSide;
            const int d = c + 1;
            std::fprintf(obj, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, c, c, c, b, b, b);
            std::fprintf(obj, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", b, b, b, c, c, c, d, d, d);
        }
    }
    std::fclose(obj);
    modelBytes = fs::file_size(kModelFile);
}

void SetRate(benchmark::State& state)
{
    state.counters["MB/s"] = benchmark::Counter(double(modelBytes) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
    state.counters["MB"] = double(modelBytes) / 1e6;
}

void BM_ObjLoader(benchmark::State& state)
{
    for (auto _ : state) {
        ObjLoader loader(kModelFile);
        if (loader.faces.size() != size_t(2 * (kGridSide - 1) * (kGridSide - 1)) || loader.meshes.size() != kGroups) {
            state.SkipWithError("ObjLoader read the model wrongly");
            break;
        }
        benchmark::DoNotOptimize(loader.faces.data());
    }
    SetRate(state);
}
BENCHMARK(BM_ObjLoader)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_TinyObjLoader(benchmark::State& state)
{
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn;
        std::string err;
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, kModelFile)) {
            state.SkipWithError(("tinyobjloader failed: " + err).c_str());
            break;
        }
        benchmark::DoNotOptimize(shapes.data());
    }
    SetRate(state);
}
BENCHMARK(BM_TinyObjLoader)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Prints the usual table and remembers each benchmark's rate for the ratio (the median of the
// repetitions, which a busy machine disturbs least).
class RateReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto found = run.counters.find("MB/s");
            if (!run.error_occurred && found != run.counters.end() && run.aggregate_name == "median") {
                rates[run.run_name.function_name] = found->second.value;
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // Interleave the repetitions of the two readers and report only the aggregates unless told
    // otherwise: on a shared machine the load changes while the benchmark runs, and interleaving
    // spreads it over both.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    args.insert(args.begin() + 1, {interleave, aggregatesOnly});
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    std::string folderPattern = (fs::temp_directory_path() / "objloader-bench-XXXXXX").string();
    if (mkdtemp(folderPattern.data()) == nullptr) {
        std::perror("objloader_bench: cannot create a temporary folder");
        return 1;
    }
    const fs::path folder = folderPattern;
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    WriteModel();
    std::printf("model: %s, %.1f MB\n", (folder / kModelFile).c_str(), double(modelBytes) / 1e6);

    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    fs::current_path(previous);
    fs::remove_all(folder);

    const auto ours = reporter.rates.find("BM_ObjLoader");
    const auto theirs = reporter.rates.find("BM_TinyObjLoader");
    if (ours != reporter.rates.end() && theirs != reporter.rates.end() && theirs->second > 0.0) {
        std::printf("median: ObjLoader %.1f MB/s, tinyobjloader %.1f MB/s, ratio %.2f\n", ours->second, theirs->second,
                    ours->second / theirs->second);
    }
    return 0;
}
