// The whole conversion run, file to file: open and read the input, load,
// normals, write the model text file and put it in place.
#include "bench/bench_inputs.h"
#include "convert/conversion.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{
class CNoProgress : public CStatusSink
{
public:
    void ShowProgress(const std::string&) override {}
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
        CNoProgress status;
        ConversionRequest request;
        request.inputPath = inputPath;
        request.outputPath = outputPath;
        const ConversionResult result = RunConversion(request, status);
        if (!result.Succeeded())
        {
            state.SkipWithError(result.message.c_str());
            break;
        }
    }
    bench::ReportThroughput(state, bytes.size(), shape);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ConversionRun)->Apply(bench::AddShapes)->UseRealTime();
} // namespace
