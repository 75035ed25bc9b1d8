// Runs a command and reports its wall-clock time and peak memory:
//
//   tessaline-time-command [--quiet] -- COMMAND [ARGUMENTS...]
//
// prints "seconds=S cpu_seconds=C max_rss_kb=K status=X" on standard output:
// wall-clock time, the child's user and system time, its own peak resident
// set (not that of earlier children) and its exit status (128 + the signal
// number when a signal ended it). --quiet sends the
// command's own output to /dev/null.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace
{
int ExitStatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return 255;
}
} // namespace

int main(int argc, char** argv)
{
    bool quiet = false;
    int first = 1;
    for (; first < argc; ++first)
    {
        const std::string_view argument = argv[first];
        if (argument == "--")
        {
            ++first;
            break;
        }
        if (argument != "--quiet")
            first = argc;
        else
            quiet = true;
    }
    if (first >= argc)
    {
        std::fprintf(stderr, "Usage: %s [--quiet] -- COMMAND [ARGUMENTS...]\n", argv[0]);
        return 2;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet)
    {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int error = posix_spawnp(&child, argv[first], &actions, nullptr, argv + first, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
    {
        std::fprintf(stderr, "Error: Could not run %s: %s\n", argv[first], std::strerror(error));
        return 127;
    }
    int waitStatus = 0;
    rusage usage {};
    if (wait4(child, &waitStatus, 0, &usage) != child)
    {
        std::perror("Error: wait4");
        return 127;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("seconds=%.6f cpu_seconds=%.6f max_rss_kb=%ld status=%d\n", elapsed.count(), cpuSeconds,
                usage.ru_maxrss, ExitStatusOf(waitStatus));
    return 0;
}
