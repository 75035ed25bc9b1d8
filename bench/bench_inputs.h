#pragma once

#include "bench/bench_model.h"
#include "model/model_3ds.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Inputs shared by the benchmark suites, built once per shape. A benchmark's
// arguments are (object count, vertices per object).
namespace bench
{

BenchModelShape ShapeOf(const benchmark::State& state);

// The .3DS bytes of a shape.
const std::vector<std::uint8_t>& ModelBytes(const BenchModelShape& shape);

// A model of the shape, loaded, with face and vertex normals.
struct LoadedModel
{
    std::string statusText;
    std::unique_ptr<CModel3DS> model;
};
std::unique_ptr<LoadedModel> LoadWithNormals(const BenchModelShape& shape);

// Sets bytes per second (when bytesPerIteration is not 0) and a "vertices"
// rate for the work done per iteration.
void ReportThroughput(benchmark::State& state, std::uint64_t bytesPerIteration, const BenchModelShape& shape);

// The shapes every suite runs: the 16-object scene of the comparison, one
// object at the format's limit, and per-object sizes in doublings.
void AddShapes(benchmark::internal::Benchmark* benchmark);

} // namespace bench
