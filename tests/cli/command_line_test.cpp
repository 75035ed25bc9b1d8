#include "tests/convert/conversion_fixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace
{

using testing_support::HullMesh;
using testing_support::kHullModelText;
using testing_support::ReadWholeFile;
using testing_support::TemporaryFolder;
using testing_support::WriteModelFile;
using testing_support::WriteWholeFile;

struct ProcessResult
{
    int exitStatus = -1;
    std::string standardOutput;
    std::string standardError;
};

// Runs the built converter in folder with the given arguments, capturing
// both output streams in files; fileSizeLimit caps the files it may write.
ProcessResult RunConverter(const TemporaryFolder& folder, const std::vector<std::string>& arguments,
                           std::optional<rlim_t> fileSizeLimit = std::nullopt)
{
    const std::string outPath = folder.Path().parent_path() / (folder.Path().filename().string() + ".stdout");
    const std::string errPath = folder.Path().parent_path() / (folder.Path().filename().string() + ".stderr");
    std::vector<char*> argv;
    std::string program = TESSALINE_CONVERT_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0)
    {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(folder.Path().c_str()) != 0)
            _exit(127);
        if (fileSizeLimit)
        {
            rlimit limit {};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = *fileSizeLimit;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProcessResult result;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child)
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.standardOutput = ReadWholeFile(outPath);
    result.standardError = ReadWholeFile(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return result;
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

class CommandLineTest : public ::testing::Test
{
protected:
    TemporaryFolder folder;

    void SetUp() override { WriteModelFile(folder / "ship.3ds", {HullMesh()}); }
};

TEST_F(CommandLineTest, ConvertsToTheDefaultOutputName)
{
    const ProcessResult result = RunConverter(folder, {"ship.3ds"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "Loading model...\n  reading Object 0 of 1\n");
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(ReadWholeFile(folder / "ship.DTQ"), kHullModelText);
}

TEST_F(CommandLineTest, DefaultNameThenTheOutputRulesApply)
{
    WriteModelFile(folder / "model", {HullMesh()});
    const ProcessResult result = RunConverter(folder, {"model"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "moDTQ.dtq"));
}

TEST_F(CommandLineTest, OutputOptionAndFlip)
{
    std::filesystem::create_directory(folder.Path() / "out");
    const ProcessResult result = RunConverter(folder, {"--flip", "-o", "out/ship", "ship.3ds"});
    EXPECT_EQ(result.exitStatus, 0);
    std::string expected = kHullModelText;
    expected.replace(expected.rfind("2,1,0"), 5, "0,1,2");
    EXPECT_EQ(ReadWholeFile(folder / "out/ship.dtq"), expected);
}

TEST_F(CommandLineTest, OneBadInputAmongSeveralFailsOnlyItself)
{
    WriteModelFile(folder / "boat.3ds", {HullMesh("Boat")});
    WriteWholeFile(folder / "text.3ds", "not a model");
    // One at a time, so that the messages come in input order.
    const ProcessResult result = RunConverter(folder, {"-j", "1", "ship.3ds", "missing.3ds", "text.3ds", "boat.3ds"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardError, "Loading model...\n"
                                    "  reading Object 0 of 1\n"
                                    "Error: Could not open Input file: missing.3ds\n"
                                    "Loading model...\n"
                                    "Error reading input file, it does not appear to be a true .3DS file.\n"
                                    "Loading model...\n"
                                    "  reading Object 0 of 1\n");
    EXPECT_EQ(ReadWholeFile(folder / "ship.DTQ"), kHullModelText);
    EXPECT_TRUE(std::filesystem::exists(folder / "boat.DTQ"));
    EXPECT_FALSE(std::filesystem::exists(folder / "text.DTQ"));
}

TEST_F(CommandLineTest, WriteFailureIsReportedAndLeavesTheEarlierFile)
{
    WriteWholeFile(folder / "ship.DTQ", "earlier");
    const ProcessResult result = RunConverter(folder, {"ship.3ds"}, 120);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardError, "Loading model...\n  reading Object 0 of 1\n"
                                    "Error: Could not write Output file: ship.DTQ\n");
    EXPECT_EQ(ReadWholeFile(folder / "ship.DTQ"), "earlier");
    EXPECT_EQ(folder.List(), (std::set<std::string> {"ship.3ds", "ship.DTQ"}));
}

struct UsageCase
{
    std::vector<std::string> arguments;
    int exitStatus;
    std::string firstOutputLine;
    std::string firstErrorLine;
};

void PrintTo(const UsageCase& usageCase, std::ostream* out)
{
    for (const std::string& argument : usageCase.arguments)
        *out << '[' << argument << "] ";
}

class CommandLineUsage : public ::testing::TestWithParam<UsageCase>
{
};

TEST_P(CommandLineUsage, AnswersWithoutConverting)
{
    TemporaryFolder folder;
    WriteModelFile(folder / "ship.3ds", {HullMesh()});
    const ProcessResult result = RunConverter(folder, GetParam().arguments);
    EXPECT_EQ(result.exitStatus, GetParam().exitStatus);
    EXPECT_EQ(FirstLine(result.standardOutput), GetParam().firstOutputLine);
    EXPECT_EQ(FirstLine(result.standardError), GetParam().firstErrorLine);
    EXPECT_EQ(folder.List(), std::set<std::string> {"ship.3ds"});
}

constexpr char kUsageLine[] = "Usage: tessaline-convert [--flip] [--frames | --morph] [-j N] [-o OUTPUT] INPUT...";

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineUsage,
    ::testing::Values(UsageCase {{"--version"}, 0, "Tessaline 1.0.0.1", ""},
                      UsageCase {{"--help", "ship.3ds"}, 0, kUsageLine, ""},
                      UsageCase {{}, 2, "", "Error: no input file given"},
                      UsageCase {{"--frame", "ship.3ds"}, 2, "", "Error: unknown option --frame"},
                      UsageCase {{"--frames", "--morph", "ship.3ds"}, 2, "",
                                 "Error: --frames and --morph exclude each other"},
                      UsageCase {{"-o", "x.dtq", "ship.3ds", "ship.3ds"}, 2, "",
                                 "Error: -o needs exactly one input file"}));

} // namespace
