#include "cli/info_command.h"
#include "cli/options.h"
#include "cli/parallel_batch.h"
#include "cli/preview_command.h"
#include "cli/terminal_status.h"
#include "convert/conversion.h"
#include "platform/interrupt_cleanup.h"
#include "platform/version.h"

#include <algorithm>
#include <atomic>
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

// Threads that only wait for outputs to reach the disk, beyond the files
// being converted: a batch of small files spends most of its time in those
// waits, and they overlap instead of holding up the conversions.
constexpr unsigned kDiskWaitThreads = 16;

ConversionRequest MakeRequest(const ConvertOptions& options, const std::string& input)
{
    ConversionRequest request;
    request.inputPath = input;
    request.readStandardInput = input == kStandardStream;
    request.outputPath = OutputFor(options, input);
    request.writeStandardOutput = request.outputPath == kStandardStream;
    request.flip = options.flip;
    request.objUp = options.objUp;
    request.textureName = options.textureName;
    request.frameRange = options.frameRange;
    if (options.frames)
    {
        request.operation = Operation::Frames;
        request.frames = *options.frames;
    }
    return request;
}

// Each file has a model of its own. -j is the budget of working threads:
// up to that many files are between their start and the moment their text
// is written, and fewer files than that share the rest among them. The
// other threads only wait for the disk.
int ConvertAll(const ConvertOptions& options)
{
    const unsigned jobs = options.jobs != 0 ? options.jobs : DefaultJobCount();
    const auto filesAtOnce = static_cast<unsigned>(std::min<std::size_t>(jobs, options.inputs.size()));
    COrderedSlots converting(filesAtOnce);
    std::atomic<std::size_t> failed{0};
    RunTasks(options.inputs.size(), filesAtOnce + kDiskWaitThreads, [&](std::size_t index) {
        const std::string& input = options.inputs[index];
        CTerminalStatus status(input, options.verbosity);
        ConversionRequest request = MakeRequest(options, input);
        request.threads = std::max(jobs / filesAtOnce, 1u);
        converting.Enter(index);
        const ConversionResult result = RunConversion(request, status);
        converting.Leave();
        status.ShowResult(result);
        failed += result.Succeeded() ? 0 : 1;
        return result.Succeeded();
    });
    const std::size_t total = options.inputs.size();
    if (total > 1 && options.verbosity != Verbosity::Quiet)
        WriteErrorLine(std::to_string(total - failed) + " converted, " + std::to_string(failed) + " failed");
    return failed == 0 ? kExitConverted : kExitConversionFailed;
}
} // namespace

int main(int argc, char** argv)
{
    RemoveTemporaryFilesOnInterrupt();
    // A file size limit or a closed pipe should fail the write, which the run
    // reports and cleans up after, rather than kill the process mid-file.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    const ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.action)
    {
    case CommandAction::ShowHelp:
        std::fputs(UsageText().c_str(), stdout);
        return kExitConverted;
    case CommandAction::ShowVersion:
        std::printf("tessaline-convert (%s) %s\n", version::kProductName, version::kVersionString);
        return kExitConverted;
    case CommandAction::UsageError:
        WriteErrorLine("tessaline-convert: " + parsed.error);
        WriteErrorLine("Try 'tessaline-convert --help' for more information.");
        return kExitUsageError;
    case CommandAction::Convert:
        break;
    }
    switch (parsed.options.mode)
    {
    case RunMode::Info:
        return RunInfo(parsed.options);
    case RunMode::Preview:
        return RunPreview(parsed.options);
    case RunMode::Convert:
        break;
    }
    return ConvertAll(parsed.options);
}
