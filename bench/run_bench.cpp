// The whole conversion run, file to file: open and read the input, load,
// normals, write the model text file and put it in place.
#include "bench/bench_inputs.h"
#include "convert/conversion.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{
// Keeps the last message, for a run that fails.
class CLastMessage : public CStatusSink
{
public:
    void ShowMessage(const std::string& text) override { m_strLast = text; }
    void ShowProgress(const std::string&) override {}
    const std::string& Last() const { return m_strLast; }

private:
    std::string m_strLast;
};

void BM_ConversionRun(benchmark::State& state)
{
    const bench::BenchModelShape shape = bench::ShapeOf(state);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tessaline-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string inputPath = (folder / "scene.3ds").string();
    const std::string outputPath = (folder / "scene.dtq").string();
    const std::vector<std::uint8_t>& bytes = bench::ModelBytes(shape);
    if (!fixtures::WriteFile(inputPath, bytes))
        state.SkipWithError("cannot write the input file");

    for (auto _ : state)
    {
        CLastMessage status;
        ConversionRequest request;
        request.inputPath = inputPath;
        request.outputPath = outputPath;
        if (!ConvertModel(request, status))
        {
            state.SkipWithError(status.Last().c_str());
            break;
        }
    }
    bench::ReportThroughput(state, bytes.size(), shape);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ConversionRun)->Apply(bench::AddShapes)->UseRealTime();
} // namespace
