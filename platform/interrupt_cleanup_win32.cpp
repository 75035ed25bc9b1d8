#include "platform/interrupt_cleanup.h"

#include <windows.h>

#include <mutex>
#include <new>
#include <string>
#include <unordered_set>

namespace
{
struct Registry
{
    std::mutex lock;
    std::unordered_set<std::wstring> paths;
};

// Never destroyed: the console's handler thread may still use it while
// static objects are destroyed at the process's end.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

// Windows runs this on a thread of its own for each console event, so
// nothing here is restricted as in a signal handler.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // Kept locked: from now on no temporary file appears and none is renamed.
    Registry& registry = TheRegistry();
    registry.lock.lock();
    // Each file was opened shared for deletion: it goes with the last handle
    // to it, even one another thread is writing through right now.
    for (const std::wstring& path : registry.paths)
        DeleteFileW(path.c_str());
    // The status a console program ended by Ctrl+C has. No cleanup runs:
    // the handles close with the process, and the files with them.
    TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    return TRUE;
}
} // namespace

void RemoveTemporaryFilesOnInterrupt()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

namespace temporary_files
{
void* Create(const std::wstring& path)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        error = GetLastError();
        if (file != INVALID_HANDLE_VALUE)
        {
            try
            {
                registry.paths.insert(path);
            }
            catch (const std::bad_alloc&)
            {
                CloseHandle(file);
                DeleteFileW(path.c_str());
                file = INVALID_HANDLE_VALUE;
                error = ERROR_NOT_ENOUGH_MEMORY;
            }
        }
    }
    // Set after the lock is given back, which may itself change it.
    if (file == INVALID_HANDLE_VALUE)
    {
        SetLastError(error);
        return nullptr;
    }
    return file;
}

bool Rename(const std::wstring& path, const std::wstring& finalPath)
{
    bool renamed = false;
    DWORD error = ERROR_SUCCESS;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        // Write-through: the call returns once the new name is on disk, as
        // the data already is.
        renamed = MoveFileExW(path.c_str(), finalPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        error = GetLastError();
        if (renamed)
            registry.paths.erase(path);
    }
    if (!renamed)
        SetLastError(error);
    return renamed;
}

void Remove(const std::wstring& path)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    DeleteFileW(path.c_str());
    registry.paths.erase(path);
}
} // namespace temporary_files
