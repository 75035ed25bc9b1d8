// Preview pictures of the million-face scene (16 objects of 65,535 faces):
// the drawing alone, and the whole run from the .3DS file to the PNG file.
#include "bench/bench_inputs.h"
#include "convert/preview.h"

#include <filesystem>

namespace
{
class CErrorText : public CStatusSink
{
public:
    void ShowMessage(const std::string& text) override { m_strText = text; }
    void ShowProgress(const std::string&) override {}
    const std::string& Text() const { return m_strText; }

private:
    std::string m_strText;
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
    for (auto _ : state)
    {
        const CRasterImage picture = RenderPreview(*loaded->model, int(state.range(2)), false, state.range(3) != 0);
        benchmark::DoNotOptimize(picture.GetRow(0));
    }
    bench::ReportThroughput(state, 0, shape);
}
BENCHMARK(BM_RenderPreview)->Apply(AddPreviewShapes);

void BM_WritePreview(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    PreviewRequest request;
    request.inputPath = (folder / "tessaline-preview-bench.3ds").string();
    request.outputPath = (folder / "tessaline-preview-bench.png").string();
    request.size = int(state.range(2));
    request.both = state.range(3) != 0;
    if (!fixtures::WriteFile(request.inputPath, bench::ModelBytes(shape)))
        state.SkipWithError("cannot write the model");
    for (auto _ : state)
    {
        CErrorText status;
        if (!WritePreview(request, status))
            state.SkipWithError(status.Text().c_str());
    }
    std::filesystem::remove(request.inputPath);
    std::filesystem::remove(request.outputPath);
    bench::ReportThroughput(state, 0, shape);
}
BENCHMARK(BM_WritePreview)->Apply(AddPreviewShapes);
} // namespace
