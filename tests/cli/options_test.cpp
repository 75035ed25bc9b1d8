#include "cli/options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace
{

struct ArgumentsCase
{
    std::vector<std::string> arguments;
    CommandAction action;
    std::vector<std::string> inputs;
    std::optional<std::string> output;
    bool flip;
    std::string error;
};

void PrintTo(const ArgumentsCase& argumentsCase, std::ostream* out)
{
    for (const std::string& argument : argumentsCase.arguments)
        *out << '[' << argument << "] ";
}

class ParseCommandLineTable : public ::testing::TestWithParam<ArgumentsCase>
{
};

TEST_P(ParseCommandLineTable, ReadsOptionsAndInputs)
{
    const ArgumentsCase& expected = GetParam();
    const ParsedCommandLine parsed = ParseCommandLine(expected.arguments);
    EXPECT_EQ(parsed.action, expected.action);
    EXPECT_EQ(parsed.error, expected.error);
    if (expected.action == CommandAction::Convert)
    {
        EXPECT_EQ(parsed.options.inputs, expected.inputs);
        EXPECT_EQ(parsed.options.output, expected.output);
        EXPECT_EQ(parsed.options.flip, expected.flip);
    }
}

using Args = std::vector<std::string>;
constexpr auto kConvert = CommandAction::Convert;
constexpr auto kUsage = CommandAction::UsageError;
const std::optional<std::string> kNoOutput;

INSTANTIATE_TEST_SUITE_P(
    Arguments, ParseCommandLineTable,
    ::testing::Values(
        ArgumentsCase {Args {"a.3ds"}, kConvert, Args {"a.3ds"}, kNoOutput, false, ""},
        ArgumentsCase {Args {"--flip", "a.3ds", "b.3ds"}, kConvert, Args {"a.3ds", "b.3ds"}, kNoOutput, true, ""},
        ArgumentsCase {Args {"a.3ds", "--flip"}, kConvert, Args {"a.3ds"}, kNoOutput, true, ""},
        ArgumentsCase {Args {"-o", "out", "a.3ds"}, kConvert, Args {"a.3ds"}, std::string("out"), false, ""},
        ArgumentsCase {Args {"a.3ds", "-o", "-x"}, kConvert, Args {"a.3ds"}, std::string("-x"), false, ""},
        ArgumentsCase {Args {"--", "-a.3ds", "--flip"}, kConvert, Args {"-a.3ds", "--flip"}, kNoOutput, false, ""},
        ArgumentsCase {Args {"-", ""}, kConvert, Args {"-", ""}, kNoOutput, false, ""},
        ArgumentsCase {Args {"a.3ds", "--help", "--bogus"}, CommandAction::ShowHelp, {}, kNoOutput, false, ""},
        ArgumentsCase {Args {"-h"}, CommandAction::ShowHelp, {}, kNoOutput, false, ""},
        ArgumentsCase {Args {"--version", "a.3ds"}, CommandAction::ShowVersion, {}, kNoOutput, false, ""},
        ArgumentsCase {Args {}, kUsage, {}, kNoOutput, false, "Error: no input file given"},
        ArgumentsCase {Args {"--flip"}, kUsage, {}, kNoOutput, false, "Error: no input file given"},
        ArgumentsCase {Args {"-flip", "a.3ds"}, kUsage, {}, kNoOutput, false, "Error: unknown option -flip"},
        ArgumentsCase {Args {"a.3ds", "-o"}, kUsage, {}, kNoOutput, false, "Error: -o needs an output path"},
        ArgumentsCase {Args {"-o", "x", "-o", "y", "a.3ds"}, kUsage, {}, kNoOutput, false,
                       "Error: -o given more than once"},
        ArgumentsCase {Args {"-o", "x", "a.3ds", "b.3ds"}, kUsage, {}, kNoOutput, false,
                       "Error: -o needs exactly one input file"},
        ArgumentsCase {Args {"-o", "x"}, kUsage, {}, kNoOutput, false, "Error: no input file given"}));

} // namespace
