#pragma once

#include <string>

// Where progress goes while a model file is read or written: a dialog's
// status line, a terminal, a test. Failures and warnings are not shown
// here: they come back in the operation's result.
class CStatusSink
{
public:
    virtual ~CStatusSink() = default;
    // Progress during a long step, runs on the caller's thread; it must be
    // visible at once, so a dialog busy inside one handler repaints before
    // it returns.
    virtual void ShowProgress(const std::string& text) = 0;
};
