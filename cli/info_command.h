#pragma once

#include "cli/options.h"

// --info: reports on each input on standard output, as text or one JSON
// document. Returns the exit status.
int RunInfo(const ConvertOptions& options);
