// scripts/install-deps decides what is missing with dpkg-query. These runs are
// dry runs only: they never install anything.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace
{
struct ScriptResult
{
    int exitStatus = -1;
    std::string output;
};

ScriptResult RunDryRun(const std::string& listPath)
{
    const std::string command = "TESSALINE_DEPS_DRY_RUN=1 bash '" TESSALINE_SOURCE_DIR "/scripts/install-deps' --dry-run --list '" +
                                listPath + "' 2>&1";
    ScriptResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe))
        result.output += buffer.data();
    const int status = pclose(pipe);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

struct ListCase
{
    const char* name;
    const char* list; // nullptr: the list file does not exist
    int exitStatus;
    std::vector<std::string> expectedLines;
};

void PrintTo(const ListCase& listCase, std::ostream* stream)
{
    *stream << listCase.name;
}

// dpkg and coreutils are essential packages, installed on every Debian system.
const ListCase kListCases[] = {
    {"NothingMissing",
     "dpkg\n# a comment line\n\n  coreutils   # with a comment\n",
     0,
     {"install-deps: all 2 packages are installed"}},
    {"OnlyTheMissingAreNamed",
     "dpkg\ntessaline-no-such-package\ncoreutils\ntessaline-other-missing\n",
     0,
     {"install-deps: missing 2 package(s): tessaline-no-such-package tessaline-other-missing",
      "install-deps: dry run, would run: apt-get update && apt-get install -y --no-install-recommends "
      "tessaline-no-such-package tessaline-other-missing"}},
    {"UnreadableList", nullptr, 1, {}},
};

class InstallDeps : public testing::TestWithParam<ListCase>
{
};

TEST_P(InstallDeps, ReportsWhatIsMissing)
{
    if (std::system("command -v dpkg-query >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "not a Debian system";
    const ListCase& listCase = GetParam();
    const auto listPath = std::filesystem::temp_directory_path() /
                          ("tessaline-packages-" + std::to_string(getpid()) + "-" + listCase.name + ".txt");
    std::filesystem::remove(listPath);
    if (listCase.list)
        std::ofstream(listPath) << listCase.list;

    const ScriptResult result = RunDryRun(listPath.string());
    std::filesystem::remove(listPath);

    EXPECT_EQ(result.exitStatus, listCase.exitStatus) << result.output;
    std::string expected;
    for (const std::string& line : listCase.expectedLines)
        expected += line + "\n";
    if (listCase.exitStatus == 0)
        EXPECT_EQ(result.output, expected);
    else
        EXPECT_EQ(result.output.rfind("Error", 0), 0u) << result.output;
}

INSTANTIATE_TEST_SUITE_P(Lists, InstallDeps, testing::ValuesIn(kListCases),
                         [](const testing::TestParamInfo<ListCase>& info) { return info.param.name; });

} // namespace
