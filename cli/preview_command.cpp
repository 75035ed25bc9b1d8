#include "cli/preview_command.h"

#include "cli/terminal_status.h"

int RunPreview(const ConvertOptions& options)
{
    (void)options;
    WriteErrorLine("tessaline-convert: Error: --preview is not built yet");
    return 1;
}
