#include "tests/robustness/child_process.h"

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace robustness
{
namespace
{
constexpr int kSetupFailedStatus = 2;

bool DropPrivileges()
{
    if (geteuid() != 0)
        return true;
    const passwd* nobody = getpwnam("nobody");
    const uid_t user = nobody ? nobody->pw_uid : 65534;
    const gid_t group = nobody ? nobody->pw_gid : 65534;
    return setgroups(0, nullptr) == 0 && setgid(group) == 0 && setuid(user) == 0 && geteuid() != 0;
}

bool PrepareChild(ChildSetup setup)
{
    switch (setup)
    {
    case ChildSetup::Unprivileged:
        return DropPrivileges();
    case ChildSetup::OneGigabyteOfMemory:
    {
        const rlimit limit {rlim_t {1} << 30, rlim_t {1} << 30};
        return setrlimit(RLIMIT_AS, &limit) == 0;
    }
    case ChildSetup::Deadline:
        alarm(kChildDeadlineSeconds);
        return true;
    }
    return false;
}

bool WriteAll(int descriptor, const std::string& text)
{
    std::size_t written = 0;
    while (written < text.size())
    {
        const ssize_t count = write(descriptor, text.data() + written, text.size() - written);
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}
} // namespace

ChildResult RunInChild(ChildSetup setup, const std::function<std::string()>& work)
{
    ChildResult result;
    int channel[2];
    if (pipe(channel) != 0)
        return result;
    const pid_t child = fork();
    if (child < 0)
    {
        close(channel[0]);
        close(channel[1]);
        return result;
    }
    if (child == 0)
    {
        close(channel[0]);
        // _exit: the child must not run the test framework's exit handlers.
        if (!PrepareChild(setup))
            _exit(kSetupFailedStatus);
        _exit(WriteAll(channel[1], work()) ? 0 : 1);
    }
    close(channel[1]);
    char buffer[4096];
    for (ssize_t count; (count = read(channel[0], buffer, sizeof buffer)) > 0;)
        result.report.append(buffer, static_cast<std::size_t>(count));
    close(channel[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return result;
    if (WEXITSTATUS(status) == 0)
        result.ending = ChildResult::Ending::Returned;
    else if (WEXITSTATUS(status) == kSetupFailedStatus)
        result.ending = ChildResult::Ending::SetupFailed;
    return result;
}

} // namespace robustness
