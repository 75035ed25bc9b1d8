#pragma once

#include "cli/options.h"
#include "model/status_sink.h"

#include <string>

// The messages of one input's run on standard error, GNU style: errors and
// warnings as "tessaline-convert: INPUT: Error ...", progress (when verbose)
// as "INPUT: Loading model...", and at the end "INPUT -> OUTPUT". Each line
// is written whole, so the lines of files converted at once do not mix.
class CTerminalStatus : public CStatusSink
{
public:
    CTerminalStatus(std::string input, Verbosity verbosity);
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text, int systemError) override;
    void ShowOutputWritten(const std::string& path) override;
    // Each line is written as it comes: nothing to repaint.
    void ShowProgress(const std::string& text) override { ShowMessage(text); }
    // The line that names what the run wrote, after a successful run.
    void ShowConverted() const;

private:
    std::string m_strInput;
    Verbosity m_verbosity;
    std::string m_strFirstOutput;
    std::string m_strLastOutput;
    int m_nOutputs = 0;
};

// The message with the system's reason for the error in parentheses, or
// alone when no reason is known (systemError 0).
std::string WithSystemReason(const std::string& text, int systemError);

// Writes text and a line feed to standard error with a single write where
// the system allows, so that lines from threads and processes sharing it do
// not interleave.
void WriteErrorLine(const std::string& text);
