#include "cli/info_command.h"
#include "cli/options.h"
#include "cli/preview_command.h"
#include "cli/terminal_status.h"
#include "convert/batch.h"
#include "platform/executor.h"
#include "platform/interrupt_cleanup.h"
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

ConversionRequest MakeRequest(const ConvertOptions& options, const std::string& input)
{
    ConversionRequest request;
    request.inputPath = input;
    request.readStandardInput = input == kStandardStream;
    request.outputPath = OutputFor(options, input);
    request.writeStandardOutput = request.outputPath == kStandardStream;
    request.flip = options.flip;
    request.objUp = options.objUp;
    request.orient = options.orient;
    request.textureName = options.textureName;
    request.frameRange = options.frameRange;
    if (options.frames)
    {
        request.operation = Operation::Frames;
        request.frames = *options.frames;
    }
    return request;
}

// -j is the budget of working threads: up to that many files at once, and
// fewer files than that share the rest.
int ConvertAll(const ConvertOptions& options)
{
    std::vector<ConversionRequest> requests;
    std::vector<CTerminalStatus> statuses;
    requests.reserve(options.inputs.size());
    statuses.reserve(options.inputs.size());
    for (const std::string& input : options.inputs)
    {
        requests.push_back(MakeRequest(options, input));
        statuses.emplace_back(input, options.verbosity);
    }
    CExecutor executor(options.jobs);
    std::size_t failed = 0;
    RunBatch(
        std::move(requests), executor, [&](std::size_t index) -> CStatusSink& { return statuses[index]; },
        [&](std::size_t index, const ConversionResult& result) {
            statuses[index].ShowResult(result);
            failed += result.Succeeded() ? 0 : 1;
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
