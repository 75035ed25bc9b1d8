#include "platform/console.h"

#include <cerrno>
#include <csignal>

#include <unistd.h>

void PrepareCommandLineProcess()
{
    // A file size limit or a closed pipe should fail the write, which the run
    // reports and cleans up after, rather than kill the process mid-file.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

void WriteErrorLine(const std::string& text)
{
    const std::string line = text + '\n';
    const char* data = line.data();
    std::size_t remaining = line.size();
    while (remaining > 0)
    {
        const ssize_t written = ::write(STDERR_FILENO, data, remaining);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // nowhere left to report to
        data += written;
        remaining -= static_cast<std::size_t>(written);
    }
}
