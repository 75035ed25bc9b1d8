// Preview pictures of the million-face scene (16 objects of 65,535 faces):
// the drawing alone, and the whole run from the .3DS file to the PNG file.
#include "bench/bench_inputs.h"
#include "convert/conversion.h"
#include "convert/preview.h"
#include "platform/executor.h"

#include <filesystem>

namespace
{
class CNoProgress : public CStatusSink
{
public:
    void ShowProgress(const std::string&) override {}
};

void AddPreviewShapes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"objects", "vertices", "size", "both"});
    for (std::int64_t size : {256, 1024})
        for (std::int64_t both : {0, 1})
            benchmark->Args({16, 65535, size, both});
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

void BM_RenderPreview(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const auto loaded = bench::LoadWithNormals(shape);
    CExecutor executor(2);
    for (auto _ : state)
    {
        const CRasterImage picture =
            RenderPreview(*loaded->model, int(state.range(2)), false, state.range(3) != 0, executor);
        benchmark::DoNotOptimize(picture.GetRow(0));
    }
    bench::ReportThroughput(state, 0, shape);
}
BENCHMARK(BM_RenderPreview)->Apply(AddPreviewShapes);

void BM_WritePreview(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    ConversionRequest request;
    request.operation = Operation::Preview;
    request.inputPath = (folder / "tessaline-preview-bench.3ds").string();
    request.outputPath = (folder / "tessaline-preview-bench.png").string();
    request.previewSize = int(state.range(2));
    request.previewBoth = state.range(3) != 0;
    if (!fixtures::WriteFile(request.inputPath, bench::ModelBytes(shape)))
        state.SkipWithError("cannot write the model");
    for (auto _ : state)
    {
        CNoProgress status;
        const ConversionResult result = RunConversion(request, status);
        if (!result.Succeeded())
            state.SkipWithError(result.message.c_str());
    }
    std::filesystem::remove(request.inputPath);
    std::filesystem::remove(request.outputPath);
    bench::ReportThroughput(state, 0, shape);
}
BENCHMARK(BM_WritePreview)->Apply(AddPreviewShapes);
} // namespace
