// The converter's arguments: what each command line asks for, or its usage
// error.
#include "cli/options.h"

#include <gtest/gtest.h>

namespace
{
// The parsed command line in one line: its action or error, or the options.
std::string Describe(const ParsedCommandLine& parsed)
{
    const char* const actions[] = {"", "help", "version", ""};
    const char* const sequences[] = {"frames ", "morph "};
    if (parsed.action != CommandAction::Convert)
        return actions[int(parsed.action)] + parsed.error;
    const ConvertOptions& options = parsed.options;
    std::string text = (options.flip ? "flip " : "") + std::string(options.frames ? sequences[int(*options.frames)] : "") + "j" +
                       std::to_string(options.jobs);
    for (const std::string& input : options.inputs)
        text += " [" + input + "]";
    return options.output ? text + " -o " + *options.output : text;
}

const std::pair<std::vector<std::string>, std::string> kCommandLines[] = {
    {{"--flip", "a.3ds", "b.3ds"}, "flip j0 [a.3ds] [b.3ds]"},
    {{"a.3ds", "--flip", "-o", "-x"}, "flip j0 [a.3ds] -o -x"},
    {{"--", "-a.3ds", "--flip"}, "j0 [-a.3ds] [--flip]"},
    {{"--frames", "a.3ds", "--frames"}, "frames j0 [a.3ds]"},
    {{"--morph", "-o", "x", "-o", "y", "a.3ds"}, "Error: -o given more than once"},
    {{"-j", "2", "a.3ds", "-h"}, "help"},
    {{"-j1", "a.3ds", "-j", "1024"}, "j1024 [a.3ds]"},
    {{"--version", "a.3ds", "--help", "--bogus"}, "version"},
    {{"-flip", "a.3ds"}, "Error: unknown option -flip"},
    {{"a.3ds", "-o"}, "Error: -o needs an output path"},
    {{"-o", "x", "a.3ds", "b.3ds"}, "Error: -o needs exactly one input file"},
    {{"--frames", "--morph", "a.3ds"}, "Error: --frames and --morph exclude each other"},
    {{"a.3ds", "-j"}, "Error: -j needs a number of jobs"},
    {{"-j", "0", "a.3ds"}, "Error: -j needs a number of jobs from 1 to 1024, not 0"},
    {{"-j", "1025", "a.3ds"}, "Error: -j needs a number of jobs from 1 to 1024, not 1025"},
    {{"-j", "2x", "a.3ds"}, "Error: -j needs a number of jobs from 1 to 1024, not 2x"},
};

TEST(Options, CommandLines)
{
    for (const auto& [arguments, expected] : kCommandLines)
        EXPECT_EQ(Describe(ParseCommandLine(arguments)), expected) << testing::PrintToString(arguments);
}

} // namespace
