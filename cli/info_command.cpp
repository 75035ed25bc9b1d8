#include "cli/info_command.h"

#include "cli/terminal_status.h"

int RunInfo(const ConvertOptions& options)
{
    (void)options;
    WriteErrorLine("tessaline-convert: Error: --info is not built yet");
    return 1;
}
