#pragma once

#include "cli/options.h"

// --preview: renders the one input into a PNG picture. Returns the exit
// status.
int RunPreview(const ConvertOptions& options);
