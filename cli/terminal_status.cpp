#include "cli/terminal_status.h"

#include <cerrno>
#include <unistd.h>

CTerminalStatus::CTerminalStatus(std::string linePrefix, int descriptor)
    : m_strLinePrefix(std::move(linePrefix)), m_nDescriptor(descriptor)
{
}

void CTerminalStatus::ShowMessage(const std::string& text)
{
    WriteWholeLine(m_nDescriptor, m_strLinePrefix + text);
}

void WriteWholeLine(int descriptor, const std::string& text)
{
    const std::string line = text + '\n';
    const char* data = line.data();
    std::size_t remaining = line.size();
    while (remaining > 0)
    {
        const ssize_t written = ::write(descriptor, data, remaining);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // nowhere left to report to
        data += written;
        remaining -= static_cast<std::size_t>(written);
    }
}
