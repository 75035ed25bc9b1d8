#pragma once

#include "cli/options.h"
#include "convert/conversion.h"
#include "model/status_sink.h"
#include "platform/console.h"

#include <string>

// The lines of one input's run on standard error, GNU style: progress (when
// verbose) as "INPUT: Loading model...", then from the result the error as
// "tessaline-convert: INPUT: Error ... (reason)", warnings alike, and after
// a success "INPUT -> OUTPUT". Each line is written whole, so the lines of
// files converted at once do not mix.
class CTerminalStatus : public CStatusSink
{
public:
    CTerminalStatus(std::string input, Verbosity verbosity);
    void ShowProgress(const std::string& text) override;
    // The error and warnings of a finished run and, when it wrote files,
    // what it wrote.
    void ShowResult(const ConversionResult& result) const;
    // An error line of the front end's own, led by the program and input.
    void ShowErrorLine(const std::string& message) const;

private:
    std::string m_strInput;
    Verbosity m_verbosity;
};

// The result's message with the system's reason for the error in
// parentheses, or alone when no reason is known.
std::string MessageWithReason(const ConversionResult& result);
