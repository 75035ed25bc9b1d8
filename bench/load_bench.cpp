// Reading a .3DS file that is already in memory into a model.
#include "bench/bench_inputs.h"
#include "platform/input_file.h"

namespace
{
void BM_Load(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    CInputFile file;
    file.OpenMemory(bench::ModelBytes(shape));
    for (auto _ : state)
    {
        std::string statusText;
        CModel3DS model(nullptr, &statusText);
        if (!model.LoadFile(&file, LoadMode::KeyframeModel))
            state.SkipWithError(statusText.c_str());
        benchmark::DoNotOptimize(model.GetObject(0));
    }
    bench::ReportThroughput(state, file.GetLength(), shape);
}
BENCHMARK(BM_Load)->Apply(bench::AddShapes);
} // namespace
