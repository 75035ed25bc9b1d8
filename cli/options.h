#pragma once

#include "convert/conversion.h"

#include <optional>
#include <string>
#include <vector>

// What the converter was asked to do.
struct ConvertOptions
{
    bool flip = false;
    std::optional<FrameSequence> frames; // --frames or --morph: the frames instead of the objects
    std::optional<std::string> output; // -o: only with exactly one input
    unsigned jobs = 0;                  // -j: files converted at once; 0 for one per core
    std::vector<std::string> inputs;
};

enum class CommandAction
{
    Convert,
    ShowHelp,
    ShowVersion,
    UsageError,
};

struct ParsedCommandLine
{
    CommandAction action = CommandAction::Convert;
    ConvertOptions options;
    std::string error; // a line beginning "Error", for UsageError
};

// The most files -j lets run at once.
inline constexpr unsigned kMaxJobs = 1024;

// Reads the arguments after the program name. "--" ends the options, so a
// later argument is an input even when it begins with '-'.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();
