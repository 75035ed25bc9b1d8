#include "cli/options.h"
#include "cli/parallel_batch.h"
#include "cli/terminal_status.h"
#include "convert/conversion.h"
#include "convert/output_naming.h"
#include "platform/version.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
enum ExitStatus : int
{
    kExitConverted = 0,
    kExitConversionFailed = 1,
    kExitUsageError = 2,
};

bool ConvertFile(const std::string& inputPath, const std::string& outputPath, const ConvertOptions& options,
                 bool nameLines)
{
    CTerminalStatus status(nameLines ? inputPath + ": " : std::string());
    const ConversionRequest request{inputPath, outputPath, options.flip};
    return options.frames ? ExportFrames(request, *options.frames, status) : ConvertModel(request, status);
}

// Each file has a model of its own; with several at once, their message
// lines interleave and so carry their input path.
int ConvertAll(const ConvertOptions& options)
{
    const unsigned jobs = options.jobs != 0 ? options.jobs : DefaultJobCount();
    const bool nameLines = WorkerCount(options.inputs.size(), jobs) > 1;
    const bool allConverted = RunTasks(options.inputs.size(), jobs, [&](std::size_t index) {
        const std::string& input = options.inputs[index];
        const std::string output = options.output ? *options.output : DefaultOutputName(input);
        return ConvertFile(input, output, options, nameLines);
    });
    return allConverted ? kExitConverted : kExitConversionFailed;
}
} // namespace

int main(int argc, char** argv)
{
    // A file size limit should fail the write, which the run reports and
    // cleans up after, rather than kill the process mid-file.
    std::signal(SIGXFSZ, SIG_IGN);

    const ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.action)
    {
    case CommandAction::ShowHelp:
        std::fputs(UsageText().c_str(), stdout);
        return kExitConverted;
    case CommandAction::ShowVersion:
        std::printf("%s %s\n", version::kProductName, version::kVersionString);
        return kExitConverted;
    case CommandAction::UsageError:
        WriteWholeLine(2, parsed.error);
        std::fputs(UsageText().c_str(), stderr);
        return kExitUsageError;
    case CommandAction::Convert:
        break;
    }
    return ConvertAll(parsed.options);
}
