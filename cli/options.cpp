#include "cli/options.h"

#include <charconv>

namespace
{
ParsedCommandLine UsageError(std::string message)
{
    ParsedCommandLine parsed;
    parsed.action = CommandAction::UsageError;
    parsed.error = "Error: " + std::move(message);
    return parsed;
}

ParsedCommandLine Action(CommandAction action)
{
    ParsedCommandLine parsed;
    parsed.action = action;
    return parsed;
}

bool IsOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-';
}

// A whole number from 1 to kMaxJobs, digits only.
bool ParseJobCount(const std::string& text, unsigned& jobs)
{
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, jobs);
    return !text.empty() && result.ec == std::errc {} && result.ptr == last && jobs >= 1 && jobs <= kMaxJobs;
}

// The options hold together: at least one input, and -o names one file only.
ParsedCommandLine Validated(ConvertOptions options)
{
    if (options.inputs.empty())
        return UsageError("no input file given");
    if (options.output && options.inputs.size() != 1)
        return UsageError("-o needs exactly one input file");
    ParsedCommandLine parsed;
    parsed.options = std::move(options);
    return parsed;
}
} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    ConvertOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i)
    {
        const std::string& argument = arguments[i];
        if (optionsEnded || !IsOption(argument))
            options.inputs.push_back(argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (argument == "--help" || argument == "-h")
            return Action(CommandAction::ShowHelp);
        else if (argument == "--version")
            return Action(CommandAction::ShowVersion);
        else if (argument == "--flip")
            options.flip = true;
        else if (argument == "--frames" || argument == "--morph")
        {
            const FrameSequence sequence = argument == "--frames" ? FrameSequence::Keyframes : FrameSequence::Morph;
            if (options.frames && *options.frames != sequence)
                return UsageError("--frames and --morph exclude each other");
            options.frames = sequence;
        }
        else if (argument.starts_with("-j"))
        {
            // "-j N" or "-jN"
            const bool separate = argument == "-j";
            if (separate && i + 1 == arguments.size())
                return UsageError("-j needs a number of jobs");
            const std::string count = separate ? arguments[++i] : argument.substr(2);
            if (!ParseJobCount(count, options.jobs))
                return UsageError("-j needs a number of jobs from 1 to " + std::to_string(kMaxJobs) + ", not " + count);
        }
        else if (argument == "-o")
        {
            if (i + 1 == arguments.size())
                return UsageError("-o needs an output path");
            if (options.output)
                return UsageError("-o given more than once");
            options.output = arguments[++i];
        }
        else
            return UsageError("unknown option " + argument);
    }
    return Validated(std::move(options));
}

std::string UsageText()
{
    return "Usage: tessaline-convert [--flip] [--frames | --morph] [-j N] [-o OUTPUT] INPUT...\n"
           "Converts .3DS files into model text files.\n"
           "\n"
           "  --flip      keep each face's stored winding instead of reversing it\n"
           "  --frames    write each frame of the keyframe animation as its own file,\n"
           "              numbered after the output name: ship000.dtq, ship001.dtq...\n"
           "  --morph     the same for the objects taken as frames in name order\n"
           "  -j N        convert up to N files at once (default: one per processor\n"
           "              core); message lines then begin with their input path\n"
           "  -o OUTPUT   the output path, for a single input; by default the input\n"
           "              path with its last three characters replaced by DTQ\n"
           "  --help      show this help and exit\n"
           "  --version   show the version and exit\n"
           "  --          treat every later argument as an input\n"
           "\n"
           "An output path that does not end in .dtq gets that extension.\n"
           "Progress and errors go to standard error. Exit status: 0 when every\n"
           "file was converted, 1 when any failed (the others are still converted),\n"
           "2 for a usage error.\n";
}
