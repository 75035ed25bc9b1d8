#include "platform/console.h"

#include "platform/wide_path_win32.h"

#include <windows.h>

#include <cstdio>

#include <fcntl.h>
#include <io.h>

// Wildcards in the arguments (C:\models\*.3ds) are expanded by the C
// runtime's start-up, as cmd and PowerShell leave them to each program.
int _dowildcard = -1;

void PrepareCommandLineProcess()
{
    // Model text, pictures and reports are the same bytes as on any other
    // system, whether written by WriteFile or through stdout.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void WriteErrorLine(const std::string& text)
{
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return; // nowhere to report to
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode))
    {
        const std::wstring line = Widen(text + '\n');
        DWORD written = 0;
        WriteConsoleW(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string line = text + '\n';
    const char* data = line.data();
    std::size_t remaining = line.size();
    while (remaining > 0)
    {
        DWORD written = 0;
        if (!WriteFile(error, data, static_cast<DWORD>(remaining), &written, nullptr) || written == 0)
            return;
        data += written;
        remaining -= written;
    }
}
