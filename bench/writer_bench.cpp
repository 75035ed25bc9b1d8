// The model text writer, and the number formatting that dominates it.
#include "bench/bench_inputs.h"
#include "convert/model_text_writer.h"
#include "convert/number_format.h"
#include "platform/byte_sink.h"

#include <charconv>
#include <vector>

namespace
{
// Counts the bytes and drops them: the writer alone, without a file system.
class CCountingSink : public CByteSink
{
public:
    bool Write(const char* data, std::size_t count) override
    {
        benchmark::DoNotOptimize(data);
        m_nBytes += count;
        return true;
    }
    std::uint64_t Bytes() const { return m_nBytes; }

private:
    std::uint64_t m_nBytes = 0;
};

void BM_WriteModelText(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const auto loaded = bench::LoadWithNormals(shape);
    std::uint64_t bytesPerFile = 0;
    for (auto _ : state)
    {
        CCountingSink sink;
        WriteModelText(*loaded->model, "scene.RAW", false, sink);
        bytesPerFile = sink.Bytes();
    }
    bench::ReportThroughput(state, bytesPerFile, shape);
}
BENCHMARK(BM_WriteModelText)->Apply(bench::AddShapes);

// The eight reals of every vertex line, in the order the writer prints them.
std::vector<double> VertexLineReals(CModel3DS& model)
{
    const double scale = 0.04f;
    std::vector<double> reals;
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        for (std::size_t k = 0; k < object.vertices.size(); ++k)
        {
            const ModelVertex& vertex = object.vertices[k];
            const ModelVertex& normal = object.vertexNormals[k];
            for (double value : {vertex.x * scale, vertex.z * scale, vertex.y * scale, double{normal.x},
                                 double{normal.z}, double{normal.y}, double{vertex.u}, double{vertex.v}})
                reals.push_back(value);
        }
    }
    return reals;
}

// Formats the reals of the scene's vertex lines, one after another.
template <typename Format>
void FormatVertexReals(benchmark::State& state, Format format)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const std::vector<double> reals = VertexLineReals(*bench::LoadWithNormals(shape)->model);
    char text[kMaxRealChars];
    std::uint64_t bytesPerPass = 0;
    for (auto _ : state)
    {
        bytesPerPass = 0;
        for (double value : reals)
        {
            char* end = format(text, value);
            benchmark::DoNotOptimize(text);
            bytesPerPass += static_cast<std::uint64_t>(end - text);
        }
    }
    bench::ReportThroughput(state, bytesPerPass, shape);
    state.counters["numbers"] = benchmark::Counter(static_cast<double>(reals.size()) *
                                                       static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

// Our formatting, as the writer uses it.
void BM_FormatReal(benchmark::State& state)
{
    FormatVertexReals(state, [](char* out, double value) { return FormatReal(out, value); });
}
BENCHMARK(BM_FormatReal)->ArgNames({"objects", "vertices"})->Args({16, 32768})->Unit(benchmark::kMillisecond);

// The standard library on the same values, six significant digits as %g
// (without widening the exponent, which would only add to its time): what
// the hand-written path is measured against.
void BM_ToCharsGeneral(benchmark::State& state)
{
    FormatVertexReals(state, [](char* out, double value) {
        return std::to_chars(out, out + kMaxRealChars, value, std::chars_format::general, 6).ptr;
    });
}
BENCHMARK(BM_ToCharsGeneral)->ArgNames({"objects", "vertices"})->Args({16, 32768})->Unit(benchmark::kMillisecond);
} // namespace
