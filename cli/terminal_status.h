#pragma once

#include "model/status_sink.h"

#include <string>

// Prints every status text as one line on a descriptor (standard error by
// default), after a prefix such as "ship.3ds: " that tells apart the lines of
// files converted at the same time.
class CTerminalStatus : public CStatusSink
{
public:
    explicit CTerminalStatus(std::string linePrefix = {}, int descriptor = 2);
    void ShowMessage(const std::string& text) override;
    // Each line is written as it comes: nothing to repaint.
    void ShowProgress(const std::string& text) override { ShowMessage(text); }

private:
    std::string m_strLinePrefix;
    int m_nDescriptor;
};

// Writes text and a line feed with a single write where the system allows,
// so that lines from threads and processes sharing the descriptor do not
// interleave.
void WriteWholeLine(int descriptor, const std::string& text);
