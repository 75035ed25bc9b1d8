// tessaline.exe: the converter dialog, `tessaline.exe [INPUT [-flip]]`.
#include "app/converter_command_line_info.h"
#include "app/win32/converter_dlg.h"
#include "app/win32/wide_text.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace
{
// The arguments after the program's name, split by the system's rules
// (white space separates, double quotes group), in UTF-8.
std::vector<std::string> ProgramArguments()
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(ToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    CConverterDlg dialog(instance);
    {
        CConverterCommandLineInfo commandLine;
        ParseCommandLine(ProgramArguments(), commandLine, LeadingSlash::MarksFlag);
        dialog.m_strInput = commandLine.m_strInput;
        // Flipping is only ever requested together with an input path.
        dialog.m_bFlip = !commandLine.m_strInput.empty() && commandLine.m_bFlip;
    }
    dialog.DoModal();
    return 0;
}
