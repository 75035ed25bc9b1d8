#include "cli/terminal_status.h"

#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace
{
constexpr const char* kProgramPrefix = "tessaline-convert: ";
}

CTerminalStatus::CTerminalStatus(std::string input, Verbosity verbosity)
    : m_strInput(std::move(input)), m_verbosity(verbosity)
{
}

void CTerminalStatus::ShowMessage(const std::string& text)
{
    // Errors are the messages that begin "Error"; warnings begin "Warning";
    // the rest is progress.
    const bool error = text.starts_with("Error");
    const bool warning = text.starts_with("Warning");
    if (error || (warning && m_verbosity != Verbosity::Quiet))
        WriteErrorLine(kProgramPrefix + m_strInput + ": " + text);
    else if (!warning && m_verbosity == Verbosity::Verbose)
        WriteErrorLine(m_strInput + ": " + text);
}

void CTerminalStatus::ShowError(const std::string& text, int systemError)
{
    ShowMessage(WithSystemReason(text, systemError));
}

std::string WithSystemReason(const std::string& text, int systemError)
{
    // No reason is known for some failures, such as an input that is not a
    // regular file.
    return systemError == 0 ? text : text + " (" + std::generic_category().message(systemError) + ")";
}

void CTerminalStatus::ShowOutputWritten(const std::string& path)
{
    if (m_nOutputs++ == 0)
        m_strFirstOutput = path;
    m_strLastOutput = path;
}

void CTerminalStatus::ShowConverted() const
{
    if (m_verbosity == Verbosity::Quiet)
        return;
    if (m_nOutputs <= 1)
        WriteErrorLine(m_strInput + " -> " + m_strFirstOutput);
    else
        WriteErrorLine(m_strInput + " -> " + m_strFirstOutput + " ... " + m_strLastOutput + " (" +
                       std::to_string(m_nOutputs) + " files)");
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
