#include "bench/bench_inputs.h"

#include "platform/input_file.h"

#include <map>
#include <stdexcept>
#include <utility>

namespace bench
{

BenchModelShape ShapeOf(const benchmark::State& state)
{
    BenchModelShape shape;
    shape.objectCount = static_cast<std::uint32_t>(state.range(0));
    shape.verticesPerObject = static_cast<std::uint32_t>(state.range(1));
    return shape;
}

const std::vector<std::uint8_t>& ModelBytes(const BenchModelShape& shape)
{
    static std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::uint8_t>> cache;
    const auto key = std::make_pair(shape.objectCount, shape.verticesPerObject);
    auto found = cache.find(key);
    if (found == cache.end())
        found = cache.emplace(key, BuildBenchModel(shape)).first;
    return found->second;
}

std::unique_ptr<LoadedModel> LoadWithNormals(const BenchModelShape& shape)
{
    auto loaded = std::make_unique<LoadedModel>();
    loaded->model = std::make_unique<CModel3DS>(nullptr, &loaded->statusText);
    CInputFile file;
    file.OpenMemory(ModelBytes(shape));
    if (!loaded->model->LoadFile(&file, LoadMode::KeyframeModel))
        throw std::runtime_error("benchmark model does not load: " + loaded->statusText);
    loaded->model->ComputeFaceNormals();
    loaded->model->ComputeVertexNormals();
    return loaded;
}

void ReportThroughput(benchmark::State& state, std::uint64_t bytesPerIteration, const BenchModelShape& shape)
{
    const auto iterations = static_cast<double>(state.iterations());
    if (bytesPerIteration > 0)
        state.SetBytesProcessed(static_cast<std::int64_t>(bytesPerIteration * state.iterations()));
    state.counters["vertices"] =
        benchmark::Counter(static_cast<double>(TotalVertices(shape)) * iterations, benchmark::Counter::kIsRate);
}

void AddShapes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"objects", "vertices"});
    benchmark->Args({16, 32768});
    benchmark->Args({1, 32768}); // one object of 32,768 vertices and 64,770 faces
    benchmark->Args({1, 65535});
    for (std::int64_t vertices = 1024; vertices <= 16384; vertices *= 4)
        benchmark->Args({16, vertices});
    benchmark->Unit(benchmark::kMillisecond);
}

} // namespace bench
