#include "platform/file_names.h"

#include "platform/wide_path_win32.h"

#include <windows.h>

std::string FileNameKey(const std::string& path)
{
    // The system's own case mapping, which its file systems follow for
    // letters beyond ASCII too (é and É name the same file).
    std::wstring wide = Widen(path);
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
}
