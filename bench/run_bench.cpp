// The whole conversion run, file to file: open and read the input, load,
// normals, write the model text file and put it in place.
#include "bench/bench_inputs.h"
#include "convert/control_ids.h"
#include "convert/conversion_run.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{
// The dialog's controls with fixed paths; messages are dropped.
class CQuietWindow : public CDialogWindow
{
public:
    CQuietWindow(std::string inputPath, std::string outputPath)
        : m_strInput(std::move(inputPath)), m_strOutput(std::move(outputPath))
    {
    }
    std::string GetDlgItemText(int id) override { return id == IDC_INPUT ? m_strInput : m_strOutput; }
    bool IsDlgButtonChecked(int) override { return false; }
    void EnableDlgItem(int, bool) override {}
    void EndDialogOK() override {}
    void SetDlgItemText(int, const std::string& text) override { m_strLast = text; }
    void UpdateWindow() override {}
    const std::string& LastMessage() const { return m_strLast; }

private:
    std::string m_strInput;
    std::string m_strOutput;
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
        CQuietWindow window(inputPath, outputPath);
        bool flip = false;
        if (!RunConversion(window, flip))
        {
            state.SkipWithError(window.LastMessage().c_str());
            break;
        }
    }
    bench::ReportThroughput(state, bytes.size(), shape);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ConversionRun)->Apply(bench::AddShapes)->UseRealTime();
} // namespace
