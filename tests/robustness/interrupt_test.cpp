// A batch interrupted while it writes: the output being written goes, the
// outputs already complete stay whole, and the converter ends as the signal
// would have ended it, so that a shell sees the usual status. An output
// being written has no name in its folder, so even a process killed
// outright (SIGKILL) leaves nothing behind. The same model then goes
// through standard input and output.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

namespace
{
// Whether the process holds open a file of the folder that has no name
// there: the output it is writing.
bool WritesUnnamedFile(pid_t process, const support::fs::path& folder)
{
    std::error_code error;
    for (const auto& entry : support::fs::directory_iterator("/proc/" + std::to_string(process) + "/fd", error))
    {
        const std::string target = support::fs::read_symlink(entry.path(), error).string();
        if (target.starts_with(folder.string() + "/") && target.ends_with(" (deleted)"))
            return true;
    }
    return false;
}

TEST(Interrupt, RemovesTheOutputBeingWrittenAndEndsByTheSignal)
{
    support::TemporaryFolder models;
    const std::string model = models / "large.3ds";
    fixtures::WriteFile(model, fixtures::BuildModelFile(support::LargeModel()));
    // A name as long as the outputs', so that a complete output has its size.
    const std::string whole = models / "x.dtq";
    ASSERT_EQ(support::Run({TESSALINE_CONVERT_PATH, "--texture", "0.RAW", "-o", whole, model}).status, 0);
    // The same text, read from standard input and written to standard output.
    const auto piped = support::Run({TESSALINE_CONVERT_PATH, "--texture", "0.RAW", "-o", "-", "-"}, {.input = model});
    EXPECT_TRUE(piped.status == 0 && piped.out == support::ReadFile(whole)) << piped.err;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL})
    {
        SCOPED_TRACE(strsignal(signal));
        support::TemporaryFolder folder;
        std::vector<std::string> argv = {TESSALINE_CONVERT_PATH, "-j", "1"};
        for (int i = 0; i < 10; ++i)
            support::fs::create_hard_link(model, argv.emplace_back(folder / (std::to_string(i) + ".3ds")));
        std::vector<char*> args(argv.size() + 1);
        std::transform(argv.begin(), argv.end(), args.begin(), [](std::string& arg) { return arg.data(); });
        // The signal as it is by default, whatever this test was started with.
        const pid_t child = fork();
        if (child == 0)
            std::signal(signal, SIG_DFL), dup2(open("/dev/null", O_WRONLY), 1), dup2(1, 2), execv(args[0], args.data()), _exit(127);
        // Until one output is complete and the next one is being written;
        // meanwhile no name but a complete output's appears.
        bool writing = false;
        for (int wait = 0; wait < 20000 && !writing; ++wait)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const std::set<std::string> names = folder.List();
            for (const std::string& name : names)
                ASSERT_TRUE(name.ends_with(".3ds") || name.ends_with(".DTQ")) << name;
            writing = names.contains("0.DTQ") && WritesUnnamedFile(child, folder.Path());
        }
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(writing);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        for (const std::string& name : folder.List())
        {
            EXPECT_FALSE(name.ends_with(".tmp")) << name;
            EXPECT_TRUE(!name.ends_with(".DTQ") || support::fs::file_size(folder / name) == support::fs::file_size(whole)) << name;
        }
    }
}
} // namespace
