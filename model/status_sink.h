#pragma once

#include <string>

// Where the model's messages go: a dialog's status line, a terminal, a test.
// Both operations run on the caller's thread, inside the call that shows them.
class CStatusSink
{
public:
    virtual ~CStatusSink() = default;
    // A message or an error, replacing the one shown before.
    virtual void ShowMessage(const std::string& text) = 0;
    // An error caused by a failed system call: the message, and the errno
    // value that says why, for a front end that shows the reason too.
    virtual void ShowError(const std::string& text, int systemError)
    {
        (void)systemError;
        ShowMessage(text);
    }
    // An output file is complete and in place ("-" for standard output).
    virtual void ShowOutputWritten(const std::string& path) { (void)path; }
    // Progress during a long step; it must be visible at once, so a dialog
    // busy inside one handler repaints before it returns.
    virtual void ShowProgress(const std::string& text) = 0;
};
