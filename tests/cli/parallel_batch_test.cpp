// Converting several files at once: the task runner, the -j option, and the
// converter run on a batch with a bad file among good ones.
#include "cli/options.h"
#include "cli/parallel_batch.h"
#include "tests/convert/conversion_fixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

using testing_support::ReadWholeFile;
using testing_support::TemporaryFolder;
using testing_support::WriteModelFile;
using testing_support::WriteWholeFile;

struct TaskCase
{
    std::size_t taskCount;
    unsigned jobCount;
    unsigned expectedWorkers;
};

class RunTasksTable : public ::testing::TestWithParam<TaskCase>
{
};

TEST_P(RunTasksTable, RunsEveryTaskOnce)
{
    const TaskCase& taskCase = GetParam();
    EXPECT_EQ(WorkerCount(taskCase.taskCount, taskCase.jobCount), taskCase.expectedWorkers);
    std::vector<std::atomic<int>> runs(taskCase.taskCount);
    std::mutex threadsMutex;
    std::set<std::thread::id> threads;
    const bool allSucceeded = RunTasks(taskCase.taskCount, taskCase.jobCount, [&](std::size_t index) {
        ++runs[index];
        const std::lock_guard lock(threadsMutex);
        threads.insert(std::this_thread::get_id());
        return true;
    });
    EXPECT_TRUE(allSucceeded);
    for (std::size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(runs[i], 1) << "task " << i;
    EXPECT_LE(threads.size(), std::max(taskCase.expectedWorkers, 1u));
}

INSTANTIATE_TEST_SUITE_P(Counts, RunTasksTable,
                         ::testing::Values(TaskCase {0, 4, 0}, TaskCase {1, 4, 1}, TaskCase {5, 1, 1},
                                           TaskCase {5, 0, 1}, TaskCase {5, 2, 2}, TaskCase {100, 3, 3},
                                           TaskCase {3, 8, 3}));

TEST(RunTasks, OneFailedTaskFailsTheBatchButNotTheOthers)
{
    std::vector<std::atomic<int>> runs(10);
    const bool allSucceeded = RunTasks(runs.size(), 3, [&](std::size_t index) {
        ++runs[index];
        return index != 4;
    });
    EXPECT_FALSE(allSucceeded);
    for (const auto& count : runs)
        EXPECT_EQ(count, 1);
}

// Two tasks that can only finish when both run at the same moment: each waits
// (with a deadline, so a broken runner fails instead of hanging) for the other.
TEST(RunTasks, TwoJobsRunTwoTasksAtOnce)
{
    std::atomic<int> arrived {0};
    const bool allSucceeded = RunTasks(2, 2, [&](std::size_t) {
        ++arrived;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (arrived < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        return arrived == 2;
    });
    EXPECT_TRUE(allSucceeded);
}

struct JobsCase
{
    std::vector<std::string> arguments;
    unsigned jobs;
    std::string error;
};

class JobsOption : public ::testing::TestWithParam<JobsCase>
{
};

TEST_P(JobsOption, TakesAWholeNumberFromOne)
{
    const ParsedCommandLine parsed = ParseCommandLine(GetParam().arguments);
    EXPECT_EQ(parsed.error, GetParam().error);
    if (GetParam().error.empty())
    {
        EXPECT_EQ(parsed.action, CommandAction::Convert);
        EXPECT_EQ(parsed.options.jobs, GetParam().jobs);
        EXPECT_EQ(parsed.options.inputs, std::vector<std::string> {"a.3ds"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, JobsOption,
    ::testing::Values(JobsCase {{"a.3ds"}, 0, ""}, JobsCase {{"-j", "2", "a.3ds"}, 2, ""},
                      JobsCase {{"-j8", "a.3ds"}, 8, ""}, JobsCase {{"a.3ds", "-j", "1024"}, 1024, ""},
                      JobsCase {{"a.3ds", "-j"}, 0, "Error: -j needs a number of jobs"},
                      JobsCase {{"-j", "0", "a.3ds"}, 0, "Error: -j needs a number of jobs from 1 to 1024, not 0"},
                      JobsCase {{"-j", "1025", "a.3ds"}, 0,
                                "Error: -j needs a number of jobs from 1 to 1024, not 1025"},
                      JobsCase {{"-jx", "a.3ds"}, 0, "Error: -j needs a number of jobs from 1 to 1024, not x"},
                      JobsCase {{"-j", "2x", "a.3ds"}, 0, "Error: -j needs a number of jobs from 1 to 1024, not 2x"},
                      JobsCase {{"-j", "-1", "a.3ds"}, 0,
                                "Error: -j needs a number of jobs from 1 to 1024, not -1"}));

// Runs the converter in folder; standard error goes to a file that is returned.
int RunConverter(const TemporaryFolder& folder, const std::vector<std::string>& arguments, std::string& errors)
{
    const std::string errorPath = folder / "errors.txt";
    std::vector<std::string> words = {TESSALINE_CONVERT_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.Path().c_str());
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    errors = ReadWholeFile(errorPath);
    std::filesystem::remove(errorPath);
    return WEXITSTATUS(status);
}

// Objects enough that the files' progress lines overlap in time.
std::vector<fixtures::MeshSpec> ManyObjects(int count)
{
    std::vector<fixtures::MeshSpec> meshes;
    for (int i = 0; i < count; ++i)
        meshes.push_back(testing_support::HullMesh("Part" + std::to_string(i)));
    return meshes;
}

TEST(ParallelConversion, BadFileFailsAloneAndEveryLineIsWholeAndNamed)
{
    TemporaryFolder folder;
    constexpr int kObjectCount = 2000;
    const std::vector<std::string> goodInputs = {"ship_a.3ds", "ship_b.3ds", "ship_c.3ds", "ship_d.3ds",
                                                 "ship_e.3ds"};
    for (const std::string& input : goodInputs)
        WriteModelFile(folder / input, ManyObjects(kObjectCount));
    WriteWholeFile(folder / "bad.3ds", "not a model");
    // Output names are the inputs' with "3ds" replaced by "DTQ".
    // The same file converted alone, one job: what every good output must be.
    std::string errors;
    WriteModelFile(folder / "alone.3ds", ManyObjects(kObjectCount));
    ASSERT_EQ(RunConverter(folder, {"-j", "1", "alone.3ds"}, errors), 0);
    const std::string expectedText = ReadWholeFile(folder / "alone.DTQ");
    std::filesystem::remove(folder / "alone.3ds");
    std::filesystem::remove(folder / "alone.DTQ");

    std::vector<std::string> arguments = {"-j", "2", "ship_a.3ds", "ship_b.3ds", "bad.3ds", "ship_c.3ds",
                                          "ship_d.3ds", "ship_e.3ds"};
    EXPECT_EQ(RunConverter(folder, arguments, errors), 1);

    for (const std::string& input : goodInputs)
    {
        const std::string output = input.substr(0, input.size() - 3) + "DTQ";
        // Every object line names the texture after the output file.
        std::string expected = expectedText;
        for (std::size_t at = expected.find("alone.RAW"); at != std::string::npos; at = expected.find("alone.RAW", at))
            expected.replace(at, 9, input.substr(0, input.size() - 3) + "RAW");
        EXPECT_TRUE(ReadWholeFile(folder / output) == expected) << output << " differs from a single conversion";
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "bad.DTQ"));

    // Per input, its own lines in their own order, each line whole.
    std::map<std::string, std::vector<std::string>> linesByInput;
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);)
    {
        const std::size_t separator = line.find(".3ds: ");
        ASSERT_NE(separator, std::string::npos) << "line without its input: " << line;
        linesByInput[line.substr(0, separator + 4)].push_back(line.substr(separator + 6));
    }
    std::vector<std::string> expectedGoodLines = {"Loading model..."};
    for (int i = 0; i < kObjectCount; ++i)
        expectedGoodLines.push_back("  reading Object " + std::to_string(i) + " of " + std::to_string(kObjectCount));
    for (const std::string& input : goodInputs)
        EXPECT_EQ(linesByInput[input], expectedGoodLines) << input;
    EXPECT_EQ(linesByInput["bad.3ds"],
              (std::vector<std::string> {"Loading model...",
                                         "Error reading input file, it does not appear to be a true .3DS file."}));
    EXPECT_EQ(linesByInput.size(), goodInputs.size() + 1);
}

} // namespace
