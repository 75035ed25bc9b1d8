#include "cli/preview_command.h"

#include "cli/terminal_status.h"
#include "convert/preview.h"

int RunPreview(const ConvertOptions& options)
{
    const std::string& input = options.inputs.front();
    CTerminalStatus status(input, options.verbosity);
    PreviewRequest request;
    request.inputPath = input;
    request.readStandardInput = input == kStandardStream;
    request.outputPath = options.previewPath;
    request.size = options.previewSize;
    request.flip = options.flip;
    request.both = options.previewBoth;
    if (!WritePreview(request, status))
        return 1;
    status.ShowConverted();
    return 0;
}
