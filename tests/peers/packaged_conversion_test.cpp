// The built converter run from the command line over every packaged .3DS
// file: each converts, except the deliberately empty one, which is refused.

#include "tests/peers/packaged_models.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

struct ConverterRun
{
    int exitStatus = -1;
    std::string standardError;
};

std::string ReadText(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Runs the converter on input, writing to output; its error stream is kept
// in a file beside the output.
ConverterRun RunConverter(const fs::path& input, const fs::path& output)
{
    const fs::path errorPath = output.string() + ".stderr";
    std::string program = TESSALINE_CONVERT_PATH;
    std::string option = "-o";
    std::string outputArgument = output.string();
    std::string inputArgument = input.string();
    char* argv[] = {program.data(), option.data(), outputArgument.data(), inputArgument.data(), nullptr};
    const pid_t child = fork();
    if (child == 0)
    {
        const int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int nothing = open("/dev/null", O_WRONLY);
        if (err < 0 || nothing < 0 || dup2(err, 2) < 0 || dup2(nothing, 1) < 0)
            _exit(127);
        execv(argv[0], argv);
        _exit(127);
    }
    ConverterRun run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child)
        run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.standardError = ReadText(errorPath);
    fs::remove(errorPath);
    return run;
}

class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tessaline-peers-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            fs::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

bool HasLine(const std::string& text, const std::string& line)
{
    std::istringstream lines(text);
    for (std::string candidate; std::getline(lines, candidate);)
    {
        if (candidate == line)
            return true;
    }
    return false;
}

TEST(PackagedConversion, EveryPackagedModelConvertsFromTheCommandLine)
{
    const std::vector<fs::path> models = peers::FindPackagedModels();
    if (models.empty())
        GTEST_SKIP() << "neither assimp-testmodels nor glmark2-data is installed";
    ScratchFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    int converted = 0;
    int refused = 0;
    for (std::size_t i = 0; i < models.size(); ++i)
    {
        SCOPED_TRACE(models[i].string());
        const fs::path output = folder.Path() / ("model" + std::to_string(i));
        const fs::path written = output.string() + ".dtq";
        const ConverterRun run = RunConverter(models[i], output);
        if (peers::IsDeliberatelyEmpty(models[i]))
        {
            EXPECT_EQ(run.exitStatus, 1);
            EXPECT_TRUE(HasLine(run.standardError, peers::kNotA3dsFileMessage)) << run.standardError;
            EXPECT_FALSE(fs::exists(written));
            ++refused;
            continue;
        }
        EXPECT_EQ(run.exitStatus, 0) << run.standardError;
        EXPECT_EQ(run.standardError.find("Error"), std::string::npos) << run.standardError;
        const std::string text = ReadText(written);
        EXPECT_EQ(text.substr(0, text.find('\n')), "C3DModel");
        ++converted;
    }
    std::cout << converted << " files converted, " << refused << " refused as empty\n";
    EXPECT_GT(converted, 0);
}

} // namespace
