// Face and vertex normals of a loaded model; each call allocates its arrays
// afresh, as the conversion run's single call does.
#include "bench/bench_inputs.h"

namespace
{
void BM_FaceNormals(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const auto loaded = bench::LoadWithNormals(shape);
    for (auto _ : state)
    {
        loaded->model->ComputeFaceNormals();
        benchmark::ClobberMemory();
    }
    bench::ReportThroughput(state, 0, shape);
}
BENCHMARK(BM_FaceNormals)->Apply(bench::AddShapes);

void BM_VertexNormals(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const auto loaded = bench::LoadWithNormals(shape);
    for (auto _ : state)
    {
        loaded->model->ComputeVertexNormals();
        benchmark::ClobberMemory();
    }
    bench::ReportThroughput(state, 0, shape);
}
BENCHMARK(BM_VertexNormals)->Apply(bench::AddShapes);
} // namespace
