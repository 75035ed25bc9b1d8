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

void CTerminalStatus::ShowProgress(const std::string& text)
{
    if (m_verbosity == Verbosity::Verbose)
        WriteErrorLine(m_strInput + ": " + text);
}

void CTerminalStatus::ShowResult(const ConversionResult& result) const
{
    if (!result.Succeeded())
        ShowErrorLine(MessageWithReason(result));
    if (m_verbosity == Verbosity::Quiet)
        return;
    for (const std::string& warning : result.warnings)
        WriteErrorLine(kProgramPrefix + m_strInput + ": " + warning);
    if (!result.Succeeded() || result.outputs.empty())
        return;
    if (result.turnedFaces)
        WriteErrorLine(m_strInput + ": --orient turned " + std::to_string(*result.turnedFaces) +
                       (*result.turnedFaces == 1 ? " face" : " faces"));
    if (result.outputs.size() == 1)
        WriteErrorLine(m_strInput + " -> " + result.outputs.front());
    else
        WriteErrorLine(m_strInput + " -> " + result.outputs.front() + " ... " + result.outputs.back() + " (" +
                       std::to_string(result.outputs.size()) + " files)");
}

void CTerminalStatus::ShowErrorLine(const std::string& message) const
{
    WriteErrorLine(kProgramPrefix + m_strInput + ": " + message);
}

std::string MessageWithReason(const ConversionResult& result)
{
    // No reason is known for some failures, such as an input that is not a
    // regular file.
    if (!result.systemError)
        return result.message;
    return result.message + " (" + result.systemError.message() + ")";
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
