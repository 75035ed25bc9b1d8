// Frames of a keyframed model: every object scaled, turned and moved at each
// frame, and the rotation of single points.
#include "fixtures/chunk_writer.h"
#include "geometry/rotation.h"
#include "model/model_3ds.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
// Objects of a square grid of vertices, each with its own keys.
std::vector<std::uint8_t> AnimatedModelBytes(int objectCount, int verticesPerObject)
{
    std::vector<fixtures::Mesh> meshes;
    fixtures::Keyframes keyframes;
    keyframes.lastFrame = 99;
    for (int m = 0; m < objectCount; ++m)
    {
        fixtures::Mesh mesh;
        mesh.name = "Part" + std::to_string(m);
        for (int i = 0; i < verticesPerObject; ++i)
            mesh.vertices.push_back({float(i % 256), float(i / 256), float(m)});
        for (int i = 0; i + 2 < verticesPerObject; i += 3)
            mesh.faces.push_back({std::uint16_t(i), std::uint16_t(i + 1), std::uint16_t(i + 2)});
        mesh.hasPivot = true;
        mesh.pivot = {128, 128, float(m)};
        meshes.push_back(mesh);
        keyframes.nodes.push_back({mesh.name,
                                   {{0, {0, 0, 0}}, {50, {1, 2, 3}}},
                                   {{50, {1.0f, 0.3f, 0.4f, 0.5f}}, {99, {0.5f, 1, 0, 0}}},
                                   {{0, {1, 1, 1}}, {60, {2, 2, 2}}}});
    }
    return fixtures::BuildModelFile(meshes, &keyframes);
}

void BM_BuildFrame(benchmark::State& state)
{
    const int objectCount = static_cast<int>(state.range(0));
    const int verticesPerObject = static_cast<int>(state.range(1));
    CInputFile file;
    file.OpenMemory(AnimatedModelBytes(objectCount, verticesPerObject));
    std::string text;
    CModel3DS model(nullptr, &text);
    if (!model.LoadFile(&file, LoadMode::KeyframeModel))
    {
        state.SkipWithError("the model did not load");
        return;
    }
    int frame = 0;
    for (auto _ : state)
    {
        ModelObject record;
        model.BuildFrame(frame, &record);
        benchmark::DoNotOptimize(record.vertices.data());
        frame = (frame + 1) % model.GetFrameCount();
    }
    state.counters["vertices"] = benchmark::Counter(double(objectCount) * verticesPerObject * state.iterations(),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildFrame)->Args({16, 4096})->Args({1, 65535});

void BM_RotatePoint(benchmark::State& state)
{
    ModelVertex point{1, 2, 3};
    ModelVertex out;
    float angle = 0.3f;
    for (auto _ : state)
    {
        RotatePoint(point, angle, 0.5f, 0.7f, &out);
        benchmark::DoNotOptimize(out);
        angle += 1e-6f;
    }
}
BENCHMARK(BM_RotatePoint);
} // namespace
