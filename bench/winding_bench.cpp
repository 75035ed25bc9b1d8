// The winding advice: the look from 26 directions at the million-face scene
// (16 sheets of 65,535 faces) alone, the whole --info run on its file, and
// --info on each packaged model, the slowest one counted.
#include "bench/bench_inputs.h"
#include "convert/conversion.h"
#include "geometry/winding.h"
#include "platform/executor.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace
{
class CNoProgress : public CStatusSink
{
public:
    void ShowProgress(const std::string&) override {}
};

void AddSceneShape(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"objects", "vertices"})->Args({16, 65535})->Unit(benchmark::kMillisecond)->UseRealTime();
}

void BM_LookAtSurface(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const auto loaded = bench::LoadWithNormals(shape);
    std::vector<const ModelObject*> objects;
    for (int i = 0; i < loaded->model->GetObjectCount(); ++i)
        objects.push_back(loaded->model->GetObject(i));
    CExecutor executor(2);
    for (auto _ : state)
    {
        const SurfaceSight sight = LookAtSurface(objects, executor);
        benchmark::DoNotOptimize(sight.patches.data());
    }
    bench::ReportThroughput(state, 0, shape);
}
BENCHMARK(BM_LookAtSurface)->Apply(AddSceneShape);

void BM_InfoScene(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const std::filesystem::path input = std::filesystem::temp_directory_path() / "tessaline-winding-bench.3ds";
    if (!fixtures::WriteFile(input.string(), bench::ModelBytes(shape)))
        state.SkipWithError("cannot write the model");
    CExecutor executor(2);
    ConversionRequest request;
    request.operation = Operation::Info;
    request.inputPath = input.string();
    request.executor = &executor;
    for (auto _ : state)
    {
        CNoProgress status;
        const ConversionResult result = RunConversion(request, status);
        if (!result.Succeeded())
            state.SkipWithError(result.message.c_str());
    }
    std::filesystem::remove(input);
    bench::ReportThroughput(state, bench::ModelBytes(shape).size(), shape);
}
BENCHMARK(BM_InfoScene)->Apply(AddSceneShape);

// Every packaged .3DS model once per iteration; "slowest_ms" is the longest
// single report.
void BM_InfoPackagedModels(benchmark::State& state)
{
    std::vector<std::string> models;
    for (const char* folder : {"/usr/share/assimp/models", "/usr/share/glmark2"})
    {
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error))
        {
            std::string extension = it->path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
            if (extension == ".3ds" && it->is_regular_file(error))
                models.push_back(it->path().string());
        }
    }
    if (models.empty())
        state.SkipWithError("no packaged models");
    CExecutor executor(2);
    double slowest = 0.0;
    for (auto _ : state)
        for (const std::string& model : models)
        {
            ConversionRequest request;
            request.operation = Operation::Info;
            request.inputPath = model;
            request.executor = &executor;
            CNoProgress status;
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(RunConversion(request, status).kind);
            slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    state.counters["models"] = double(models.size());
    state.counters["slowest_ms"] = slowest;
}
BENCHMARK(BM_InfoPackagedModels)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
