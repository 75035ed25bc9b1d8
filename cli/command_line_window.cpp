#include "cli/command_line_window.h"

#include "convert/control_ids.h"

#include <cerrno>
#include <unistd.h>

CCommandLineWindow::CCommandLineWindow(std::string inputPath, std::string outputPath, bool flip,
                                       int statusDescriptor)
    : m_strInput(std::move(inputPath))
    , m_strOutput(std::move(outputPath))
    , m_bFlip(flip)
    , m_nStatusDescriptor(statusDescriptor)
{
}

std::string CCommandLineWindow::GetDlgItemText(int id)
{
    switch (id)
    {
    case IDC_INPUT:
        return m_strInput;
    case IDC_OUTPUT:
        return m_strOutput;
    default:
        return {};
    }
}

bool CCommandLineWindow::IsDlgButtonChecked(int id)
{
    return id == IDC_FLIP && m_bFlip;
}

// There are no controls to lock on a command line.
void CCommandLineWindow::EnableDlgItem(int, bool) {}

void CCommandLineWindow::EndDialogOK()
{
    m_bEnded = true;
}

void CCommandLineWindow::SetDlgItemText(int id, const std::string& text)
{
    if (id == IDC_STATUS)
        WriteWholeLine(m_nStatusDescriptor, m_strLinePrefix + text);
}

// Each line is written as it comes; there is nothing to repaint.
void CCommandLineWindow::UpdateWindow() {}

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
