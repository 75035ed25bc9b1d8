#include "cli/preview_command.h"

#include "cli/terminal_status.h"
#include "convert/preview.h"
#include "platform/executor.h"

int RunPreview(const ConvertOptions& options)
{
    const std::string& input = options.inputs.front();
    CTerminalStatus status(input, options.verbosity);
    ConversionRequest request;
    request.operation = Operation::Preview;
    request.inputPath = input;
    request.readStandardInput = input == kStandardStream;
    request.outputPath = options.previewPath;
    request.writeStandardOutput = options.previewPath == kStandardStream;
    request.previewSize = options.previewSize;
    request.flip = options.flip;
    request.objUp = options.objUp;
    request.orient = options.orient;
    request.previewBoth = options.previewBoth;
    CExecutor executor(options.jobs);
    request.executor = &executor;
    const ConversionResult result = RunConversion(request, status);
    status.ShowResult(result);
    return result.Succeeded() ? 0 : 1;
}
