#include "app/converter_app.h"

#include "app/converter_command_line_info.h"
#include "app/converter_dlg.h"

CConverterApp::CConverterApp(std::vector<std::string> arguments) : m_arguments(std::move(arguments))
{
}

bool CConverterApp::InitInstance()
{
    CConverterDlg dialog;
    {
        CConverterCommandLineInfo commandLine;
        ParseCommandLine(m_arguments, commandLine);
        dialog.m_strInput = commandLine.m_strInput;
        // Flipping is only ever requested together with an input path.
        dialog.m_bFlip = !commandLine.m_strInput.empty() && commandLine.m_bFlip;
    }
    dialog.exec();
    return false;
}
