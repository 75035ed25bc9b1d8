#pragma once

#include "convert/dialog_window.h"

#include <string>

// The dialog's controls for one file of a command-line conversion: fixed
// input and output paths and flip setting, and a status line that is printed,
// one whole line per text, to a descriptor (standard error by default).
class CCommandLineWindow : public CDialogWindow
{
public:
    CCommandLineWindow(std::string inputPath, std::string outputPath, bool flip, int statusDescriptor = 2);

    std::string GetDlgItemText(int id) override;
    bool IsDlgButtonChecked(int id) override;
    void EnableDlgItem(int id, bool enable) override;
    void EndDialogOK() override;
    void SetDlgItemText(int id, const std::string& text) override;
    void UpdateWindow() override;

    bool HasEnded() const { return m_bEnded; }

    // Text put before every status line, such as "ship.3ds: ", so that lines
    // of files converted at the same time can be told apart.
    void SetLinePrefix(std::string prefix) { m_strLinePrefix = std::move(prefix); }

private:
    std::string m_strInput;
    std::string m_strOutput;
    bool m_bFlip;
    int m_nStatusDescriptor;
    std::string m_strLinePrefix;
    bool m_bEnded = false;
};

// Writes text and a line feed with a single write where the system allows,
// so that lines from processes sharing the descriptor do not interleave.
void WriteWholeLine(int descriptor, const std::string& text);
